#include "CCdWriter.h"

#include <windows.h>

#include <IPyrelle.h>
#include <KSResult.h>

#include "BurnText.h"

namespace {

unsigned long CdFailed(unsigned long kind) { return KSMakeResult(0, KS_MODULE_CONSOLE, kind); }

// A tool that did not start, ended with a non-zero code or said nothing has failed.
bool ToolFailed(const ToolRun& run) { return !run.started || run.exitCode != 0 || run.reads == 0; }

// The size of a file in MiB; false when it does not exist.
bool FileMiB(const std::string& path, uint64_t& mib)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    const BOOL ok = GetFileSizeEx(file, &size);
    CloseHandle(file);
    if (!ok)
        return false;
    mib = static_cast<uint64_t>(size.QuadPart) >> 20;
    return true;
}

} // namespace

void CCdWriter::Prepare(const std::string& source, const std::string& device, bool blankFirst)
{
    source_ = source;
    device_ = device;
    blankFirst_ = blankFirst;
}

unsigned long CCdWriter::Blank()
{
    stage_ = BURN_STAGE_BLANKING;
    const ToolRun run = RunTool("cdrecord -v dev=" + device_ + " blank=fast", output_);
    if (!run.started)
        return CdFailed(KS_KIND_BLANK_TOOL);
    return ToolFailed(run) ? CdFailed(KS_KIND_BURN_FAILED) : 0;
}

unsigned long CCdWriter::Write(const std::string& imagePath, bool ignoreSize)
{
    stage_ = BURN_STAGE_CD_WRITE;
    const ToolRun run = RunTool("cdrecord -v dev=" + device_ + " driveropts=burnfree -multi " +
                                    (ignoreSize ? "-ignsize " : "") + QuotedPath(imagePath),
                                output_, 0, ignoreSize);
    return ToolFailed(run) ? CdFailed(KS_KIND_BURN_FAILED) : 0;
}

unsigned long CCdWriter::BuildAndWrite(const std::string& builderArguments)
{
    const std::string iso = source_ + "\\Temp.iso";
    stage_ = BURN_STAGE_ISO;
    const ToolRun built = RunTool(builderArguments, output_);
    uint64_t mib = 0;
    unsigned long rc = 0;
    if (!FileMiB(iso, mib))
        rc = CdFailed(KS_KIND_ISO_MISSING);
    else if (ToolFailed(built))
        rc = CdFailed(KS_KIND_BURN_FAILED);
    else if (imageLimitMiB_ != 0 && mib >= imageLimitMiB_)
        rc = CdFailed(KS_KIND_BURN_PROGRESS);
    if (rc == 0) {
        imageMiB_ = mib;
        rc = Write(iso, true);
    }
    DeleteFileW(BurnWide(iso).c_str());
    stage_ = BURN_STAGE_IDLE;
    return rc;
}

unsigned long CCdWriter::WriteFolder()
{
    if (blankFirst_) {
        const unsigned long rc = Blank();
        if (KSFailed(rc))
            return rc;
    }
    const std::string iso = source_ + "\\Temp.iso";
    return BuildAndWrite("mkisofs -o " + QuotedPath(iso) + " -v -r -J " + QuotedPath(source_));
}

unsigned long CCdWriter::AppendFolder(const std::string& source)
{
    source_ = source;
    requests_.LastTrackStarts(previousTrackStart_, lastTrackStart_);
    const std::string iso = source_ + "\\Temp.iso";
    return BuildAndWrite("mkcdisofs -o " + QuotedPath(iso) + " -v -r -J -C " + std::to_string(previousTrackStart_) +
                         "," + std::to_string(lastTrackStart_) + " -M " + device_ + " " + QuotedPath(source_));
}

unsigned long CCdWriter::WriteImage(const std::string& imagePath)
{
    if (blankFirst_) {
        const unsigned long rc = Blank();
        if (KSFailed(rc))
            return rc;
    }
    uint64_t mib = 0;
    if (!FileMiB(imagePath, mib))
        return CdFailed(KS_KIND_ISO_MISSING);
    if (imageLimitMiB_ != 0 && mib >= imageLimitMiB_)
        return CdFailed(KS_KIND_BURN_PROGRESS);
    imageMiB_ = mib;
    const unsigned long rc = Write(imagePath, false);
    stage_ = BURN_STAGE_IDLE;
    return rc;
}

BurnProgress CCdWriter::Progress() const
{
    switch (stage_.load()) {
    case BURN_STAGE_BLANKING: {
        BurnProgress progress;
        progress.stage = BURN_STAGE_BLANKING;
        progress.kind = KS_KIND_BURN_PROGRESS;
        return progress;
    }
    case BURN_STAGE_ISO:
        return IsoBuildProgress(output_.Text());
    case BURN_STAGE_CD_WRITE:
        return CdWriteProgress(output_.Text(), imageMiB_.load());
    default: {
        BurnProgress idle;
        idle.stage = BURN_STAGE_IDLE;
        return idle;
    }
    }
}
