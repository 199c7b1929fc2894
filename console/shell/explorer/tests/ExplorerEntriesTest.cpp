// What the explorer lists, decided without a display.
#include "../../env/tests/EnvTestRoot.h"
#include "ExplorerEntries.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ExplorerEntries, IsRvdFileTakesExactlyTheExtension)
{
    struct Case {
        const char* name;
        bool rvd;
    } cases[] = {
        {"backup.rvd", true},   {"backup.RVD", true},   {"Backup.Rvd", true},  {"a.b.rvd", true},
        {".rvd", true},         {"backup.rvdx", false}, {"backup.rv", false},  {"backup", false},
        {"backup.rvd.txt", false}, {"rvd", false},      {"backup.", false},    {nullptr, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRvdFile(c.name), c.rvd) << (c.name ? c.name : "(null)");
}

TEST(ExplorerEntries, MountFoldersStopAtTheFirstGap)
{
    EnvTestRoot root;
    for (const char* folder : {"/mnt/P1", "/mnt/P2", "/mnt/P4", "/mnt/CD2"})
        root.MakeFolders(folder);
    root.Write("/mnt/P3", "a file is no volume folder");
    const std::string r = root.Root();
    EXPECT_EQ(ListMountFolders(r + "/mnt/P"), (std::vector<std::string>{r + "/mnt/P1", r + "/mnt/P2"}));
    EXPECT_TRUE(ListMountFolders(r + "/mnt/CD").empty());
}

TEST(ExplorerEntries, LabelsFromTheLists)
{
    EnvTestRoot root;
    const std::string r = root.Root();
    root.Write("/mnt/volinfo", "/dev/sda10 on " + r + "/mnt/P10 type vfat (ro) [TEN]\n" + "/dev/sda2 on " + r +
                                   "/mnt/P2 type vfat (ro)\n" + "/dev/sda1 on " + r + "/mnt/P1 type vfat (ro) [ONE]\n");
    const std::string list = r + "/mnt/volinfo";
    EXPECT_EQ(MountLabel(list, r + "/mnt/P1"), "[ONE]");
    EXPECT_EQ(MountLabel(list, r + "/mnt/P2"), "[]") << "a line without a label";
    EXPECT_EQ(MountLabel(list, r + "/mnt/P3"), "[]") << "no line";
    EXPECT_EQ(MountLabel(r + "/mnt/none", r + "/mnt/P1"), "[]") << "no list";
}

TEST(ExplorerEntries, FolderRowsWithAndWithoutFiles)
{
    EnvTestRoot root;
    for (const char* name : {"a.rvd", "B.RVD", "c.rvdx", "d.rv", "e", "f.txt"})
        root.Write(std::string("/f/") + name, "x");
    root.MakeFolders("/f/empty");
    root.Write("/f/full/inner.rvd", "x");
    root.MakeFolders("/f/sub.rvd");
    const std::string folder = root.Root() + "/f";

    auto names = [](const std::vector<ExplorerEntry>& entries) {
        std::vector<std::string> out;
        for (const ExplorerEntry& e : entries)
            out.push_back(e.name + (e.folder ? "/" : "") + (e.hasChildren ? "+" : ""));
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(names(ReadExplorerFolder(folder, true)),
              (std::vector<std::string>{"B.RVD", "a.rvd", "empty/", "full/+", "sub.rvd/"}));
    EXPECT_EQ(names(ReadExplorerFolder(folder, false)), (std::vector<std::string>{"empty/", "full/+", "sub.rvd/"}));
    EXPECT_TRUE(ReadExplorerFolder(folder + "/missing", true).empty());
    for (const ExplorerEntry& e : ReadExplorerFolder(folder, true))
        EXPECT_EQ(e.fullPath, folder + "/" + e.name);
}
