#include "CPartitionWalk.h"

#include <cctype>

#include "BoundedText.h"
#include "CItemFinder.h"
#include "CWriteProtectProbe.h"
#include "ICensa.h"
#include "InterfaceOf.h"
#include "KSResult.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionBootInfo.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IVolumeEntryInfo.h"

bool CPartitionWalk::IsHiddenType(unsigned int typeId)
{
    switch (typeId) {
    case 0x11: case 0x14: case 0x16: case 0x17: case 0x1B: case 0x1C: case 0x1E:
        return true;
    default:
        return false;
    }
}

namespace {

uint8_t BootFlags(IManagerItem* item)
{
    IPartitionBootInfo* boot = InterfaceOf<IPartitionBootInfo>(item);
    if (boot == nullptr)
        return 0;
    uint8_t flags = 0;
    if (boot->HasBootRecord())
        flags |= KS_PART_FLAG_BOOT_A;
    if (boot->IsSystemPartition())
        flags |= KS_PART_FLAG_BOOT_B;
    return flags;
}

// The volume's letter into the record; a letter that names a drive is probed.
uint8_t VolumeFlags(IManagerItem* item, _KS_PARTITION_INFO& record)
{
    IVolumeEntryInfo* volume = InterfaceOf<IVolumeEntryInfo>(item);
    if (volume == nullptr)
        return 0;
    const char letter = volume->GetDriveLetter();
    record.DriveLetter = letter;
    if (std::isalpha(static_cast<unsigned char>(letter)) && CWriteProtectProbe::IsWriteProtected(letter))
        return KS_PART_FLAG_WRITE_PROTECTED;
    return 0;
}

void FillFileSystem(IManagerItem* item, _KS_PARTITION_INFO& record)
{
    IFileSystemPartition* fileSystem = InterfaceOf<IFileSystemPartition>(item);
    if (fileSystem == nullptr) {
        record.FileSystemType = FILE_SYSTEM_OTHER;
    } else {
        const char* label = fileSystem->GetVolumeLabel();
        if (label != nullptr && label[0] != '\0')
            CopyBoundedText(record.VolumeLabel, sizeof(record.VolumeLabel), label);
        record.FileSystemType = static_cast<uint32_t>(fileSystem->GetFileSystemType());
        record.FileSystemValue = fileSystem->GetVolumeSerial();
    }
    if (IFileSystemPartitionExtendInfo* extend = InterfaceOf<IFileSystemPartitionExtendInfo>(item)) {
        record.UsedSectors = extend->GetUsedSectors();
        record.SectorsPerCluster = static_cast<uint32_t>(extend->GetSectorsPerCluster());
    }
}

bool OnDynamicDisk(IManagerItem* item)
{
    IDiskDeviceType* kind = InterfaceOf<IDiskDeviceType>(item->GetParent());
    return kind != nullptr && kind->GetDiskType() == DISK_TYPE_DYNAMIC;
}

} // namespace

unsigned long CPartitionWalk::Fill(IPartitionManager* partitions, unsigned long long index,
                                   _KS_PARTITION_INFO& record, unsigned long long* hiddenSectors)
{
    CItemFinder finder;
    IManagerItem* item = finder.Find(partitions, index);
    IPartitionEntry* entry = InterfaceOf<IPartitionEntry>(item);
    if (entry == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_PARTITION);

    uint8_t flags = BootFlags(item);
    flags |= VolumeFlags(item, record);
    if (entry->IsActive())
        flags |= KS_PART_FLAG_ACTIVE;
    const unsigned int typeId = entry->GetPartitionType();
    if (IsHiddenType(typeId))
        flags |= KS_PART_FLAG_HIDDEN_TYPE;
    record.Flags = flags;

    FillFileSystem(item, record);

    record.Primary = entry->IsPrimary() ? 1 : 0;
    record.SectorCount = entry->GetSectorCount();
    record.PartitionType = static_cast<uint8_t>(typeId);
    record.StartSector = entry->GetStartSector();
    record.DynamicDisk = OnDynamicDisk(item) ? 1 : 0;

    // Hidden sectors are the distance from the record that describes the partition
    // (what its boot sector and the restore's own table walk say): for an entry of the
    // master boot record, which lies at sector 0, its first sector; for a logical
    // partition, its distance from its extended boot record, as the device manager
    // gives it. The device manager's value for a primary is the room before it in its
    // slot, which is no distance from any record.
    const unsigned long long hidden =
        typeId == 0 ? 0 : record.Primary != 0 ? record.StartSector : entry->GetHiddenSectors();
    record.HiddenSectors = hidden;
    if (hiddenSectors != nullptr)
        *hiddenSectors = hidden;
    return 0;
}
