#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "LittleEndian.h"
#include "NtfsFixtures.h"
#include "NtfsTools.h"

namespace {

// What a backup keeps of a volume, put back on an empty one: the sectors that
// WriteSpecialInfo hands out plus the clusters left in the bitmap. ntfs-3g must then
// read every file but the page and hibernation files' contents as before.
class RebuildTest : public ::testing::TestWithParam<NtfsFixture> {};

TEST_P(RebuildTest, EveryOtherFileSurvivesARestore)
{
    VolumeImage image;
    std::string volumeFile;
    ASSERT_TRUE(LoadFixture(GetParam(), image, volumeFile));
    IKSFSSupport* reader = OpenReader(image);
    ASSERT_NE(reader, nullptr);
    _KS_VOLUME volume;
    ASSERT_EQ(reader->GetVolumeInfo(&volume), 0u);
    ASSERT_EQ(reader->WalkThroughVolume(nullptr), 0u);
    ASSERT_EQ(reader->WriteSpecialInfo(), 0u);
    const std::vector<unsigned char> bitmap = ReaderBitmap(reader);
    reader->Release();
    ASSERT_EQ(bitmap.size(), volume.BitmapSize);

    std::vector<unsigned char> restored(image.Volume().size(), 0);
    for (const WriteCall& call : image.writes)
        std::memcpy(restored.data() + call.first * 512, call.data.data(), call.data.size());
    const size_t clusterBytes = 512u * volume.SectorsPerCluster;
    for (size_t cluster = 0; cluster < bitmap.size() * 8; ++cluster) {
        if ((bitmap[cluster / 8] >> (cluster % 8)) & 1)
            std::memcpy(restored.data() + cluster * clusterBytes, image.Volume().data() + cluster * clusterBytes,
                        clusterBytes);
    }
    const std::string restoredFile = volumeFile + ".restored." + std::to_string(getpid());
    {
        VolumeImage out;
        out.Volume() = restored;
        ASSERT_TRUE(out.SaveVolume(restoredFile));
    }

    std::vector<std::string> names, restoredNames;
    ASSERT_TRUE(ToolRootNames(volumeFile, names));
    ASSERT_TRUE(ToolRootNames(restoredFile, restoredNames));
    EXPECT_EQ(restoredNames, names);
    for (const std::string& name : names) {
        std::string before, after;
        ASSERT_TRUE(ToolCat(volumeFile, "/" + name, before)) << name;
        EXPECT_TRUE(ToolCat(restoredFile, "/" + name, after)) << name;
        if (name == "pagefile.sys" || name == "hiberfil.sys")
            EXPECT_EQ(after.size(), before.size()) << name;
        else
            EXPECT_TRUE(after == before) << name;
    }
    std::string info;
    if (GetParam().pageAndHibernation) {
        EXPECT_TRUE(RunCommand("ntfsinfo -F /hiberfil.sys '" + restoredFile + "' >/dev/null 2>&1", info))
            << "the hibernation file's own records and attribute list are intact";
    }
    std::remove(restoredFile.c_str());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RebuildTest, ::testing::ValuesIn(kNtfsFixtures),
                         [](const ::testing::TestParamInfo<NtfsFixture>& info) {
                             std::string name = info.param.image;
                             name = name.substr(5, name.find('.') - 5);
                             return "Clusters" + name;
                         });

} // namespace
