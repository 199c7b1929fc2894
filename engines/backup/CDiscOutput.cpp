#include "CDiscOutput.h"

#include <windows.h>
#include <io.h>

#include <IBurnerTool.h>
#include <IKSBackup.h>
#include <IPyrelle.h>
#include <KSResult.h>

#include <cwctype>
#include <vector>

#include "BackupKinds.h"
#include "BackupTrace.h"

namespace {

constexpr uint64_t kSmallestDiscKiB = 400 * 1024;
constexpr uint32_t kCapacityMarginMiB = 100;
constexpr uint32_t kLargestFileMiB = 2100;
// Below this, an image file would be too small for the writer to take.
constexpr uint32_t kSmallestFileMiB = 50;
constexpr uint64_t kStagingRoomBytes = 0x2BC00000ull; // 700 MiB
constexpr unsigned long kDiscRefused = 0x607;
constexpr unsigned long kFolderUnreadable = 0x10E;
constexpr int kDiscInfoTries = 6;

unsigned long BackupResult(unsigned long kind) { return KSMakeResult(0, KS_MODULE_BACKUP, kind); }

bool IsOldSystem()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
}

bool IsDvd(unsigned long mediaType) { return mediaType >= BURN_MEDIA_DVD_PLUS_R && mediaType <= BURN_MEDIA_DVD_RAM; }

// The staged files' bytes; false when the folder cannot be listed.
bool StagedBytes(const std::wstring& folder, uint64_t& bytes, std::vector<std::wstring>* files)
{
    bytes = 0;
    _wfinddata64_t found{};
    const intptr_t search = _wfindfirst64((folder + L"\\*.*").c_str(), &found);
    if (search == -1)
        return false;
    do {
        if (found.attrib & _A_SUBDIR)
            continue;
        bytes += static_cast<uint64_t>(found.size);
        if (files)
            files->push_back(folder + L"\\" + found.name);
    } while (_wfindnext64(search, &found) == 0);
    _findclose(search);
    return true;
}

uint32_t MiBRoundedUp(uint64_t bytes) { return static_cast<uint32_t>((bytes + (1u << 20) - 1) >> 20); }

} // namespace

const KSDiscServices& KSDefaultDiscServices()
{
    static const KSDiscServices services{CreateObjectPyrelle, CreateObjectBurnerTool};
    return services;
}

CDiscOutput::~CDiscOutput() { Finish(); }

unsigned long CDiscOutput::ReadDisc(unsigned long& mediaType, uint64_t& totalKiB, uint64_t& usedKiB)
{
    mediaType = burner_->GetMediaType(0);
    BURN_DISC_INFO info{};
    for (int attempt = 0; attempt < kDiscInfoTries; ++attempt) {
        const unsigned long rc = burner_->GetDiscInfo(&info);
        if (KSFailed(rc))
            return KS_TRACE(rc);
        if (info.TotalKiB >= info.UsedKiB + info.FreeKiB)
            break;
    }
    totalKiB = info.TotalKiB;
    usedKiB = info.UsedKiB;
    return 0;
}

unsigned long CDiscOutput::Objection(unsigned long mediaType, uint64_t totalKiB, uint64_t usedKiB,
                                     uint32_t needMiB) const
{
    if (IsOldSystem() && IsDvd(mediaType))
        return KS_BACKUP_MSG_DVD_ON_OLD_OS;
    if (mediaType == BURN_MEDIA_UNSUPPORTED)
        return KS_BACKUP_MSG_BAD_DISC;
    if (BurnMediaWriteOnce(mediaType) && usedKiB != 0)
        return KS_BACKUP_MSG_NEED_DISC;
    if ((totalKiB & ~uint64_t{0x3FF}) < kSmallestDiscKiB)
        return KS_BACKUP_MSG_NEED_DISC;
    const uint32_t totalMiB = static_cast<uint32_t>(totalKiB >> 10);
    if (needMiB != 0 && (totalMiB <= kCapacityMarginMiB || totalMiB - kCapacityMarginMiB < needMiB))
        return KS_BACKUP_MSG_NEED_DISC;
    return 0;
}

