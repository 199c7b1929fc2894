#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "KSResult.h"
#include "LittleEndian.h"
#include "NtfsFixtures.h"
#include "NtfsTools.h"

namespace {

class ReaderFixtureTest : public ::testing::TestWithParam<NtfsFixture> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(LoadFixture(GetParam(), image_, volumeFile_));
        unsigned long result = 1;
        reader_ = OpenReader(image_, &result);
        ASSERT_EQ(result, 0u);
        ASSERT_NE(reader_, nullptr);
        // Geometry straight from the boot sector, not through the reader's layer.
        const unsigned char* boot = image_.Volume().data();
        sectorsPerCluster_ = boot[13];
        totalSectors_ = LoadLE64(boot + 40);
        clusters_ = totalSectors_ / sectorsPerCluster_;
    }
    void TearDown() override
    {
        if (reader_)
            reader_->Release();
    }

    // The volume's own $Bitmap as ntfs-3g reads it, cut to the clusters.
    std::vector<unsigned char> ToolBitmap()
    {
        std::string bytes;
        EXPECT_TRUE(ToolCat(volumeFile_, "#6", bytes));
        std::vector<unsigned char> bitmap(bytes.begin(), bytes.end());
        bitmap.resize((clusters_ + 7) / 8);
        if (clusters_ % 8)
            bitmap.back() &= static_cast<unsigned char>((1u << (clusters_ % 8)) - 1);
        return bitmap;
    }

    static void ClearRuns(std::vector<unsigned char>& bitmap, const std::vector<ToolRun>& runs)
    {
        for (const ToolRun& run : runs) {
            for (int64_t c = run.lcn; c < run.lcn + run.length; ++c)
                bitmap[c / 8] &= static_cast<unsigned char>(~(1u << (c % 8)));
        }
    }

    static bool AllSet(const std::vector<unsigned char>& bitmap, const std::vector<ToolRun>& runs)
    {
        for (const ToolRun& run : runs) {
            for (int64_t c = run.lcn; c < run.lcn + run.length; ++c) {
                if (!((bitmap[c / 8] >> (c % 8)) & 1))
                    return false;
            }
        }
        return true;
    }

    VolumeImage image_;
    std::string volumeFile_;
    IKSFSSupport* reader_ = nullptr;
    uint64_t sectorsPerCluster_ = 0;
    uint64_t totalSectors_ = 0;
    uint64_t clusters_ = 0;
};

TEST_P(ReaderFixtureTest, VolumeRecordAndConsistency)
{
    EXPECT_EQ(reader_->GetFileSystem(), 4u);
    _KS_VOLUME volume;
    std::memset(&volume, 0xCC, sizeof(volume));
    ASSERT_EQ(reader_->GetVolumeInfo(&volume), 0u);
    EXPECT_EQ(volume.Magic, 0x4D4C4F56u);
    EXPECT_EQ(volume.Size, 256u);
    EXPECT_EQ(volume.SectorsPerCluster, sectorsPerCluster_);
    EXPECT_EQ(volume.FileSystem, 4);
    EXPECT_EQ(volume.BytesPerSector, 512u);
    EXPECT_EQ(volume.BitmapSize, (clusters_ + 7) / 8);
    EXPECT_EQ(volume.TotalSectors, totalSectors_);
    // Every other byte is zero.
    _KS_VOLUME expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.Magic = volume.Magic;
    expected.Size = volume.Size;
    expected.SectorsPerCluster = volume.SectorsPerCluster;
    expected.FileSystem = volume.FileSystem;
    expected.BytesPerSector = volume.BytesPerSector;
    expected.BitmapSize = volume.BitmapSize;
    expected.TotalSectors = volume.TotalSectors;
    EXPECT_EQ(std::memcmp(&volume, &expected, sizeof(volume)), 0);
    EXPECT_EQ(reader_->GetVolumeInfo(nullptr), 0x009F9009u);
    EXPECT_EQ(reader_->CheckFileSystem(), 0u);
}

