#include "SystemFixups.h"

#include <windows.h>

#include <cstring>

#include "CLogWriter.h"
#include "CRestore.h"
#include "FixupDisks.h"
#include "FixupKinds.h"
#include "FixupServices.h"
#include "KSResult.h"
#include "KSVolume.h"
#include "MountedDevices.h"
#include "RestoreTargetLookup.h"
#include "SectorFixes.h"
#include "VolumeNaming.h"
#include "VolumeUtils.h"
#include "VovavRecords.h"

using namespace fixup_kinds;

namespace {

const _KS_RESTORE_TARGET& TargetOf(const _KS_RESTORE_OPERATION& operation)
{
    return *static_cast<const _KS_RESTORE_TARGET*>(operation.Target);
}

// The image volume of a partition restore; null for a disk restore or a clone.
const _KS_VOLUME* ImageVolumeOf(const _KS_RESTORE_OPERATION& operation)
{
    const auto* volume = static_cast<const _KS_VOLUME*>(operation.Source);
    return volume != nullptr && volume->Magic == KS_VOLUME_MAGIC ? volume : nullptr;
}

const _KS_RESTORE_TARGET* CloneSourceOf(const _KS_RESTORE_OPERATION& operation)
{
    return ImageVolumeOf(operation) == nullptr ? static_cast<const _KS_RESTORE_TARGET*>(operation.Source) : nullptr;
}

void CopyPath(const std::string& path, char16_t* out, size_t chars)
{
    for (size_t i = 0; i + 1 < chars && i < path.size(); ++i)
        out[i] = static_cast<unsigned char>(path[i]);
}

// The ARC numbers of a clone's source as the backup reader packs them.
uint32_t CloneSourceArc(const FixupServices& services, const _KS_RESTORE_TARGET& source)
{
    unsigned long arc[5] = {3, 0xFFFFFFFFul, 0xFFFFFFFFul, 0xFFFFFFFFul, 0xFFFFFFFFul};
    if (services.arcInfo(source.DiskNumber, source.FirstSector, arc) != 0)
        return KS_ARC_UNKNOWN;
    return (arc[0] & 0xFF) | ((arc[2] & 0xFF) << 8) | ((arc[3] & 0xFF) << 16) | ((arc[4] & 0xFF) << 24);
}

// The BCD update of one operation.
unsigned long UpdateBcd(const FixupServices& services, const _KS_RESTORE_OPERATION& operation, IFixupVolume& volume)
{
    const _KS_RESTORE_TARGET& target = TargetOf(operation);
    KSBcdOption option;
    option.newSignature = services.diskSignature(target.DiskNumber);
    if (const _KS_VOLUME* image = ImageVolumeOf(operation)) {
        option.oldSignature = image->DiskSignature;
        option.oldFirstSector = image->PartitionStart;
    } else if (const _KS_RESTORE_TARGET* source = CloneSourceOf(operation)) {
        option.oldSignature = services.diskSignature(source->DiskNumber);
        option.oldFirstSector = source->FirstSector;
    }
    option.newFirstSector = target.FirstSector;
    option.letter = IsLetter(target.DriveLetter) ? target.DriveLetter : 0;
    CopyPath(FixupVolumePath(volume, target, true), option.volumePath, KS_BCD_PATH_CHARS);
    option.disk = target.DiskNumber;
    option.boot = target.BootFlag;
    if (option.oldSignature == option.newSignature && target.BootFlag == 0)
        return 0;
    // Vovav is handed the record first: which volume to look at is in it, and its
    // answers below are about the store it found there. A store that is there and was
    // not rewritten fails the fix-up.
    unsigned char record[KS_BCD_OPTION_BYTES];
    KSStoreBcdOption(option, record);
    const unsigned long init = services.bcdInit(nullptr, record);
    if (services.bcdIsVistaBoot() && !services.bcdIsUsingBcdFile() && services.bcdIsBcdPartition()) {
        if (init != 0)
            return FixupFailure(kBcd);
        services.bcdLock();
        services.bcdUnlock();
    }
    return 0;
}

// The "MountedDevices" values that named the volume's old place name the new one;
// a lettered target also gets its "\DosDevices\X:" value.
unsigned long UpdateMountedDevices(const FixupServices& services, const _KS_RESTORE_OPERATION& operation,
                                   IFixupVolume& volume)
{
    const _KS_RESTORE_TARGET& target = TargetOf(operation);
    MountedDevicesPlace from;
    if (const _KS_VOLUME* image = ImageVolumeOf(operation)) {
        from.signature = image->DiskSignature;
        from.offset = image->PartitionStart * 512;
    } else if (const _KS_RESTORE_TARGET* source = CloneSourceOf(operation)) {
        CLogWriter::Log("UpdateRegistry for clone operation.");
        from.signature = services.diskSignature(source->DiskNumber);
        from.offset = source->FirstSector * 512;
    }
    const MountedDevicesPlace to{services.diskSignature(target.DiskNumber), target.FirstSector * 512};
    const std::string path = FixupVolumePath(volume, target, false);
    if (path.empty())
        return 0;
    if (const unsigned long rc = RewriteMountedDevices(path, from, to))
        return rc;
    if (IsLetter(target.DriveLetter))
        return SetDosDevicesValue(path, target.DriveLetter, to);
    return 0;
}

bool HasSource(const _KS_RESTORE_OPERATION& operation)
{
    return operation.Source != nullptr && operation.Target != nullptr && TargetOf(operation).SectorCount != 0;
}

unsigned long BootIniFor(CRestore& engine, const _KS_RESTORE_OPERATION& operation, IFixupVolume* volume,
                         unsigned long mode, bool flag)
{
    if (!HasSource(operation))
        return 0;
    const FixupServices& services = engine.Services().fixups;
    const _KS_RESTORE_TARGET& target = TargetOf(operation);
    KSBootIniOption option;
    option.disk = target.DiskNumber;
    if (mode != 0 || flag) {
        if (const _KS_VOLUME* image = ImageVolumeOf(operation))
            option.oldArc = image->ArcNumbers;
        else if (const _KS_RESTORE_TARGET* source = CloneSourceOf(operation))
            option.oldArc = CloneSourceArc(services, *source);
        option.firstSector = target.FirstSector;
        option.letter = IsLetter(target.DriveLetter) ? target.DriveLetter : 0;
        if (option.letter == 0 && volume != nullptr)
            CopyPath(FixupVolumePath(*volume, target, true), option.volumePath, KS_BOOTINI_PATH_CHARS);
    }
    unsigned char record[KS_BOOTINI_OPTION_BYTES];
    KSStoreBootIniOption(option, record);
    services.bootIniSetOptPart(mode, record);
    if (services.bootIniIsUpdated() && services.bootIniUpdateFile() != 0) {
        CLogWriter::Log("Failed in UpdateBootIni.");
        return FixupFailure(kBootIni);
    }
    return 0;
}

void LockAndDismount(char letter)
{
    HANDLE volume = LockVolume(letter);
    if (volume == INVALID_HANDLE_VALUE)
        return;
    DismountVolume(volume, letter);
    UnlockAndCloseVolume(volume);
}

// The letter the volume has now, when it opens as a volume.
bool OpensAsVolume(char letter)
{
    const std::wstring name = std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter) + L":";
    HANDLE volume = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(volume);
    return true;
}