void CDiscOutput::SetCapacity(uint64_t totalKiB)
{
    const uint32_t totalMiB = static_cast<uint32_t>(totalKiB >> 10);
    DebugPrint("CD capacity %u MB.\n", totalMiB);
    remainingMiB_ = totalMiB > kCapacityMarginMiB ? totalMiB - kCapacityMarginMiB : 0;
    DebugPrint("Adjusted CD capacity %u MB.\n", remainingMiB_);
}

unsigned long CDiscOutput::Prepare(const std::wstring& imagePath)
{
    void* object = nullptr;
    unsigned long rc = services_.createPyrelle(1, KS_PYRELLE_ID, &object);
    if (KSFailed(rc))
        return KS_TRACE(rc);
    {
        std::lock_guard<std::mutex> hold(burnerLock_);
        burner_ = static_cast<IPyrelle*>(object);
    }
    if (KSFailed(rc = services_.createBurnerTool(1, KS_BURNER_TOOL_ID, &object)))
        return KS_TRACE(rc);
    tool_ = static_cast<IBurnerTool*>(object);
    tool_->SearchAllBurner();
    // The drive as the tool names it, whatever case the path was typed in.
    drive_ = imagePath.empty() ? std::wstring() : std::wstring(1, static_cast<wchar_t>(std::towupper(imagePath[0]))) + L":";
    if (drive_.empty() || !tool_->Exists(drive_.c_str()) || !burner_->Open(drive_.c_str()))
        return KS_TRACE(BackupResult(backup_kinds::kNoWriter));
    unsigned long mediaType = 0;
    uint64_t totalKiB = 0, usedKiB = 0;
    if (KSFailed(rc = ReadDisc(mediaType, totalKiB, usedKiB)))
        return KS_TRACE(rc);
    const unsigned long objection = Objection(mediaType, totalKiB, usedKiB, 0);
    if (objection != 0) {
        rc = AskForDisc(objection, nullptr);
        if (KSSucceeded(rc))
            return 0;
        // A refused disc is not fatal here: the run goes on with the disc in the drive.
        if (KSResultKind(rc) != kDiscRefused)
            return KS_TRACE(rc);
        if (KSFailed(rc = ReadDisc(mediaType, totalKiB, usedKiB)))
            return KS_TRACE(rc);
    }
    SetCapacity(totalKiB);
    burner_->LockTray(1);
    return 0;
}

unsigned long CDiscOutput::Eject()
{
    burner_->LockTray(0);
    burner_->Eject();
    burner_->Reserved14();
    return 0;
}

unsigned long CDiscOutput::AskForDisc(unsigned long message, const wchar_t* path, uint32_t needMiB)
{
    unsigned long answer = 0;
    const uint32_t previous = host_.State();
    if (message == KS_BACKUP_MSG_TARGET_FULL) {
        host_.SetState(message);
        const bool asked = host_.AskCaller(message, path, answer);
        host_.SetState(previous);
        if (!asked)
            return KS_TRACE(BackupResult(KS_KIND_BAD_ARGUMENT));
        return answer == 1 ? KS_TRACE(BackupResult(KS_KIND_TARGET_FULL)) : answer;
    }
    if (message != KS_BACKUP_MSG_NEED_DISC && message != KS_BACKUP_MSG_BAD_DISC &&
        message != KS_BACKUP_MSG_DVD_ON_OLD_OS)
        return 0;
    unsigned long rc = 0;
    while (message != 0) {
        host_.SetState(message);
        if (burner_)
            Eject();
        if (!host_.AskCaller(message, nullptr, answer)) {
            rc = KS_TRACE(BackupResult(KS_KIND_BAD_ARGUMENT));
            break;
        }
        if (answer != 0) {
            rc = answer == 1 ? KS_TRACE(BackupResult(kDiscRefused)) : answer;
            break;
        }
        freshDisc_ = true;
        if (!burner_ || !burner_->Open(drive_.c_str())) {
            rc = KS_TRACE(BackupResult(backup_kinds::kNoWriter));
            break;
        }
        unsigned long mediaType = 0;
        uint64_t totalKiB = 0, usedKiB = 0;
        if (KSFailed(rc = ReadDisc(mediaType, totalKiB, usedKiB)))
            break;
        DebugPrint("Change disc : type %lu, total capacity %lluMB, used capacity %lluMB.", mediaType,
                   static_cast<unsigned long long>(totalKiB >> 10), static_cast<unsigned long long>(usedKiB >> 10));
        message = Objection(mediaType, totalKiB, usedKiB, needMiB);
        if (message == 0) {
            host_.SetDiscBurned(false);
            SetCapacity(totalKiB);
        }
        burner_->LockTray(1);
    }
    host_.SetState(previous);
    return rc;
}

