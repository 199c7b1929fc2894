#include <gtest/gtest.h>

#include <string>

#include "TagRestoreInfo.h"

TEST(TagRestoreInfoTest, StartsAsTheFrameSetsIt)
{
    TagRestoreInfo info;
    EXPECT_EQ(info.pTasque, nullptr);
    EXPECT_EQ(info.nLastPage, 0u);
    EXPECT_EQ(info.bTargetDiskEmpty, 1u);
    EXPECT_EQ(info.bRelayout, 1u);
    EXPECT_EQ(info.pTargetItem, nullptr);
    EXPECT_TRUE(info.volumes.empty());
    EXPECT_EQ(info.bRunStarted, 0u);
}

TEST(TagRestoreInfoTest, ChosenVolumesAreCopiesThatOutliveTheListAndKeepTheDiskRow)
{
    TagRestoreInfo info;
    std::vector<_KS_VOLUME> list(2);
    list[0].TotalSectors = 100;
    list[1].TotalSectors = 200;
    info.SetVolumes({&list[0], &list[1], nullptr});
    list.clear();
    ASSERT_EQ(info.volumes.size(), 3u);
    EXPECT_EQ(info.volumes[0]->TotalSectors, 100u);
    EXPECT_EQ(info.volumes[1]->TotalSectors, 200u);
    EXPECT_EQ(info.volumes[2], nullptr);
    EXPECT_TRUE(info.LastIsDiskRow());
    // Setting from its own entries is safe.
    info.SetVolumes({info.volumes[1]});
    ASSERT_EQ(info.volumes.size(), 1u);
    EXPECT_EQ(info.FirstVolume()->TotalSectors, 200u);
    info.ClearVolumes();
    EXPECT_EQ(info.FirstVolume(), nullptr);
}

TEST(TagRestoreInfoTest, AnImagePathTooLongForItsFieldIsRefused)
{
    TagRestoreInfo info;
    EXPECT_TRUE(info.SetImagePath("/mnt/P1/a.rvd"));
    EXPECT_STREQ(info.szImagePath, "/mnt/P1/a.rvd");
    const std::string fits(RESTORE_IMAGE_PATH_BYTES - 1, 'x');
    EXPECT_TRUE(info.SetImagePath(fits.c_str()));
    EXPECT_EQ(std::string(info.szImagePath), fits);
    const std::string tooLong(RESTORE_IMAGE_PATH_BYTES, 'y');
    EXPECT_FALSE(info.SetImagePath(tooLong.c_str()));
    EXPECT_EQ(std::string(info.szImagePath), fits);
}