unsigned long BootConfiguration(CRestore& engine, const _KS_RESTORE_OPERATION& operation, IFixupVolume& volume,
                                unsigned long mode, bool flag)
{
    const FixupServices& services = engine.Services().fixups;
    unsigned long rc = BootIniFor(engine, operation, &volume, mode, flag);
    if (rc == 0)
        rc = UpdateBcd(services, operation, volume);
    if (rc == 0)
        rc = UpdateMountedDevices(services, operation, volume);
    return rc;
}

bool FixAllowed(CRestore& engine, const _KS_RESTORE_OPERATION& operation)
{
    return operation.Option != 0 || engine.sectorRestore.load() != 0 || engine.CloneFlag();
}

// The hidden-sector fix of the target's entry; the disks are read again after a change.
void FixHiddenSectors(CRestore& engine, const _KS_RESTORE_OPERATION& operation, IFixupVolume*& volume)
{
    const _KS_RESTORE_TARGET& target = TargetOf(operation);
    if (volume == nullptr || target.HiddenSectors == 0)
        return;
    if (FixTableEntryHiddenSectors(target.DiskNumber, volume->Start(), volume->Sectors(), volume->Hidden(), target,
                                   FixAllowed(engine, operation)))
        volume = FindFixupTarget(engine.Services().fixups, target, true);
}

