#include "PartitionRules.h"

#include "ItemQuery.h"
#include "LayoutAssert.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"

FatClusterWindow FatClusterCountWindow(enumFILE_SYSTEM_TYPE fs)
{
    switch (fs) {
    case FILE_SYSTEM_FAT12:
        return {512, 4084};
    case FILE_SYSTEM_FAT16:
        return {4085, 65519};
    default:
        return {65520, 12288000};
    }
}

bool IsSurportPartitionType(int type)
{
    switch (type) {
    case 0x01: case 0x04: case 0x05: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E:
    case 0x11: case 0x14: case 0x16: case 0x17: case 0x1B: case 0x1C: case 0x1E:
        return true;
    default:
        return false;
    }
}

std::string GetFileSystem(enumFILE_SYSTEM_TYPE fs, int partitionType)
{
    switch (static_cast<int>(fs)) {
    case 0: return "FAT12";
    case 1: return "FAT16";
    case 2: return "FAT32";
    case 3: return "NTFS";
    case 4: case 5: case 8: case 10: return "Other";
    case 7: return IsSurportPartitionType(partitionType) ? "Unformatted" : "Other";
    case 9: return "Other(BitLocker Encrypted)";
    default: return "Unformatted";
    }
}

enumFILE_SYSTEM_TYPE GetFileSysTypeFromVoltype(unsigned short volumeType)
{
    switch (volumeType) {
    case 1: return FILE_SYSTEM_FAT12;
    case 2: return FILE_SYSTEM_FAT16;
    case 3: return FILE_SYSTEM_FAT32;
    case 4: return FILE_SYSTEM_NTFS;
    case 5: return FILE_SYSTEM_FOREIGN4;
    case 6: return FILE_SYSTEM_FOREIGN5;
    case 7: return FILE_SYSTEM_FOREIGN8;
    case 8: return FILE_SYSTEM_BITLOCKER;
    case 9: return FILE_SYSTEM_FOREIGN10;
    default: return FILE_SYSTEM_OTHER;
    }
}

long GetMatchingClusterSize(long wanted)
{
    for (long size = 1; size <= 128; size *= 2)
        if (size >= wanted)
            return size;
    return wanted;
}

long GetMatchingMaxClusterSize(long allowed)
{
    for (long size = 128; size >= 2; size /= 2)
        if (size <= allowed)
            return size;
    return allowed;
}

void GetFatMinAndMaxClusterSize(long long sectors, enumFILE_SYSTEM_TYPE fs, unsigned long& minCluster,
                                unsigned long& maxCluster)
{
    const double mb = (static_cast<double>(sectors) * 10) / 2048.0 / 10.0;
    const unsigned long long count = static_cast<unsigned long long>(mb * 2048.0);
    const FatClusterWindow window = FatClusterCountWindow(fs);
    long smallest = GetMatchingClusterSize(static_cast<long>((count + window.largest - 1) / window.largest));
    long largest = GetMatchingMaxClusterSize(static_cast<long>(count / window.smallest));
    if (fs == FILE_SYSTEM_FAT12 && smallest < 2)
        smallest = 2;
    minCluster = static_cast<unsigned long>(smallest > 128 ? 128 : smallest);
    maxCluster = static_cast<unsigned long>(largest > 128 ? 128 : largest);
}

void GetFatMinAndMaxClusterSize(IManagerItem* item, enumFILE_SYSTEM_TYPE fs, unsigned long& minCluster,
                                unsigned long& maxCluster)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    LAYOUT_ASSERT(entry != nullptr, "__null != pEntry", "PartitionCalculator");
    GetFatMinAndMaxClusterSize(static_cast<long long>(entry->GetSectorCount()), fs, minCluster, maxCluster);
}

// Each step follows the size window of the variant it leaves: a variant is given up
// only where it can no longer live, so the answer always lies inside its own window.
enumFILE_SYSTEM_TYPE GetFitFileSystem(enumFILE_SYSTEM_TYPE fs, unsigned long long sectors, bool growing)
{
    if (growing) {
        if (fs == FILE_SYSTEM_FAT12 && sectors > kFat12MaxSectors)
            fs = FILE_SYSTEM_FAT16;
        if (fs == FILE_SYSTEM_FAT16 && sectors >= kFat16MaxSectors)
            fs = FILE_SYSTEM_FAT32;
    } else {
        if (fs == FILE_SYSTEM_FAT32 && sectors < kFat32MinSectors)
            fs = FILE_SYSTEM_FAT16;
        if (fs == FILE_SYSTEM_FAT16 && sectors < kFat16MinSectors)
            fs = FILE_SYSTEM_FAT12;
    }
    return fs;
}

