#include "CCensa.h"

#include <cstring>

#include "BoundedText.h"
#include "CDeviceTree.h"
#include "CDiskAccessService.h"
#include "CPartitionWalk.h"
#include "InterfaceOf.h"
#include "KSResult.h"
#include "vessmar/IDiskDeviceType.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IDiskGeometry.h"
#include "vessmar/FileSystemType.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVessmarModule.h"

unsigned long CCensa::Init()
{
    if (initialised_)
        return 0;
    CDiskAccessService::Start(); // without the service only raw access suffers; listing goes on
    IVessmarModule* module = OpenModuleT<IVessmarModule>(CDeviceTree::kModuleName);
    if (module == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_MODULE);
    IObject* session = module->Open(0);
    if (session == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_REFRESH);
    module->Attach(session);
    initialised_ = true;
    return 0;
}

unsigned long CCensa::GetDiskCount(unsigned long long* count)
{
    Init();
    if (count == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_KIND_BAD_ARGUMENT);
    CDeviceTree tree;
    if (const unsigned long result = tree.Open())
        return result;
    *count = tree.Manager()->GetCount();
    return 0;
}

unsigned long CCensa::GetDiskInfo(unsigned long long disk, _KS_DISK_INFO* info)
{
    Init();
    if (info == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_KIND_BAD_ARGUMENT);
    CDeviceTree tree;
    if (const unsigned long result = tree.Open())
        return result;
    IManagerItem* item = tree.FindDisk(disk);
    IDiskEntry* entry = InterfaceOf<IDiskEntry>(item);
    IDiskGeometry* geometry = InterfaceOf<IDiskGeometry>(item);
    IDiskDeviceType* kind = InterfaceOf<IDiskDeviceType>(item);
    IPartitionManager* partitions = InterfaceOf<IPartitionManager>(item);
    // An item that is not a whole disk is no disk: the record stays as it was.
    if (entry == nullptr || geometry == nullptr || kind == nullptr || partitions == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_DISK);

    CopyBoundedText(info->ModelName, sizeof(info->ModelName), entry->GetModelName());
    info->Cylinders = geometry->GetCylinders();
    info->TracksPerCylinder = geometry->GetTracksPerCylinder();
    info->TotalSectors = entry->GetTotalSectors();
    info->SectorsPerTrack = geometry->GetSectorsPerTrack();
    info->BytesPerSector = geometry->GetBytesPerSector();
    const unsigned int diskType = kind->GetDiskType();
    info->DiskType = static_cast<uint16_t>(diskType);
    info->InterfaceType = static_cast<uint32_t>(entry->GetInterfaceType());
    info->BadDisk = partitions->IsBadDisk() ? 1 : 0;
    info->Dynamic = diskType == DISK_TYPE_DYNAMIC ? 1 : 0;
    return 0;
}

unsigned long CCensa::GetPartitionCount(unsigned long long disk, unsigned long long* count)
{
    Init();
    if (count == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_KIND_BAD_ARGUMENT);
    CDeviceTree tree;
    if (const unsigned long result = tree.Open())
        return result;
    IPartitionManager* partitions = InterfaceOf<IPartitionManager>(tree.FindDisk(disk));
    if (partitions == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_DISK);
    *count = partitions->GetCount();
    return 0;
}

unsigned long CCensa::GetPartitionInfo(unsigned long long disk, unsigned long long partition, _KS_PARTITION_INFO* info,
                                       unsigned long long* hiddenSectors)
{
    Init();
    if (info == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_KIND_BAD_ARGUMENT);
    std::memset(info, 0, sizeof(*info));
    CDeviceTree tree;
    if (const unsigned long result = tree.Open())
        return result;
    IPartitionManager* partitions = InterfaceOf<IPartitionManager>(tree.FindDisk(disk));
    if (partitions == nullptr)
        return KS_RESULT(KS_MODULE_ENUMDISK, KS_ERR_NO_DISK);

    _KS_PARTITION_INFO work;
    std::memset(&work, 0, sizeof(work));
    const unsigned long result = CPartitionWalk::Fill(partitions, partition, work, hiddenSectors);
    if (KSFailed(result))
        return result; // the caller's record stays all zero
    std::memcpy(info, &work, sizeof(*info));
    if (info->FileSystemType == FILE_SYSTEM_FAT16 && static_cast<long long>(info->SectorCount) > kLargestFat16Sectors)
        info->FileSystemType = FILE_SYSTEM_OTHER;
    return result;
}

std::string CCensa::GetDiskPath(unsigned long long disk)
{
    Init();
    CDeviceTree tree;
    if (KSFailed(tree.Open()))
        return std::string();
    IDiskEntry* entry = InterfaceOf<IDiskEntry>(tree.FindDisk(disk));
    if (entry == nullptr)
        return std::string();
    const char* name = entry->GetDeviceName();
    return name != nullptr ? std::string(name) : std::string();
}

unsigned long CCensa::Stop()
{
    CDiskAccessService::Stop();
    return 0;
}