// Letters of the disk put back: a partition whose letter is not the one the device
// manager holds for it loses it and gets the wanted one.
void PutLettersBack(const FixupServices& services, unsigned disk)
{
    for (IFixupVolume* partition : services.disks->Partitions(disk)) {
        const char wanted = partition->Letter();
        char current = 0;
        const bool lettered = GetLetterOfPartition(current, disk, partition->Start());
        if (lettered && current == wanted)
            continue;
        if (lettered)
            RemoveDriveLetter(current);
        if (!IsLetter(static_cast<uint8_t>(wanted)))
            continue;
        wchar_t name[39] = {};
        if (!GetVolumeOfPartition(name, disk, partition->Start()))
            continue;
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(wanted)) + L":\\";
        const std::wstring volumeName = std::wstring(L"\\\\?\\Volume") + name + L"\\";
        for (int attempt = 0; attempt < 21; ++attempt) {
            DeleteVolumeMountPointW(root.c_str());
            Sleep(100);
            if (SetVolumeMountPointW(root.c_str(), volumeName.c_str()))
                break;
        }
    }
}

void SetLetters(const FixupServices& services, const std::vector<_KS_RESTORE_OPERATION>& queue)
{
    for (const _KS_RESTORE_OPERATION& operation : queue) {
        const _KS_RESTORE_TARGET& target = TargetOf(operation);
        if (IFixupVolume* volume = FindFixupTarget(services, target))
            volume->SetLetter(IsLetter(target.DriveLetter) ? static_cast<char>(target.DriveLetter) : 0);
    }
}

} // namespace

IFixupVolume* FindFixupTarget(const FixupServices& services, const _KS_RESTORE_TARGET& target, bool rescan)
{
    if (services.disks == nullptr || !services.disks->Open(rescan))
        return nullptr;
    const std::vector<IFixupVolume*> partitions = services.disks->Partitions(target.DiskNumber);
    std::vector<RestorePartition> places;
    for (IFixupVolume* partition : partitions)
        places.push_back(RestorePartition{partition->Start(), partition->Sectors(), partition->Hidden()});
    const long index = FindRestoreTarget(places, target);
    return index >= 0 ? partitions[static_cast<size_t>(index)] : nullptr;
}

unsigned long UpdateBootIni(CRestore& engine, const _KS_RESTORE_OPERATION& operation, unsigned long mode, bool flag)
{
    IFixupVolume* volume =
        operation.Target ? FindFixupTarget(engine.Services().fixups, TargetOf(operation), true) : nullptr;
    return BootIniFor(engine, operation, volume, mode, flag);
}

unsigned long UpdateBootIniAfterRun(CRestore& engine, const _KS_RESTORE_OPERATION& operation)
{
    return UpdateBootIni(engine, operation, 0, false);
}

unsigned long UpdateSystemForPartOpt(CRestore& engine, const _KS_RESTORE_OPERATION& operation)
{
    CLogWriter::Log("Enter in UpdateSystemForPartOpt.");
    const FixupServices& services = engine.Services().fixups;
    const _KS_RESTORE_TARGET& target = TargetOf(operation);
    unsigned long result = 0;
    IFixupVolume* volume = FindFixupTarget(services, target, true);
    if (volume == nullptr) {
        result = FixupFailure(kNotFound);
        CLogWriter::Log("Leave in UpdateSystemForPartOpt. ErrorCode:%d", static_cast<int>(result));
        return result;
    }
    volume->SetLetter(IsLetter(target.DriveLetter) ? static_cast<char>(target.DriveLetter) : 0);
    FixHiddenSectors(engine, operation, volume);
    if (volume == nullptr)
        result = FixupFailure(kNotFound);
    if (volume != nullptr) {
        FixBootSectorGeometry(*services.disks, *volume, target);
        if (MountAndNameVolume(*volume, target) == 0) {
            char letter = 0;
            if (GetLetterOfPartition(letter, target.DiskNumber, volume->Start()) && OpensAsVolume(letter))
                LockAndDismount(letter);
        } else {
            result = FixupFailure(kNamingFailed);
        }
        if (target.BootFlag != 0) {
            const unsigned long rc = BootConfiguration(engine, operation, *volume, 1, false);
            if (result == 0)
                result = rc;
        }
    }
    CLogWriter::Log("Leave in UpdateSystemForPartOpt. ErrorCode:%d", static_cast<int>(result));
    return result;
}

