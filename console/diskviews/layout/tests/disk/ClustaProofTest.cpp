// The FAT size arithmetic against real volumes: a tree of files copied into volumes
// that mkfs.fat makes in each source geometry, then the same tree copied into a volume
// of each variant, size and cluster size the layout rules offer. The arithmetic's
// answer must never be below what the new volume really uses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "CMoveResizeManager.h"
#include "Clusta.h"
#include "CommandOutput.h"
#include "MegaBytes.h"
#include "PartitionRules.h"

namespace {
struct Volume {
    bool made = false;
    bool formatted = false;  // mkfs.fat accepted the geometry (the copy may still fail)
    uint32_t sectorsPerCluster = 0;
    uint32_t reserved = 0;
    uint64_t used = 0;
};

uint32_t Le(const unsigned char* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

class ClustaProofTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/clusta-proof-XXXXXX";
        folder_ = mkdtemp(pattern);
        // Small files in folders, one large file: tails and directories both count.
        const std::string script = "set -e; cd '" + folder_ + "'; mkdir -p tree/DOCS/SUB tree/LOGS; " +
                                   "for i in $(seq 1 40); do head -c $((i * 97)) /dev/zero | tr '\\0' 'a' > tree/DOCS/F$i.TXT; done; " +
                                   "for i in $(seq 1 12); do head -c $((i * 3001)) /dev/zero | tr '\\0' 'b' > tree/DOCS/SUB/G$i.DAT; done; " +
                                   "for i in $(seq 1 6); do head -c 700 /dev/zero > tree/LOGS/L$i.LOG; done; " +
                                   "head -c 1500000 /dev/zero | tr '\\0' 'c' > tree/BIG.BIN";
        ASSERT_EQ(0, std::system(script.c_str()));
    }
    void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

    // Makes a volume of the variant (12, 16, 32), copies the tree in and measures it.
    Volume Make(int fat, uint64_t sectors, uint32_t cluster, uint32_t reserved)
    {
        const std::string image = folder_ + "/vol.img";
        std::string command = "rm -f '" + image + "'; truncate -s " + std::to_string(sectors * 512) + " '" + image +
                              "' && mkfs.fat -F " + std::to_string(fat) + " -s " + std::to_string(cluster) +
                              (reserved != 0 ? " -R " + std::to_string(reserved) : std::string()) + " '" + image +
                              "' >/dev/null 2>&1";
        const std::string copy = "MTOOLS_SKIP_CHECK=1 mcopy -s -i '" + image + "' '" + folder_ + "/tree/DOCS' '" +
                                 folder_ + "/tree/LOGS' '" + folder_ + "/tree/BIG.BIN' ::/ 2>/dev/null";
        Volume v;
        if (std::system(command.c_str()) != 0)
            return v;
        v.formatted = true;
        if (std::system(copy.c_str()) != 0)
            return v;
        unsigned char boot[512];
        std::ifstream in(image, std::ios::binary);
        in.read(reinterpret_cast<char*>(boot), sizeof(boot));
        v.sectorsPerCluster = boot[13];
        v.reserved = Le(boot + 14, 2);
        const uint32_t fats = boot[16];
        const uint32_t rootSectors = (Le(boot + 17, 2) * 32 + 511) / 512;
        const uint32_t fatSize = Le(boot + 22, 2) != 0 ? Le(boot + 22, 2) : Le(boot + 36, 4);
        const std::string report = CommandOutput("fsck.fat -n '" + image + "' 2>/dev/null");
        const size_t comma = report.rfind(", ");
        unsigned long long usedClusters = 0, totalClusters = 0;
        if (comma == std::string::npos ||
            std::sscanf(report.c_str() + comma, ", %llu/%llu clusters", &usedClusters, &totalClusters) != 2)
            return v;
        v.used = v.reserved + static_cast<uint64_t>(fats) * fatSize + rootSectors + usedClusters * v.sectorsPerCluster;
        v.made = true;
        return v;
    }

    std::string folder_;
};

int FatNumber(enumFILE_SYSTEM_TYPE fs)
{
    return fs == FILE_SYSTEM_FAT12 ? 12 : fs == FILE_SYSTEM_FAT16 ? 16 : 32;
}

TEST_F(ClustaProofTest, AnswerIsNeverBelowTheRealConversion)
{
    struct Source { enumFILE_SYSTEM_TYPE fs; uint64_t sectors; uint32_t cluster, reserved; };
    const Source sources[] = {
        {FILE_SYSTEM_FAT12, 20000, 8, 4},  {FILE_SYSTEM_FAT16, 40960, 1, 1}, {FILE_SYSTEM_FAT16, 60000, 4, 8},
        {FILE_SYSTEM_FAT32, 140000, 1, 32}, {FILE_SYSTEM_FAT32, 300000, 4, 64},
    };
    const uint64_t targets[] = {12000, 30000, 40000, 80000, 150000, 400000};
    int compared = 0;
    for (const Source& source : sources) {
        const Volume old = Make(FatNumber(source.fs), source.sectors, source.cluster, source.reserved);
        ASSERT_TRUE(old.made) << FatNumber(source.fs) << " " << source.sectors;
        for (uint64_t target : targets) {
            enumFILE_SYSTEM_TYPE fs = GetFitFileSystem(source.fs, target, target > source.sectors);
            if (source.fs == FILE_SYSTEM_FAT32 && fs != FILE_SYSTEM_FAT32)
                continue;  // the rules never turn FAT32 into FAT16
            enumFILE_SYSTEM_TYPE check = fs;
            if (!IfNewPartitionSizeSurrportFileSystem(target, check))
                continue;
            // The cluster size the rules give for the new size, and a larger one.
            const unsigned long formula = CMoveResizeManager::ClusterSizeFor(fs, SectorsToMB(target));
            for (unsigned long cluster : {formula, formula * 4}) {
                if (cluster > 64)
                    continue;
                const uint32_t answer = GetFatTotalUsedSector(source.fs, fs, static_cast<uint32_t>(source.sectors),
                                                              static_cast<uint32_t>(target), old.sectorsPerCluster,
                                                              static_cast<uint32_t>(cluster),
                                                              static_cast<uint32_t>(old.used), old.reserved);
                const Volume converted = Make(FatNumber(fs), target, static_cast<uint32_t>(cluster), old.reserved);
                // Where the layout rules would accept the size and cluster (the data with
                // its margin fits, the cluster count suits the variant), the tree must fit.
                const bool ruleCluster = target / cluster >= FatClusterCountWindow(fs).smallest;
                if (ruleCluster && converted.formatted && static_cast<uint64_t>(answer) + answer / 50 <= target) {
                    EXPECT_TRUE(converted.made) << "no room in FAT" << FatNumber(fs) << " " << target << " s" << cluster;
                }
                if (!converted.made)
                    continue;  // a geometry mkfs.fat refuses, or a size too small for the tree
                ++compared;
                EXPECT_GE(answer, converted.used)
                    << "from FAT" << FatNumber(source.fs) << " " << source.sectors << " s" << source.cluster
                    << " to FAT" << FatNumber(fs) << " " << target << " s" << cluster;
            }
        }
    }
    EXPECT_GT(compared, 10);
}
}  // namespace
