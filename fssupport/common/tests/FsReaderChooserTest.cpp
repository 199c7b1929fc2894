// The reader chooser over real FAT and NTFS volumes and a volume neither reader knows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FixtureImage.h"
#include "FsReaderChooser.h"
#include "KSResult.h"
#include "VolumeImage.h"

namespace {

struct ChooserCase {
    const char* script;
    const char* name;
    bool partitioned;
    unsigned long kind; // 0: no reader
    friend void PrintTo(const ChooserCase& c, std::ostream* os) { *os << c.name; }
};

class FsReaderChooserTest : public ::testing::TestWithParam<ChooserCase> {};

TEST_P(FsReaderChooserTest, PicksTheReaderThatKnowsTheVolume)
{
    const ChooserCase& c = GetParam();
    VolumeImage volume;
    if (c.script != nullptr) {
        const std::string path = MakeFixtureImage(c.script, c.name);
        ASSERT_FALSE(path.empty()) << c.script;
        const VolumeImage::Partition p =
            c.partitioned ? VolumeImage::FirstPartition(path) : VolumeImage::Partition();
        volume = VolumeImage::FromFile(path, p.start, p.sectors);
    } else {
        // A volume of a file system neither reader knows: a boot signature and noise.
        volume.bytes.assign(4 << 20, 0);
        for (size_t i = 0; i < volume.bytes.size(); ++i)
            volume.bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
        volume.bytes[510] = 0x55;
        volume.bytes[511] = 0xAA;
    }

    IKSFSSupport* reader = reinterpret_cast<IKSFSSupport*>(&volume);
    const unsigned long rc =
        ChooseFsReader(VolumeImage::Read, VolumeImage::WriteRecord, &volume, KS_MODULE_CHECKER, &reader);
    if (c.kind == 0) {
        EXPECT_EQ(KSResultKind(rc), KS_KIND_WRONG_OBJECT);
        EXPECT_EQ(KSResultModule(rc), KS_MODULE_CHECKER);
        EXPECT_EQ(reader, nullptr);
        return;
    }
    ASSERT_EQ(rc, 0ul);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->GetFileSystem(), c.kind);
    _KS_VOLUME v{};
    EXPECT_EQ(reader->GetVolumeInfo(&v), 0ul);
    EXPECT_EQ(v.FileSystem, c.kind);
    EXPECT_EQ(reader->Release(), 0ul);
}

const ChooserCase kCases[] = {
    {"fat/fat12.sh", "fat12.img", false, KS_FS_FAT12},
    {"fat/fat16-f0.sh", "fat16-f0.img", true, KS_FS_FAT16},
    {"fat/fat32.sh", "fat32.img", true, KS_FS_FAT32},
    {"ntfs/ntfs-4k.sh", "ntfs-4k.img", true, KS_FS_NTFS},
    {nullptr, "unknown", false, 0},
};

INSTANTIATE_TEST_SUITE_P(Volumes, FsReaderChooserTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ChooserCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p && *p != '.'; ++p)
                                 name.push_back(std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
                             return name;
                         });

TEST(FsReaderChooser, NullOutPointerIsRefused)
{
    VolumeImage volume;
    EXPECT_EQ(KSResultKind(ChooseFsReader(VolumeImage::Read, VolumeImage::WriteRecord, &volume, KS_MODULE_BACKUP,
                                          nullptr)),
              KS_KIND_BAD_ARGUMENT);
}

} // namespace