bool IfNewPartitionSizeSurrportFileSystem(unsigned long long sectors, enumFILE_SYSTEM_TYPE& fs)
{
    switch (fs) {
    case FILE_SYSTEM_FAT12:
        return sectors >= kFat12MinSectors && sectors <= kFat12MaxSectors;
    case FILE_SYSTEM_FAT16:
        return sectors >= kFat16MinSectors && sectors <= kFat16MaxSectors;
    case FILE_SYSTEM_FAT32:
        return sectors >= kFat32MinSectors;
    case FILE_SYSTEM_NTFS:
        return sectors >= kNtfsMinSectors;
    default:
        return true;
    }
}

void GetDiskInterfaceType(_Interface_Type type, std::string& text)
{
    static const char* const kNames[] = {"",          "SCSI Disk Device", "ATAPI Bus",         "ATA Bus",
                                         "1394 Disk Device", "SSA Disk Device", "FIBER Disk Device", "USB Device",
                                         "RAID Disk Device"};
    const int index = static_cast<int>(type);
    text = (index >= 1 && index <= 8) ? kNames[index] : "";
}

bool IsBadDisk(IManagerItem* disk)
{
    IPartitionManager* manager = QueryItem<IPartitionManager>(disk);
    LAYOUT_ASSERT(manager != nullptr, "__null != pPartitionManager", "PartitionCalculator");
    return manager->IsBadDisk();
}

bool IsGPT(IManagerItem* disk)
{
    IDiskDeviceType* type = QueryItem<IDiskDeviceType>(disk);
    return type != nullptr && type->GetDiskType() == DISK_TYPE_GPT;
}

bool IsDynamic(IManagerItem* disk)
{
    IDiskDeviceType* type = QueryItem<IDiskDeviceType>(disk);
    return type != nullptr && type->GetDiskType() == DISK_TYPE_DYNAMIC;
}

bool IsOfflineDisk(int, ITasque*)
{
    return false;
}

namespace {
// Calls visit(index, entry) for every item of the item's disk until it answers false.
template <class Visit>
void WalkDiskOf(IManagerItem* item, Visit visit)
{
    LAYOUT_ASSERT(item != nullptr, "__null != pItem", "PartitionCalculator");
    IPartitionManager* disk = QueryItem<IPartitionManager>(item->GetParent());
    LAYOUT_ASSERT(disk != nullptr, "__null != pContainer", "PartitionCalculator");
    IIterator* iterator = disk->CreateIterator();
    LAYOUT_ASSERT(iterator != nullptr, "__null != pIterator", "PartitionCalculator");
    int index = 0;
    for (IManagerItem* entry = iterator->Next(); entry != nullptr; entry = iterator->Next(), ++index)
        if (!visit(index, entry))
            break;
    iterator->Release();
}

bool IsPrimaryItem(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    return entry != nullptr && entry->IsPrimary();
}

unsigned int PartitionTypeOf(IManagerItem* item)
{
    IPartitionEntry* entry = QueryItem<IPartitionEntry>(item);
    return entry != nullptr ? entry->GetPartitionType() : 0;
}
}  // namespace

bool IsFirstAndLogicalPartition(IManagerItem* item)
{
    bool result = false;
    IManagerItem* first = nullptr;
    WalkDiskOf(item, [&](int index, IManagerItem* entry) {
        if (index == 0)
            first = entry;
        if (entry != item)
            return index < 1;
        if (index == 0)
            result = !IsPrimaryItem(item);
        else if (index == 1)
            result = PartitionTypeOf(first) == 0 && !IsPrimaryItem(item);
        return false;
    });
    return result;
}

void FindPreAndNextItem(IManagerItem** previous, IManagerItem** next, IManagerItem* item)
{
    bool met = false;
    WalkDiskOf(item, [&](int, IManagerItem* entry) {
        if (met) {
            *next = entry;
            return false;
        }
        if (entry == item) {
            met = true;
            *next = nullptr;
            return true;
        }
        *previous = entry;
        return true;
    });
}
