#include "CPyrelle.h"

#include <windows.h>
#include <io.h>

#include <IBurnerTool.h>
#include <KSResult.h>

#include <cwctype>
#include <cstring>

#include "BurnText.h"
#include "DisableAutorun.h"

namespace {

unsigned long BurnerFailed(unsigned long kind) { return KSMakeResult(0, KS_MODULE_CONSOLE, kind); }

bool SameDrive(const wchar_t* a, const std::wstring& b)
{
    if (!a)
        return false;
    size_t i = 0;
    for (; a[i] && i < b.size(); ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i])))
            return false;
    return a[i] == 0 && i == b.size();
}

// The run-time's search reports the entry itself with its folder bit, on Windows and
// in the Linux layer alike.
bool IsFolder(const std::string& path)
{
    _wfinddata64_t found{};
    const intptr_t search = _wfindfirst64(BurnWide(path).c_str(), &found);
    if (search == -1)
        return false;
    _findclose(search);
    return (found.attrib & _A_SUBDIR) != 0;
}

// "image.iso" in the running program's folder.
std::string ProgramImage()
{
    char path[4096] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string program = path;
    const size_t cut = program.find_last_of("\\/");
    return cut == std::string::npos ? std::string("image.iso") : program.substr(0, cut + 1) + "image.iso";
}

} // namespace

unsigned long CPyrelle::Release()
{
    delete this;
    return 0;
}

bool CPyrelle::Open(const wchar_t* drive)
{
    OutputDebugStringA("CreatePyrelle");
    if (!drive)
        return false;
    drive_ = BurnNarrow(drive);
    requests_.SetDevicePath(L"\\\\.\\" + std::wstring(drive));
    HANDLE device = CreateFileW(requests_.DevicePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(device);
    mediaType_ = requests_.MediaType();
    return true;
}

unsigned long CPyrelle::LockTray(unsigned long lock)
{
    return requests_.LockTray(lock != 0) ? 0 : BurnerFailed(KS_KIND_TRAY_LOCK);
}

unsigned long CPyrelle::Eject() { return requests_.Eject() ? 0 : BurnerFailed(KS_KIND_EJECT); }

unsigned long CPyrelle::HasData() { return usedKiB_ != 0 || status_ != BURN_DISC_BLANK ? 1 : 0; }

unsigned long CPyrelle::GetMediaType(unsigned long) { return mediaType_; }

unsigned long CPyrelle::GetDiscInfo(BURN_DISC_INFO* info)
{
    BURN_DISC_INFO local{};
    const unsigned long rc = requests_.DiscInfo(mediaType_, local, previousTrackStart_, lastTrackStart_);
    if (info)
        *info = local;
    if (KSFailed(rc))
        return rc;
    usedKiB_ = local.UsedKiB;
    status_ = local.Status;
    return 0;
}

unsigned long CPyrelle::GetScsiAddress(void* out)
{
    if (out)
        std::memcpy(out, scsiAddress_, sizeof scsiAddress_);
    return 0;
}

unsigned long CPyrelle::DeviceString(std::string& device) const
{
    IBurnerTool* tool = nullptr;
    const unsigned long rc = CreateObjectBurnerTool(1, KS_BURNER_TOOL_ID, reinterpret_cast<void**>(&tool));
    if (KSFailed(rc))
        return rc;
    const std::wstring wideDrive = BurnWide(drive_);
    device.clear();
    for (unsigned long i = 0; i < tool->GetCount(); ++i) {
        const DREVEL_INFO* info = tool->GetAt(i);
        if (info && SameDrive(info->Name, wideDrive) && info->ScsiId)
            device = BurnNarrow(info->ScsiId);
    }
    return 0;
}

CCdWriter* CPyrelle::CdWriter()
{
    std::lock_guard<std::mutex> guard(writersLock_);
    if (!cdWriter_)
        cdWriter_.reset(new CCdWriter(requests_));
    return cdWriter_.get();
}

CDvdWriter* CPyrelle::DvdWriter()
{
    std::lock_guard<std::mutex> guard(writersLock_);
    if (!dvdWriter_)
        dvdWriter_.reset(new CDvdWriter(drive_));
    return dvdWriter_.get();
}

unsigned long CPyrelle::BurnCd(const std::string& source, const std::string& device)
{
    CCdWriter* writer = CdWriter();
    writer->Prepare(source, device, HasData() != 0);
    writer->LimitImages(imageLimitMiB_);
    if (!source.empty())
        return writer->WriteFolder();
    return writer->WriteImage(ProgramImage());
}

unsigned long CPyrelle::BurnDvd(const std::string& source)
{
    CDvdWriter* writer = DvdWriter();
    if (!source.empty() && !IsFolder(source))
        return BurnerFailed(KS_KIND_NOT_A_FOLDER);
    if (mediaType_ == BURN_MEDIA_DVD_RW) {
        const unsigned long rc = writer->Format();
        if (KSFailed(rc))
            return rc;
    }
    return source.empty() ? writer->WriteImage(ProgramImage()) : writer->WriteFolder(source);
}

unsigned long CPyrelle::Burn(const wchar_t* source, unsigned long, const wchar_t*)
{
    std::string device;
    if (mediaType_ == BURN_MEDIA_CD_R || mediaType_ == BURN_MEDIA_CD_RW) {
        const unsigned long rc = DeviceString(device);
        if (KSFailed(rc))
            return rc;
    }
    return BurnWith(source ? BurnNarrow(source) : std::string(), device);
}

unsigned long CPyrelle::BurnWith(const std::string& narrow, const std::string& device)
{
    DisableAutorun();
    switch (mediaType_) {
    case BURN_MEDIA_CD_R:
    case BURN_MEDIA_CD_RW:
        return BurnCd(narrow, device);
    case BURN_MEDIA_UNSUPPORTED:
        return BurnerFailed(KS_KIND_MEDIA_UNSUPPORTED);
    default:
        return BurnDvd(narrow);
    }
}

unsigned long CPyrelle::Append(const wchar_t* source)
{
    const std::string narrow = source ? BurnNarrow(source) : std::string();
    switch (mediaType_) {
    case BURN_MEDIA_CD_R:
    case BURN_MEDIA_CD_RW: {
        CCdWriter* writer = nullptr;
        {
            std::lock_guard<std::mutex> guard(writersLock_);
            writer = cdWriter_.get();
        }
        // A further session needs the disc a burn of this object began.
        if (!writer)
            return BurnerFailed(KS_KIND_BURN_FAILED);
        return writer->AppendFolder(narrow);
    }
    case BURN_MEDIA_UNSUPPORTED:
        return BurnerFailed(KS_KIND_MEDIA_UNSUPPORTED);
    default:
        if (!IsFolder(narrow))
            return BurnerFailed(KS_KIND_NOT_A_FOLDER);
        return DvdWriter()->AppendFolder(narrow);
    }
}

unsigned long CPyrelle::GetProgress(int* value, int* total, int* stage)
{
    BurnProgress progress;
    progress.stage = BURN_STAGE_IDLE;
    {
        std::lock_guard<std::mutex> guard(writersLock_);
        if (cdWriter_)
            progress = cdWriter_->Progress();
        else if (dvdWriter_)
            progress = dvdWriter_->Progress();
    }
    if (value)
        *value = progress.value;
    if (total)
        *total = progress.total;
    if (stage)
        *stage = progress.stage;
    return progress.kind ? KSMakeResult(0, KS_MODULE_CONSOLE, progress.kind) : 0;
}
