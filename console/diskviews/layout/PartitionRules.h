// Rules every disk view and wizard page shares: supported partition type ids, display
// names, the size windows of the FAT variants and NTFS, FAT cluster-size windows, the
// disk kind tests and neighbour lookups in a disk's partition list. Sizes in sectors.
#pragma once

#include <string>

#include "vessmar/FileSystemType.h"
#include "vessmar/IDiskEntry.h"

class IManagerItem;
class ITasque;

// Sector bounds of the FAT variants and NTFS.
constexpr unsigned long long kFat12MinSectors = 5040;
constexpr unsigned long long kFat12MaxSectors = 32256;
constexpr unsigned long long kFat16MinSectors = 33264;
constexpr unsigned long long kFat16MaxSectors = 8386928;
constexpr unsigned long long kFat32MinSectors = 68544;
constexpr unsigned long long kNtfsMinSectors = 16065;

// Cluster-count windows of the FAT variants.
struct FatClusterWindow {
    unsigned long long smallest;
    unsigned long long largest;
};
FatClusterWindow FatClusterCountWindow(enumFILE_SYSTEM_TYPE fs);

bool IsSurportPartitionType(int type);
std::string GetFileSystem(enumFILE_SYSTEM_TYPE fs, int partitionType);
enumFILE_SYSTEM_TYPE GetFileSysTypeFromVoltype(unsigned short volumeType);
long GetMatchingClusterSize(long wanted);
long GetMatchingMaxClusterSize(long allowed);
void GetFatMinAndMaxClusterSize(long long sectors, enumFILE_SYSTEM_TYPE fs, unsigned long& minCluster,
                                unsigned long& maxCluster);
void GetFatMinAndMaxClusterSize(IManagerItem* item, enumFILE_SYSTEM_TYPE fs, unsigned long& minCluster,
                                unsigned long& maxCluster);
enumFILE_SYSTEM_TYPE GetFitFileSystem(enumFILE_SYSTEM_TYPE fs, unsigned long long sectors, bool growing);
bool IfNewPartitionSizeSurrportFileSystem(unsigned long long sectors, enumFILE_SYSTEM_TYPE& fs);
void GetDiskInterfaceType(_Interface_Type type, std::string& text);
bool IsBadDisk(IManagerItem* disk);
bool IsGPT(IManagerItem* disk);
bool IsDynamic(IManagerItem* disk);
bool IsOfflineDisk(int disk, ITasque* command);
bool IsFirstAndLogicalPartition(IManagerItem* item);
// Neighbours of item in its disk's list. Outputs are written only when found.
void FindPreAndNextItem(IManagerItem** previous, IManagerItem** next, IManagerItem* item);
// The text cut to a pixel width at 12 pixels a character, ending in "..." when cut.
std::string GetStringToScreen(const std::string& text, int width);
