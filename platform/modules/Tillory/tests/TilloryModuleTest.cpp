// Tillory.mo over a disk image of FAT16, FAT12 and NTFS volumes (sfdisk, mkfs.fat,
// mkntfs): clean volumes pass, damaged ones and anything that is not a FAT or NTFS
// volume do not, and the image itself is never changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "CDiskMap.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "MomPtr.h"
#include "tillory/ITilloryModule.h"

namespace {

constexpr uint64_t kFat16Start = 63, kFat12Start = 32193, kNtfsStart = 80388, kBareStart = 128520;

ITilloryModule* Tillory()
{
    IModule* root = OpenModuleFromFile(TILLORY_MODULE_FILE);
    return root != nullptr ? root->GetInterfaceT<ITilloryModule>("ITilloryModule") : nullptr;
}

// A private copy of the fixture disk, named as the only disk.
class TilloryDisk {
public:
    TilloryDisk()
    {
        char pattern[] = "/tmp/tillory-test-XXXXXX";
        folder_ = mkdtemp(pattern);
        path_ = folder_ + "/disk.img";
        const std::string source = MakeFixtureImage("vessmar/dos-layout.sh", "vessmar-dos-layout.img");
        EXPECT_EQ(0, std::system(("cp --sparse=always '" + source + "' '" + path_ + "'").c_str()));
        setenv(CDiskMap::kImagesVariable, path_.c_str(), 1);
    }
    ~TilloryDisk()
    {
        setenv(CDiskMap::kImagesVariable, "", 1);
        std::system(("rm -rf '" + folder_ + "'").c_str());
    }
    const std::string& Path() const { return path_; }

    void Write(uint64_t offset, const void* data, size_t n)
    {
        const int fd = open(path_.c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(static_cast<ssize_t>(n), pwrite(fd, data, n, static_cast<off_t>(offset)));
        close(fd);
    }
    template <class T>
    T Read(uint64_t offset)
    {
        T value{};
        const int fd = open(path_.c_str(), O_RDONLY);
        EXPECT_EQ(static_cast<ssize_t>(sizeof value), pread(fd, &value, sizeof value, static_cast<off_t>(offset)));
        close(fd);
        return value;
    }

    // Clusters 4000 and 4001 of the FAT16 volume chain into each other in both FATs.
    void LoopFatChain()
    {
        const uint64_t base = kFat16Start * 512;
        const uint16_t reserved = Read<uint16_t>(base + 14);
        const uint8_t fats = Read<uint8_t>(base + 16);
        const uint16_t perFat = Read<uint16_t>(base + 22);
        for (unsigned i = 0; i < fats; ++i) {
            const uint64_t fat = base + (reserved + uint64_t{i} * perFat) * 512;
            const uint16_t to4001 = 4001, to4000 = 4000;
            Write(fat + 2 * 4000, &to4001, 2);
            Write(fat + 2 * 4001, &to4000, 2);
        }
    }
    // The end of the NTFS volume's second file record (the $MFT mirror's) is broken.
    void BreakMftRecord()
    {
        const uint64_t base = kNtfsStart * 512;
        const uint64_t cluster = uint64_t{Read<uint16_t>(base + 11)} * Read<uint8_t>(base + 13);
        const uint64_t mft = base + Read<uint64_t>(base + 48) * cluster;
        const uint32_t junk = 0xEFBEADDE;
        Write(mft + 1024 + 0x38, &junk, 4);
    }

private:
    std::string folder_;
    std::string path_;
};

TEST(TilloryModule, CleanVolumesPassAndOthersDoNot)
{
    ITilloryModule* tillory = Tillory();
    ASSERT_NE(nullptr, tillory);
    TilloryDisk disk;
    const std::string before = CommandOutput("md5sum < '" + disk.Path() + "'");
    const struct {
        const char* name;
        unsigned long disk;
        uint64_t first;
        unsigned long clean;
    } cases[] = {
        {"FAT16", 0, kFat16Start, 1},
        {"FAT12 in a logical partition", 0, kFat12Start, 1},
        {"NTFS", 0, kNtfsStart, 1},
        {"no file system", 0, kBareStart, 0},
        {"no partition starts there", 0, kFat16Start + 1, 0},
        {"a sector beyond 2^32", 0, kFat16Start | (1ull << 32), 0},
        {"no such disk", 1, kFat16Start, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.clean, tillory->CheckFileSystem(c.disk, static_cast<unsigned long>(c.first & 0xFFFFFFFF),
                                                    static_cast<unsigned long>(c.first >> 32), 0));
    }
    EXPECT_EQ(before, CommandOutput("md5sum < '" + disk.Path() + "'")) << "a check changes nothing";
}

TEST(TilloryModule, DamagedVolumesFail)
{
    ITilloryModule* tillory = Tillory();
    ASSERT_NE(nullptr, tillory);
    TilloryDisk disk;
    disk.LoopFatChain();
    EXPECT_EQ(0u, tillory->CheckFileSystem(0, kFat16Start, 0, 0));
    EXPECT_EQ(1u, tillory->CheckFileSystem(0, kFat12Start, 0, 0)) << "the other volumes are untouched";
    disk.BreakMftRecord();
    EXPECT_EQ(0u, tillory->CheckFileSystem(0, kNtfsStart, 0, 0));
}

TEST(TilloryModule, NoDisksNoCheck)
{
    ITilloryModule* tillory = Tillory();
    ASSERT_NE(nullptr, tillory);
    setenv(CDiskMap::kImagesVariable, "", 1);
    EXPECT_EQ(0u, tillory->CheckFileSystem(0, kFat16Start, 0, 0));
}

} // namespace
