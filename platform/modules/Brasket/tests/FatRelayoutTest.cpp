// FAT volumes given a new length with their own cluster size, on the sparse copy the
// FAT copier works on: the volume made by mkfs.fat and filled by mtools passes
// fsck.fat with its new length and the same files, or a length its FAT type cannot
// hold (or that cuts off a cluster in use) is refused with the copy untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CFatRelayout.h"
#include "CScratchVolume.h"
#include "CommandOutput.h"

namespace {
const char* const kFiles[] = {"A.TXT", "DOCS/B.BIN", "DOCS/C.BIN"};

std::string Quote(const std::string& path) { return "'" + path + "'"; }

std::string Hashes(const std::string& image)
{
    std::string all;
    for (const char* name : kFiles)
        all += CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i " + Quote(image) + " ::/" + name + " | sha256sum");
    return all;
}

// A FAT volume of sectors sectors at the start of the scratch file, holding three
// files of patterned bytes (the last of them big bytes long). A filler file of that
// many bytes written first and deleted last leaves the three files far into the volume.
bool MakeVolume(const std::string& path, int bits, int clusterSectors, uint64_t sectors, uint64_t big,
                uint64_t filler)
{
    const std::string at = Quote(path);
    const std::string tools = "export MTOOLS_SKIP_CHECK=1; d=$(mktemp -d); "
                              "head -c 40000 /dev/zero | tr '\\0' 'a' > $d/a; "
                              "seq 1 30000 > $d/b; "
                              "yes relaid | head -c " + std::to_string(big) + " > $d/c; ";
    const std::string run = tools + "mkfs.fat -F " + std::to_string(bits) + " -s " + std::to_string(clusterSectors) +
                            " -a -n RELAID " + at + " " + std::to_string(sectors / 2) + " >/dev/null 2>&1 && " +
                            "head -c " + std::to_string(filler) + " /dev/zero > $d/f && mcopy -i " + at +
                            " $d/f ::/FILLER.BIN && mmd -i " + at + " ::/DOCS && mcopy -i " + at +
                            " $d/a ::/A.TXT && mcopy -i " + at + " $d/b ::/DOCS/B.BIN && mcopy -i " + at +
                            " $d/c ::/DOCS/C.BIN && mdel -i " + at + " ::/FILLER.BIN; r=$?; rm -rf $d; exit $r";
    return std::system(("bash -c " + Quote(run)).c_str()) == 0;
}

// The first sectors sectors of path as a file of its own, as the partition would hold them.
std::string CutVolume(const std::string& path, uint64_t sectors)
{
    const std::string out = path + ".cut";
    std::system(("cp --sparse=always " + Quote(path) + " " + Quote(out) + " && truncate -s " +
                 std::to_string(sectors * 512) + " " + Quote(out))
                    .c_str());
    return out;
}

struct RelayoutCase {
    const char* what;
    int bits;
    int clusterSectors;
    uint64_t sectors;
    uint64_t wanted;
    uint64_t big;
    CFatRelayout::Outcome outcome;
    int newClusterSectors = 0; // 0: the volume's own
    uint64_t filler = 0;       // bytes in use before the files, freed again
};

const RelayoutCase kCases[] = {
    {"FAT32 of 512-byte clusters grown: larger tables move the data area", 32, 1, 70000, 74000, 200000,
     CFatRelayout::kResized},
    {"FAT32 of 512-byte clusters shrunk: smaller tables", 32, 1, 72000, 68000, 200000, CFatRelayout::kResized},
    {"FAT32 of 2 KiB clusters grown a little", 32, 4, 300032, 305172, 1500000, CFatRelayout::kResized},
    {"FAT16 of 512-byte clusters grown, its root directory moved", 16, 1, 30000, 40000, 200000,
     CFatRelayout::kResized},
    {"FAT16 of 2 KiB clusters shrunk", 16, 4, 131072, 40000, 200000, CFatRelayout::kResized},
    {"FAT32 shrunk below the clusters FAT32 needs", 32, 1, 70000, 60000, 200000, CFatRelayout::kRefused},
    {"FAT16 grown past the clusters FAT16 holds", 16, 1, 60000, 70000, 200000, CFatRelayout::kRefused},
    {"FAT16 shrunk under a cluster in use", 16, 1, 30000, 20000, 13000000, CFatRelayout::kRefused},
    {"FAT16 of 2 KiB clusters shrunk below FAT16's count of them: 1 KiB clusters", 16, 4, 32768, 16065, 1500000,
     CFatRelayout::kResized, 2},
    {"FAT32 of 4 KiB clusters shrunk to a quarter: 1 KiB clusters", 32, 8, 600000, 150000, 3000000,
     CFatRelayout::kResized, 2},
    {"FAT16 of 2 KiB clusters shrunk to a cluster count no cluster size holds", 16, 4, 32768, 4000, 200000,
     CFatRelayout::kRefused},
    {"FAT16 of 2 KiB clusters shrunk close onto its data: 512-byte clusters", 16, 4, 32768, 8000, 3600000,
     CFatRelayout::kResized, 1},
    {"FAT16 shrunk past its files, which move to the front", 16, 1, 30000, 20000, 200000, CFatRelayout::kResized, 0,
     12000000},
    {"FAT16 of 2 KiB clusters split, its files moved to the front", 16, 4, 32768, 16065, 1500000,
     CFatRelayout::kResized, 2, 12000000},
    {"FAT32 shrunk past its files, which move to the front", 32, 1, 80000, 70000, 200000, CFatRelayout::kResized, 0,
     36000000},
};

TEST(FatRelayout, VolumesKeepTheirClustersOnANewLength)
{
    for (const RelayoutCase& c : kCases) {
        SCOPED_TRACE(c.what);
        CScratchVolume scratch;
        ASSERT_TRUE(scratch.Create(nullptr, std::max(c.sectors, c.wanted)));
        ASSERT_TRUE(MakeVolume(scratch.Path(), c.bits, c.clusterSectors, c.sectors, c.big, c.filler));
        const std::string before = CommandOutput("sha256sum < " + Quote(scratch.Path()));
        const std::string original = CutVolume(scratch.Path(), c.sectors);
        const std::string files = Hashes(original);
        ASSERT_EQ(files.find("e3b0c442"), std::string::npos) << "a file of the fixture is empty";

        ASSERT_EQ(CFatRelayout::Resize(scratch, c.wanted), c.outcome);
        if (c.outcome != CFatRelayout::kResized) {
            EXPECT_EQ(CommandOutput("sha256sum < " + Quote(scratch.Path())), before);
        } else {
            const std::string resized = CutVolume(scratch.Path(), c.wanted);
            int status = 0;
            const std::string fsck = CommandOutput("fsck.fat -n -v " + Quote(resized) + " 2>&1", &status);
            EXPECT_EQ(status, 0) << fsck;
            EXPECT_NE(fsck.find(" " + std::to_string(c.wanted) + " sectors total"), std::string::npos) << fsck;
            const int clusterSectors = c.newClusterSectors != 0 ? c.newClusterSectors : c.clusterSectors;
            EXPECT_NE(fsck.find(" " + std::to_string(clusterSectors * 512) + " bytes per cluster"), std::string::npos)
                << fsck;
            EXPECT_EQ(Hashes(resized), files);
            EXPECT_NE(CommandOutput("MTOOLS_SKIP_CHECK=1 mlabel -s -i " + Quote(resized) + " ::").find("RELAID"),
                      std::string::npos);
            std::remove(resized.c_str());
        }
        std::remove(original.c_str());
    }
}

TEST(FatRelayout, WhatIsNoFatVolumeIsLeftAlone)
{
    CScratchVolume scratch;
    ASSERT_TRUE(scratch.Create(nullptr, 4096));
    EXPECT_EQ(CFatRelayout::Resize(scratch, 8192), CFatRelayout::kNotFat);
}
} // namespace
