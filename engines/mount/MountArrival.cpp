#include "MountArrival.h"

#include "KSResult.h"
#include "LittleEndian.h"
#include "MountKinds.h"
#include "PluginRecord.h"
#include "VolumeRecord.h"
#include "VolumeUtils.h"

#include <string>

namespace {

// The image volume begins one track into the virtual disk.
constexpr uint64_t kVolumeStart = 63;

bool DiskAnswersWith(DiskAccessDevice& disk, uint32_t diskId)
{
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE] = {};
    DWORD returned = 0;
    return disk.Control(IOCTL_ZEDISK_GET_RECORD, nullptr, 0, record, sizeof record, &returned) &&
           returned == sizeof record && RecordDiskId(record) == diskId;
}

std::wstring RootOf(char letter)
{
    return std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
}

} // namespace

void MountArrival::NoteBefore()
{
    for (unsigned n = 0; n < kDisks; ++n) {
        DiskAccessDevice disk;
        diskBefore_[n] = disk.Open(n);
    }
    lettersBefore_ = GetLogicalDrives();
}

bool MountArrival::TryNewDisks(unsigned long& result)
{
    for (unsigned n = 0; n < kDisks; ++n) {
        if (diskBefore_[n])
            continue;
        DiskAccessDevice disk;
        if (!disk.Open(n))
            continue;
        const bool ours = DiskAnswersWith(disk, diskId_);
        disk.Close();
        if (!ours) {
            diskBefore_[n] = true;   // another disk: never ours, never looked at again
            continue;
        }
        result = AssignDriveLetter(static_cast<char>('A' + wanted_), n, kVolumeStart);
        if (KSResultKind(result) == MountKind::kNoVolumeYet)
            return false;
        return true;
    }
    return false;
}

bool MountArrival::IsOurs(char letter)
{
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE] = {};
    return ReadVolumeRecord(letter, record) && RecordDiskId(record) == diskId_;
}

unsigned long MountArrival::MoveLetter(char from)
{
    wchar_t volume[MAX_PATH] = {};
    if (!GetVolumeNameForVolumeMountPointW(RootOf(from).c_str(), volume, MAX_PATH) ||
        !DeleteVolumeMountPointW(RootOf(from).c_str()) ||
        !SetVolumeMountPointW(RootOf(static_cast<char>('A' + wanted_)).c_str(), volume))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kPluginFailed);
    return 0;
}

bool MountArrival::TryNewLetters(unsigned long& result)
{
    for (int look = 0; look < 3; ++look) {
        const DWORD appeared = GetLogicalDrives() & ~lettersBefore_;
        for (unsigned index = 0; index < 26; ++index) {
            if ((appeared & (1u << index)) == 0)
                continue;
            const char letter = static_cast<char>('A' + index);
            if (!IsOurs(letter)) {
                lettersBefore_ |= 1u << index;   // a volume of another disk keeps its letter
                continue;
            }
            result = index == wanted_ ? 0 : MoveLetter(letter);
            return true;
        }
        Sleep(50);
    }
    return false;
}

unsigned long MountArrival::Wait(unsigned passes)
{
    for (unsigned pass = 0; pass < passes; ++pass) {
        unsigned long result = 0;
        if (TryNewDisks(result) || TryNewLetters(result))
            return result;
        Sleep(100);
    }
    return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoVolume);
}