unsigned long UpdateSystemForDiskOpt(CRestore& engine)
{
    const FixupServices& services = engine.Services().fixups;
    std::vector<_KS_RESTORE_OPERATION>& queue = engine.Queue();
    unsigned long result = 0;
    if (queue.empty() || FindFixupTarget(services, TargetOf(queue.front()), true) == nullptr) {
        if (!queue.empty() && TargetOf(queue.front()).SectorCount != 0)
            result = FixupFailure(kNotFound);
        CLogWriter::Log("Leave in UpdateSystemForDiskOpt. ErrorCode:%d", static_cast<int>(result));
        return result;
    }
    // 1: the partitions that hold the restored system become active.
    for (const _KS_RESTORE_OPERATION& operation : queue)
        if (TargetOf(operation).BootFlag != 0)
            if (IFixupVolume* volume = FindFixupTarget(services, TargetOf(operation)))
                volume->MakeActive();
    // 2: letters; 3: hidden sectors of the table entries. The device manager reads a
    // changed table again and forgets the letters it held, so they are set once more.
    SetLetters(services, queue);
    bool tableChanged = false;
    for (const _KS_RESTORE_OPERATION& operation : queue) {
        const _KS_RESTORE_TARGET& target = TargetOf(operation);
        IFixupVolume* volume = FindFixupTarget(services, target);
        if (volume != nullptr && target.HiddenSectors != 0 &&
            FixTableEntryHiddenSectors(target.DiskNumber, volume->Start(), volume->Sectors(), volume->Hidden(), target,
                                       FixAllowed(engine, operation)))
            tableChanged = true;
    }
    if (tableChanged) {
        services.disks->Open(true);
        SetLetters(services, queue);
    }
    // 4: each operation's partition.
    bool named = false;
    for (const _KS_RESTORE_OPERATION& operation : queue) {
        const _KS_RESTORE_TARGET& target = TargetOf(operation);
        IFixupVolume* volume = FindFixupTarget(services, target);
        if (volume == nullptr) {
            if (target.SectorCount != 0) {
                result = FixupFailure(kNotFound);
                break;
            }
            continue;
        }
        if (target.SectorCount != 0) {
            FixBootSectorGeometry(*services.disks, *volume, target);
            volume->SetLetter(IsLetter(target.DriveLetter) ? static_cast<char>(target.DriveLetter) : 0);
        }
        unsigned long namingResult = 0;
        if (!named) {
            named = true;
            const unsigned long rc = MountAndNameVolume(*volume, target);
            if (rc != 0 && KSResultKind(rc) != kNoVolumeName)
                namingResult = FixupFailure(kNamingFailed);
            volume = FindFixupTarget(services, target);
            if (volume == nullptr) {
                result = FixupFailure(kNotFound);
                break;
            }
        }
        PutLettersBack(services, target.DiskNumber);
        volume = FindFixupTarget(services, target);
        if (volume == nullptr) {
            result = FixupFailure(kNotFound);
            break;
        }
        if (target.SectorCount != 0 && IsLetter(target.DriveLetter)) {
            const char letter = static_cast<char>(target.DriveLetter);
            HANDLE locked = LockVolume(letter);
            DismountVolume(locked, letter);
            UnlockAndCloseVolume(locked);
        }
        const bool bootTrack = target.FirstSector == 0 && target.SectorCount < 2049;
        if (!bootTrack) {
            const unsigned long rc = BootConfiguration(engine, operation, *volume, 0, true);
            if (namingResult == 0)
                namingResult = rc;
        }
        if (namingResult != 0) {
            result = namingResult;
            break;
        }
    }
    CLogWriter::Log("Leave in UpdateSystemForDiskOpt. ErrorCode:%d", static_cast<int>(result));
    return result;
}