unsigned long CDiscOutput::SplitSize(unsigned long& splitMiB)
{
    // Too little room left on a disc this run has written to: a new disc first. A disc
    // not written to yet is as large as it gets; asking again would only eject it.
    if (!freshDisc_ && remainingMiB_ < kSmallestDiscKiB / 1024) {
        const unsigned long rc = AskForDisc(KS_BACKUP_MSG_NEED_DISC, nullptr);
        if (KSFailed(rc) && KSResultKind(rc) != kDiscRefused)
            return KS_TRACE(rc);
        // A refused disc leaves what is left; a file smaller than this cannot be made
        // (and 0 would mean a file without limit).
        if (remainingMiB_ < kSmallestFileMiB)
            return KS_TRACE(BackupResult(kDiscRefused));
    }
    splitMiB = remainingMiB_ < kLargestFileMiB ? remainingMiB_ : kLargestFileMiB;
    return 0;
}

unsigned long CDiscOutput::BurnFolder(const std::wstring& folder)
{
    const uint32_t previous = host_.State();
    host_.SetState(KS_BACKUP_STATE_BURNING);
    uint64_t bytes = 0;
    if (!StagedBytes(folder, bytes, nullptr)) {
        host_.SetState(previous);
        return KS_TRACE(BackupResult(kFolderUnreadable));
    }
    const uint32_t sizeMiB = MiBRoundedUp(bytes);
    DebugPrint("file size %llu MB.\n", static_cast<unsigned long long>(bytes >> 20));
    DebugPrint("m_dwRemainCdCapab : %u MB.\n", remainingMiB_);
    unsigned long rc = 0;
    if (sizeMiB > remainingMiB_)
        rc = AskForDisc(KS_BACKUP_MSG_NEED_DISC, nullptr, sizeMiB);
    while (KSSucceeded(rc)) {
        if (freshDisc_) {
            ULARGE_INTEGER available{}, total{}, free{};
            if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &total, &free) ||
                available.QuadPart < kStagingRoomBytes) {
                rc = KS_TRACE(BackupResult(KS_KIND_TARGET_FULL));
                break;
            }
            const std::wstring label = host_.DiscLabel();
            rc = burner_->Burn(folder.c_str(), firstBurn_ ? 1 : 0, label.c_str());
            burner_->LockTray(1);
            DebugPrint("BurnOperate Error <0x%lx>.\n", rc);
            host_.SetDiscBurned(true);
        } else {
            rc = burner_->Append(folder.c_str());
            burner_->LockTray(1);
            DebugPrint("MultiBurnOperate Error <0x%lx>.\n", rc);
        }
        if (KSSucceeded(rc))
            break;
        // Another disc for the same files; the staged files stay until one takes them.
        const unsigned long asked = AskForDisc(KS_BACKUP_MSG_BAD_DISC, nullptr, sizeMiB);
        if (KSFailed(asked)) {
            rc = KS_TRACE(asked);
            break;
        }
        rc = 0;
    }
    if (KSSucceeded(rc)) {
        remainingMiB_ = remainingMiB_ > sizeMiB ? remainingMiB_ - sizeMiB : 0;
        firstBurn_ = false;
        freshDisc_ = false;
        std::vector<std::wstring> files;
        StagedBytes(folder, bytes, &files);
        for (const std::wstring& file : files)
            DeleteFileW(file.c_str());
    }
    host_.SetState(previous);
    return rc;
}

bool CDiscOutput::BurnerProgress(int& value, int& total, int& stage)
{
    std::lock_guard<std::mutex> hold(burnerLock_);
    if (!burner_)
        return false;
    burner_->GetProgress(&value, &total, &stage);
    return true;
}

void CDiscOutput::Finish()
{
    std::lock_guard<std::mutex> hold(burnerLock_);
    if (!burner_)
        return;
    Eject();
    burner_->Release();
    burner_ = nullptr;
}
