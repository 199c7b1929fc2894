#include "RecoveryEnv.h"

#include "CDiskMap.h"
#include "EnvRoot.h"
#include "SysfsPartition.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVessmarModule.h"

#include <climits>
#include <cstdlib>

namespace {
IVessmarModule* OpenEnvVessmar()
{
    return OpenModuleT<IVessmarModule>("Vessmar");
}

EnvVessmarOpener g_envVessmarOpener = OpenEnvVessmar;

template <class I>
I* SelfPartitionInterface(IObject* object)
{
    return object != nullptr ? object->GetInterfaceT<I>(MomGetTypeNameT<I>()) : nullptr;
}

std::string RealPathOf(const std::string& path)
{
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// The disk map's number of the disk whose bytes are at "/dev/<disk>" under the root.
bool DiskMapNumberOf(const std::string& disk, unsigned& number)
{
    const std::string wanted = RealPathOf(EnvPath("/dev/") + disk);
    for (const DiskMapEntry& entry : CDiskMap(EnvPath("/sys/block"), EnvPath("/dev")).Disks()) {
        if (RealPathOf(entry.path) == wanted) {
            number = entry.number;
            return true;
        }
    }
    return false;
}
} // namespace

void SetEnvVessmarOpener(EnvVessmarOpener opener)
{
    g_envVessmarOpener = opener ? opener : OpenEnvVessmar;
}

IPartitionEntry* GetSelfPartition(const char* path, int& diskIndex)
{
    diskIndex = -1;
    const std::string mountPoint = MountPointOfPath(path ? path : "");
    char device[kEnvDeviceBufferSize];
    if (mountPoint.empty() || !GetVolDevName(device, sizeof device, mountPoint.c_str()))
        return nullptr;
    const std::string devFolder = EnvPath("/dev/");
    const std::string devicePath = device;
    if (devicePath.compare(0, devFolder.size(), devFolder) != 0)
        return nullptr;
    const std::string partition = devicePath.substr(devFolder.size());
    std::string disk;
    unsigned number = 0;
    if (!FindDiskOfPartition(partition, disk) || !DiskMapNumberOf(disk, number))
        return nullptr;

    IVessmarModule* module = g_envVessmarOpener();
    IManager* manager = module ? module->GetManager() : nullptr;
    if (manager == nullptr)
        return nullptr;
    const std::string deviceName = CDiskMap::DeviceName(number);
    IPartitionManager* partitions = nullptr;
    int position = 0;
    IIterator* disks = manager->CreateIterator();
    if (disks == nullptr)
        return nullptr;
    while (IManagerItem* item = disks->Next()) {
        IDiskEntry* entry = SelfPartitionInterface<IDiskEntry>(item);
        if (entry != nullptr && deviceName == entry->GetDeviceName()) {
            partitions = SelfPartitionInterface<IPartitionManager>(item);
            break;
        }
        ++position;
    }
    disks->Release();
    if (partitions == nullptr)
        return nullptr;
    diskIndex = position;

    const long long start = GetPartStartSector(disk.c_str(), partition.c_str());
    IIterator* items = partitions->CreateIterator();
    if (items == nullptr)
        return nullptr;
    IPartitionEntry* found = nullptr;
    while (IManagerItem* item = items->Next()) {
        IPartitionEntry* entry = SelfPartitionInterface<IPartitionEntry>(item);
        if (entry != nullptr && entry->GetPartitionType() != 0 &&
            entry->GetStartSector() == static_cast<unsigned long long>(start)) {
            found = entry; // owned by its disk, which the manager keeps
            break;
        }
    }
    items->Release();
    return found;
}