TEST_P(ReaderFixtureTest, BitmapIsTheVolumesLessPageAndHibernationData)
{
    std::vector<unsigned char> expected = ToolBitmap();
    EXPECT_EQ(ReaderBitmap(reader_), expected) << "before the walk the bitmap is the volume's";

    std::vector<ToolRun> pageData, hiberData, hiberOther;
    if (GetParam().pageAndHibernation) {
        ASSERT_TRUE(ToolRuns(volumeFile_, "/pagefile.sys", {"$DATA"}, pageData));
        ASSERT_TRUE(ToolRuns(volumeFile_, "/hiberfil.sys", {"$DATA"}, hiberData));
        ASSERT_TRUE(ToolRuns(volumeFile_, "/hiberfil.sys", {"$ATTRIBUTE_LIST"}, hiberOther));
        if (std::string(GetParam().image) == "ntfs-512.img") {
            ASSERT_FALSE(hiberOther.empty()) << "this volume's hibernation file keeps its attribute list in clusters";
        }
        ASSERT_FALSE(pageData.empty());
        ASSERT_FALSE(hiberData.empty());
        ClearRuns(expected, pageData);
        ClearRuns(expected, hiberData);
    }
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0u);
    const std::vector<unsigned char> bitmap = ReaderBitmap(reader_);
    EXPECT_EQ(bitmap, expected);
    // The attribute list of a fragmented hibernation file stays in the backup.
    EXPECT_TRUE(AllSet(bitmap, hiberOther));
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0u) << "a second walk finds the same and clears no more";
    EXPECT_EQ(ReaderBitmap(reader_), expected);
}

TEST_P(ReaderFixtureTest, WriteSpecialInfoHandsOutBootMftAndBitmapThenClearsThem)
{
    const std::vector<unsigned char> before = ReaderBitmap(reader_);
    std::vector<ToolRun> special;
    for (const char* file : {"#7", "#0", "#6"}) {
        std::vector<ToolRun> runs;
        ASSERT_TRUE(ToolRuns(volumeFile_, file, {"$DATA", "$BITMAP", "$ATTRIBUTE_LIST"}, runs)) << file;
        ASSERT_FALSE(runs.empty()) << file;
        special.insert(special.end(), runs.begin(), runs.end());
    }
    std::set<uint64_t> expectedSectors;
    for (const ToolRun& run : special) {
        for (uint64_t s = run.lcn * sectorsPerCluster_; s < (run.lcn + run.length) * sectorsPerCluster_; ++s)
            expectedSectors.insert(s);
    }

    ASSERT_EQ(reader_->WriteSpecialInfo(), 0u);
    ASSERT_FALSE(image_.writes.empty());
    EXPECT_EQ(image_.writes.front().first, 0u) << "$Boot comes first";
    std::set<uint64_t> written;
    for (const WriteCall& call : image_.writes) {
        EXPECT_EQ(call.mode, 0u);
        EXPECT_GT(call.count, 0u);
        EXPECT_LE(call.count, 20480u);
        EXPECT_EQ(std::memcmp(call.data.data(), image_.Volume().data() + call.first * 512, call.count * 512ul), 0)
            << "sector " << call.first;
        for (uint64_t s = call.first; s < call.first + call.count; ++s)
            written.insert(s);
    }
    EXPECT_EQ(written, expectedSectors);

    std::vector<unsigned char> expected = before;
    ClearRuns(expected, special);
    EXPECT_EQ(ReaderBitmap(reader_), expected);
}

TEST_P(ReaderFixtureTest, FailuresOfTheWriteCallbackAreReturned)
{
    image_.writeResult = 0x12345678;
    EXPECT_EQ(reader_->WriteSpecialInfo(), 0x12345678u);
    EXPECT_EQ(image_.writes.size(), 1u) << "the first failure stops the copy";
}

