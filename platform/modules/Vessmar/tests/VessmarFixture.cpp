#include "VessmarFixture.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

#include "CDiskMap.h"
#include "CommandOutput.h"
#include "FixtureImage.h"

IVessmarModule* Vessmar()
{
    // Whatever a test does first, the module never sees the machine's own disks.
    setenv(CDiskMap::kImagesVariable, "", 0);
    IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
    if (root == nullptr)
        return nullptr;
    char key[64];
    if (!MomModuleInterfaceName("Vessmar", key, sizeof(key)))
        return nullptr;
    return root->GetInterfaceT<IVessmarModule>(key);
}

std::string LayoutFixture() { return MakeFixtureImage("vessmar/dos-layout.sh", "vessmar-dos-layout.img"); }

DiskImages::DiskImages(const std::vector<std::string>& sources)
{
    char pattern[] = "/tmp/vessmar-test-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::string list;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string path = folder_ + "/disk" + std::to_string(i) + ".img";
        const std::string& source = sources[i];
        std::string command;
        if (source.compare(0, 6, "blank:") == 0)
            command = "truncate -s " + source.substr(6) + "M '" + path + "'";
        else
            command = "cp --sparse=always '" + source + "' '" + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        paths_.push_back(path);
        list += (i ? ":" : "") + path;
    }
    setenv(CDiskMap::kImagesVariable, list.c_str(), 1);
    Vessmar()->Refresh(0);
}

DiskImages::~DiskImages()
{
    // An empty list: no disks at all, never the machine's.
    setenv(CDiskMap::kImagesVariable, "", 1);
    Vessmar()->Refresh(0);
    std::system(("rm -rf '" + folder_ + "'").c_str());
}

std::vector<IManagerItem*> Items(IContainer* container)
{
    std::vector<IManagerItem*> items;
    if (container == nullptr)
        return items;
    CMomPtr<IIterator> it(container->CreateIterator());
    if (it == nullptr)
        return items;
    while (IManagerItem* item = it->Next())
        items.push_back(item);
    return items;
}

std::vector<IManagerItem*> Disks()
{
    IManager* manager = Vessmar()->GetManager();
    return Items(manager);
}

IPartitionManager* PartitionsOf(IManagerItem* disk)
{
    return disk->GetInterfaceT<IPartitionManager>(MomGetTypeNameT<IPartitionManager>());
}

IPartitionEntry* EntryOf(IManagerItem* item)
{
    return item->GetInterfaceT<IPartitionEntry>(MomGetTypeNameT<IPartitionEntry>());
}

std::string RunCommand(const std::string& command)
{
    return CommandOutput(command);
}

std::vector<DumpLine> SfdiskDump(const std::string& image)
{
    std::vector<DumpLine> lines;
    std::istringstream in(RunCommand("sfdisk --dump '" + image + "' 2>/dev/null"));
    std::string line;
    while (std::getline(in, line)) {
        const size_t colon = line.find(" : ");
        if (line.compare(0, image.size(), image) != 0 || colon == std::string::npos)
            continue;
        DumpLine d{};
        d.number = std::atoi(line.substr(image.size(), colon - image.size()).c_str());
        std::sscanf(line.c_str() + colon, " : start= %llu, size= %llu, type=%x", &d.start, &d.size, &d.type);
        d.bootable = line.find("bootable") != std::string::npos;
        lines.push_back(d);
    }
    return lines;
}

std::string Blkid(const std::string& image, unsigned long long sector, const char* tag)
{
    std::string out = RunCommand("blkid -p -o value -s " + std::string(tag) + " -O " + std::to_string(sector * 512) + " '" +
                          image + "' 2>/dev/null");
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}
