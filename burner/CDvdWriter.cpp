#include "CDvdWriter.h"

#include <IPyrelle.h>
#include <KSResult.h>

namespace {

// The tool's exit code says whether it wrote; a run that printed nothing never ran.
unsigned long Outcome(const ToolRun& run, const std::string& output)
{
    if (!run.started || run.exitCode != 0 || run.reads == 0 || output.find("write failed") != std::string::npos)
        return KSMakeResult(0, KS_MODULE_CONSOLE, KS_KIND_BURN_FAILED);
    return 0;
}

} // namespace

unsigned long CDvdWriter::Format()
{
    stage_ = BURN_STAGE_DVD_FORMAT;
    const ToolRun run = RunTool("dvd+rw-format.exe -force " + drive_, output_, 2000);
    stage_ = BURN_STAGE_IDLE;
    return run.started && run.exitCode == 0 ? 0 : KSMakeResult(0, KS_MODULE_CONSOLE, KS_KIND_BURN_FAILED);
}

unsigned long CDvdWriter::Write(const std::string& arguments, int stage)
{
    stage_ = stage;
    const size_t before = output_.Text().size();
    const ToolRun run = RunTool("growisofs -use-the-force-luke " + arguments, output_);
    const unsigned long rc = Outcome(run, output_.Text().substr(before));
    stage_ = BURN_STAGE_IDLE;
    return rc;
}

unsigned long CDvdWriter::WriteFolder(const std::string& source)
{
    return Write("-R -J -Z " + drive_ + " -iso-level 4 " + QuotedPath(source), BURN_STAGE_DVD_FOLDER);
}

unsigned long CDvdWriter::AppendFolder(const std::string& source)
{
    return Write("-R -J -M " + drive_ + " -iso-level 4 " + QuotedPath(source), BURN_STAGE_DVD_FOLDER);
}

unsigned long CDvdWriter::WriteImage(const std::string& imagePath)
{
    return Write("-Z " + QuotedPath(drive_ + "=" + imagePath), BURN_STAGE_DVD_IMAGE);
}

BurnProgress CDvdWriter::Progress() const
{
    const int stage = stage_.load();
    if (stage == BURN_STAGE_DVD_IMAGE || stage == BURN_STAGE_DVD_FOLDER)
        return DvdWriteProgress(output_.Text(), stage);
    BurnProgress progress;
    progress.stage = stage;
    if (stage == BURN_STAGE_DVD_FORMAT)
        progress.kind = KS_KIND_BURN_PROGRESS;
    return progress;
}