TEST_P(ReaderFixtureTest, SuccessCodesOfTheWriteCallbackDoNotStopTheCopy)
{
    ASSERT_EQ(reader_->WriteSpecialInfo(), 0u);
    const size_t calls = image_.writes.size();
    ASSERT_GT(calls, 1u);
    ASSERT_EQ(reader_->InitFileSystem(VolumeImage::Read, VolumeImage::Write, &image_), 0u);
    image_.writes.clear();
    image_.writeResult = 0x00ABC000; // kind 0: success, with a line number
    EXPECT_FALSE(KSFailed(reader_->WriteSpecialInfo()));
    EXPECT_EQ(image_.writes.size(), calls) << "every metadata sector is still handed out";
}

TEST_P(ReaderFixtureTest, GetBitMapReadsFromAnyByte)
{
    const std::vector<unsigned char> whole = ReaderBitmap(reader_);
    ASSERT_GT(whole.size(), 2u);
    std::vector<unsigned char> tail(whole.size(), 0xAA);
    unsigned long long first = 8;
    unsigned long bits = 1u << 30; // past the end: copies to the end only
    ASSERT_EQ(reader_->GetBitMap(tail.data(), &first, &bits), 0u);
    EXPECT_EQ(bits, 1u << 30) << "the caller's count is left alone";
    EXPECT_TRUE(std::equal(whole.begin() + 1, whole.end(), tail.begin()));
    first = 4;
    EXPECT_EQ(reader_->GetBitMap(tail.data(), &first, &bits), 0x00909009u);
    first = uint64_t(whole.size() + 64) * 8;
    std::vector<unsigned char> untouched(4, 0xAA);
    EXPECT_EQ(KSResultKind(reader_->GetBitMap(untouched.data(), &first, &bits)), 0x009u);
    EXPECT_EQ(untouched, std::vector<unsigned char>(4, 0xAA));
}

TEST_P(ReaderFixtureTest, InitialisingAgainStartsOver)
{
    const std::vector<unsigned char> fresh = ReaderBitmap(reader_);
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0u);
    ASSERT_EQ(reader_->WriteSpecialInfo(), 0u);
    ASSERT_NE(ReaderBitmap(reader_), fresh);
    ASSERT_EQ(reader_->InitFileSystem(VolumeImage::Read, VolumeImage::Write, &image_), 0u);
    EXPECT_EQ(ReaderBitmap(reader_), fresh);
    EXPECT_EQ(reader_->CheckFileSystem(), 0u);
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0u) << "the root lookup reads the volume again";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ReaderFixtureTest, ::testing::ValuesIn(kNtfsFixtures),
                         [](const ::testing::TestParamInfo<NtfsFixture>& info) {
                             std::string name = info.param.image;
                             name = name.substr(5, name.find('.') - 5);
                             return "Clusters" + name;
                         });

TEST(TwoReaders, EachReadsItsOwnVolume)
{
    VolumeImage a, b;
    std::string fileA, fileB;
    ASSERT_TRUE(LoadFixture(kNtfsFixtures[0], a, fileA));
    ASSERT_TRUE(LoadFixture(kNtfsFixtures[1], b, fileB));
    IKSFSSupport* first = OpenReader(a);
    ASSERT_NE(first, nullptr);
    const std::vector<unsigned char> alone = ReaderBitmap(first);
    first->Release();

    first = OpenReader(a);
    IKSFSSupport* second = OpenReader(b);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // The first reader's work after the second was opened still reads its own volume.
    ASSERT_EQ(first->WalkThroughVolume(nullptr), 0u);
    ASSERT_EQ(first->WriteSpecialInfo(), 0u);
    EXPECT_EQ(first->CheckFileSystem(), 0x020E960Bu) << "its special files were cleared";
    for (const WriteCall& call : a.writes)
        ASSERT_EQ(std::memcmp(call.data.data(), a.Volume().data() + call.first * 512, call.count * 512ul), 0);
    EXPECT_TRUE(b.writes.empty());
    EXPECT_NE(ReaderBitmap(first), alone);
    EXPECT_EQ(second->CheckFileSystem(), 0u);
    first->Release();
    second->Release();
}

} // namespace
