// Helpers for the device manager module's tests: the module loaded as the console
// loads it, disk images copied from the fixtures and named in the disk map's
// variable, and the module's lists read back.
#pragma once

#include <string>
#include <vector>

#include "MomPtr.h"
#include "vessmar/IDiskEntry.h"
#include "vessmar/IIterator.h"
#include "vessmar/IManager.h"
#include "vessmar/IManagerItem.h"
#include "vessmar/IPartitionEntry.h"
#include "vessmar/IPartitionManager.h"
#include "vessmar/IVessmarModule.h"

IVessmarModule* Vessmar();

// The interface I of an object of the module, null when it has none.
template <class I>
I* As(IObject* object)
{
    return object->GetInterfaceT<I>(MomGetTypeNameT<I>());
}

// Copies of disk images in a temporary folder, named in the disk map's variable for
// the life of the object; the module is rescanned on both ends.
class DiskImages {
public:
    // Each source is a fixture path, or "blank:N" for an unpartitioned image of N MiB.
    explicit DiskImages(const std::vector<std::string>& sources);
    ~DiskImages();
    const std::string& Path(size_t i) const { return paths_[i]; }

private:
    std::string folder_;
    std::vector<std::string> paths_;
};

// The layout fixture (made once per build tree).
std::string LayoutFixture();

std::vector<IManagerItem*> Items(IContainer* container);
std::vector<IManagerItem*> Disks();
IPartitionManager* PartitionsOf(IManagerItem* disk);
IPartitionEntry* EntryOf(IManagerItem* item);

// One partition line of "sfdisk --dump".
struct DumpLine {
    int number;
    unsigned long long start, size;
    unsigned type;
    bool bootable;
};
std::vector<DumpLine> SfdiskDump(const std::string& image);
// What blkid -p finds at a sector of the image: "TYPE=...", "LABEL=..." and so on.
std::string Blkid(const std::string& image, unsigned long long sector, const char* tag);
// Runs a command and gives its standard output.
std::string RunCommand(const std::string& command);
