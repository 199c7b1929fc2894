// libFuzzer target: the device manager module's listing of one disk image. The input
// (see SparseDiskInput) is written as a sparse image file named in the disk map's
// variable; the module, loaded as the console loads it, rescans and the target lists
// the disks, their partitions and free stretches, and the used sectors of each file
// system. Besides crashes and overruns it checks what the console relies on:
// - the one disk has the image's size;
// - every partition and free stretch lies inside the disk, with a length of at least
//   one sector, and the used sectors of a file system fit its partition;
// - a container's count is the number of items its iterator gives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "MomPtr.h"
#include "PartitionTableMutator.h"
#include "SparseDiskInput.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IFileSystemPartition.h"
#include "vessmar/IFileSystemPartitionExtendInfo.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVessmarModule.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

// A broken invariant names itself and stops the run, so that libFuzzer keeps the input.
#define Require(condition) RequireAt((condition), #condition, __LINE__)
void RequireAt(bool condition, const char* text, int line)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant at line %d: %s\n", line, text);
        std::abort();
    }
}

template <class I>
I* As(IObject* object)
{
    return object->GetInterfaceT<I>(MomGetTypeNameT<I>());
}

IVessmarModule* Module()
{
    static IVessmarModule* module = [] {
        IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
        char key[64];
        Require(root != nullptr && MomModuleInterfaceName("Vessmar", key, sizeof key));
        return root->GetInterfaceT<IVessmarModule>(key);
    }();
    return module;
}

const std::string& ImagePath()
{
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string dir = std::string(base ? base : "/tmp") + "/vessmar-fuzz-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir + "/disk.img";
    }();
    return path;
}

std::vector<IManagerItem*> Items(IContainer* container)
{
    std::vector<IManagerItem*> items;
    Require(container != nullptr);
    CMomPtr<IIterator> it(container->CreateIterator());
    Require(it != nullptr);
    while (IManagerItem* item = it->Next()) {
        items.push_back(item);
        Require(items.size() <= 4096);
    }
    Require(container->GetCount() == items.size());
    return items;
}

} // namespace

// libfdisk itself loses a sector buffer while probing some disks that carry both a
// protective and an extended partition; that leak is the library's, not the module's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfdisk.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const SparseDiskInput input(data, size);
    if (!input.WriteImage(ImagePath()))
        return 0;
    setenv("RVD_DISK_IMAGES", ImagePath().c_str(), 1);
    IVessmarModule* module = Module();
    Require(module != nullptr);
    Require(module->Refresh(0) == 0);

    const std::vector<IManagerItem*> disks = Items(module->GetManager());
    Require(disks.size() == 1);
    IDiskEntry* disk = As<IDiskEntry>(disks[0]);
    Require(disk != nullptr && disk->GetTotalSectors() == input.Sectors());
    const unsigned long long total = disk->GetTotalSectors();

    IPartitionManager* partitions = As<IPartitionManager>(disks[0]);
    Require(partitions != nullptr);
    partitions->IsBadDisk();
    for (IManagerItem* item : Items(partitions)) {
        IPartitionEntry* entry = As<IPartitionEntry>(item);
        Require(entry != nullptr && item->GetParent() == disks[0]);
        const unsigned long long start = entry->GetStartSector(), count = entry->GetSectorCount();
        Require(count >= 1 && start < total && count <= total - start);
        IFileSystemPartitionExtendInfo* extend = As<IFileSystemPartitionExtendInfo>(item);
        if (entry->GetPartitionType() != 0 && extend != nullptr)
            Require(extend->GetUsedSectors() <= count);
        if (IFileSystemPartition* fs = As<IFileSystemPartition>(item))
            fs->GetVolumeLabel();
    }
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    // One time in three a structured change of the tables, else libFuzzer's own.
    if (seed % 3 == 0) {
        const size_t mutated = PartitionTableMutator(data, size, maxSize, seed).Mutate();
        if (mutated != 0)
            return mutated;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
