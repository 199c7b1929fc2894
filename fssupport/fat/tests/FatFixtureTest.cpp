// The FAT reader over real volumes made by mkfs.fat and filled by mtools, checked
// against what mtools and fsck.fat say about the same volumes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "FatFixtures.h"
#include "KSFSSupport.h"
#include "KSResult.h"

namespace {

struct ReaderDeleter {
    void operator()(IKSFSSupport* r) const
    {
        if (r != nullptr)
            r->Release();
    }
};
using ReaderPtr = std::unique_ptr<IKSFSSupport, ReaderDeleter>;

ReaderPtr NewReader()
{
    void* object = nullptr;
    EXPECT_EQ(KSCreateObjectFsFat(1, 4, &object), 0ul);
    return ReaderPtr(static_cast<IKSFSSupport*>(object));
}

std::set<uint32_t> BitmapClusters(IKSFSSupport& reader, uint32_t clusterCount)
{
    std::vector<unsigned char> bits((clusterCount + 7) / 8 + 8, 0);
    unsigned long long first = 0;
    unsigned long count = clusterCount + 100;
    EXPECT_EQ(reader.GetBitMap(bits.data(), &first, &count), 0ul);
    EXPECT_EQ(count, clusterCount);
    std::set<uint32_t> clusters;
    for (uint32_t i = 0; i < clusterCount; ++i)
        if (bits[i / 8] & (1u << (i % 8)))
            clusters.insert(i + 2);
    return clusters;
}

bool IsFolder(const std::string& name) { return name.back() == '/'; }

class FatFixtureTest : public ::testing::TestWithParam<FatFixture> {
protected:
    void SetUp() override
    {
        volume_ = LoadFatFixture(GetParam());
        ASSERT_FALSE(volume_.bytes.empty()) << "fixture " << GetParam().script << " was not made";
        original_.reset(new TempVolumeFile(volume_.bytes, "original"));
        names_ = ListVolume(original_->Mtools());
        ASSERT_GT(names_.size(), 5u);
        clusterCount_ = static_cast<uint32_t>(FsckNumber(original_->Path(), "data clusters"));
        ASSERT_GT(clusterCount_, 0u);
        reader_ = NewReader();
        ASSERT_EQ(reader_->InitFileSystem(VolumeImage::Read, VolumeImage::WriteRecord, &volume_), 0ul);
    }

    // Clusters of every file and folder, as mtools sees them, and of the FAT32 root.
    std::set<uint32_t> ClustersOf(bool (*keep)(const std::string&)) const
    {
        std::vector<std::string> names = names_;
        names.push_back("::/");
        std::set<uint32_t> all;
        for (const auto& entry : ::ClustersOf(original_->Mtools(), names))
            if (keep(entry.first))
                all.insert(entry.second.begin(), entry.second.end());
        return all;
    }

    VolumeImage volume_;
    std::unique_ptr<TempVolumeFile> original_;
    std::vector<std::string> names_;
    uint32_t clusterCount_ = 0;
    ReaderPtr reader_;
    _KS_FILTERS_HEAD filters_{0, 8};
};

TEST_P(FatFixtureTest, ReportsKindAndVolumeRecord)
{
    const FatFixture& f = GetParam();
    EXPECT_EQ(reader_->GetFileSystem(), f.kind);

    _KS_VOLUME v;
    std::memset(&v, 0xAB, sizeof v);
    ASSERT_EQ(reader_->GetVolumeInfo(&v), 0ul);
    EXPECT_EQ(v.Magic, KS_VOLUME_MAGIC);
    EXPECT_EQ(v.Size, 256u);
    EXPECT_EQ(v.SectorsPerCluster, f.sectorsPerCluster);
    EXPECT_EQ(v.FileSystem, f.kind);
    EXPECT_EQ(v.BytesPerSector, 512u);
    EXPECT_EQ(v.ReservedSectors, f.reservedSectors);
    EXPECT_EQ(v.NumberOfFats, f.numberOfFats);
    EXPECT_EQ(v.RootDirSectors, f.rootDirSectors);
    EXPECT_EQ(v.SectorsPerFat, FsckNumber(original_->Path(), "bytes per FAT") / 512);
    EXPECT_EQ(v.BitmapSize, (clusterCount_ + 7) / 8);
    EXPECT_EQ(v.TotalSectors, volume_.bytes.size() / 512);
    // Fields the reader does not own keep what the caller put there.
    EXPECT_EQ(v.DiskNumber, 0xABABu);
    EXPECT_EQ(v.Flags, 0xABu);
    EXPECT_EQ(v.UsedSectors, 0xABABABABABABABABull);
    EXPECT_EQ(v.Label[0], 0xABABu);
}

TEST_P(FatFixtureTest, BitmapHoldsExactlyTheClustersInUse)
{
    const std::set<uint32_t> inUse = ClustersOf([](const std::string&) { return true; });
    EXPECT_EQ(BitmapClusters(*reader_, clusterCount_), inUse);

    // The walk takes the root's page and hibernation files out, and on FAT32 the root
    // chain, which it hands out itself.
    ASSERT_EQ(reader_->WalkThroughVolume(&filters_), 0ul);
    std::set<uint32_t> kept = ClustersOf([](const std::string& n) { return !IsRootSystemFile(n) && n != "::/"; });
    EXPECT_EQ(BitmapClusters(*reader_, clusterCount_), kept);
    // The folder's own pagefile.sys is an ordinary file and stays.
    const auto subPage = ::ClustersOf(original_->Mtools(), {"::/Documents/pagefile.sys"}).begin()->second;
    ASSERT_FALSE(subPage.empty());
    EXPECT_TRUE(std::includes(kept.begin(), kept.end(), subPage.begin(), subPage.end()));
}

TEST_P(FatFixtureTest, WalkWithoutFiltersHandsOutOnlyTheRoot)
{
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0ul);
    std::set<uint64_t> sectors;
    for (const VolumeImage::Write& w : volume_.writes) {
        EXPECT_EQ(w.mode, 0ul);
        for (uint64_t s = 0; s < w.count; ++s)
            sectors.insert(w.first + s);
    }
    const auto root = ::ClustersOf(original_->Mtools(), {"::/"}).begin()->second;
    EXPECT_EQ(sectors.size(), root.size() * GetParam().sectorsPerCluster);
    const std::set<uint32_t> kept =
        ClustersOf([](const std::string& n) { return !IsRootSystemFile(n) && n != "::/"; });
    EXPECT_EQ(BitmapClusters(*reader_, clusterCount_), kept);
}

TEST_P(FatFixtureTest, SpecialInfoGoesOutInModeOnePiecesInVolumeOrder)
{
    const FatFixture& f = GetParam();
    ASSERT_EQ(reader_->WalkThroughVolume(&filters_), 0ul);
    // The walk hands out the folders' clusters (and the FAT32 root) with mode 0.
    std::set<uint32_t> folderSectors;
    for (const VolumeImage::Write& w : volume_.writes) {
        EXPECT_EQ(w.mode, 0ul);
        for (uint64_t s = 0; s < w.count; ++s)
            folderSectors.insert(static_cast<uint32_t>(w.first + s));
    }
    std::set<uint32_t> folders = ClustersOf([](const std::string& n) { return n.back() == '/'; });
    EXPECT_EQ(folderSectors.size(), folders.size() * f.sectorsPerCluster);

    const size_t walkWrites = volume_.writes.size();
    ASSERT_EQ(reader_->WriteSpecialInfo(), 0ul);
    _KS_VOLUME v{};
    ASSERT_EQ(reader_->GetVolumeInfo(&v), 0ul);
    const uint64_t systemArea = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
    std::vector<unsigned char> handedOut;
    uint64_t next = 0;
    for (size_t i = walkWrites; i < volume_.writes.size(); ++i) {
        const VolumeImage::Write& w = volume_.writes[i];
        EXPECT_EQ(w.mode, 1ul);
        EXPECT_LE(w.count, 128ul);
        EXPECT_EQ(w.first, next);
        next = w.first + w.count;
        handedOut.insert(handedOut.end(), w.data.begin(), w.data.end());
    }
    ASSERT_EQ(next, systemArea);
    // The reserved area is the volume's own, but for the FAT32 free-cluster count,
    // which takes in the clusters of the removed files. All FAT copies are the same.
    const size_t reservedBytes = v.ReservedSectors * 512u;
    const size_t fatBytes = v.SectorsPerFat * 512u;
    std::vector<unsigned char> reserved(volume_.bytes.begin(), volume_.bytes.begin() + reservedBytes);
    if (f.kind == KS_FS_FAT32) {
        const auto removed = ::ClustersOf(original_->Mtools(), {"::/PageFile.Sys", "::/hiberfil.sys"});
        const size_t freed = removed.at("::/PageFile.Sys").size() + removed.at("::/hiberfil.sys").size();
        unsigned char* info = reserved.data() + LoadLE16(reserved.data() + 48) * 512;
        StoreLE32(info + 488, static_cast<uint32_t>(LoadLE32(info + 488) + freed));
    }
    EXPECT_TRUE(std::equal(reserved.begin(), reserved.end(), handedOut.begin()));
    for (unsigned n = 1; n < v.NumberOfFats; ++n)
        EXPECT_TRUE(std::equal(handedOut.begin() + reservedBytes, handedOut.begin() + reservedBytes + fatBytes,
                               handedOut.begin() + reservedBytes + n * fatBytes));
    // The removed files' entries are free in the FAT copies handed out.
    const auto page = ::ClustersOf(original_->Mtools(), {"::/PageFile.Sys"}).begin()->second;
    ASSERT_FALSE(page.empty());
    for (uint32_t c : page) {
        const unsigned char* fat = handedOut.data() + reservedBytes;
        uint32_t entry;
        if (f.kind == KS_FS_FAT12)
            entry = (c & 1) ? (LoadLE16(fat + c * 3 / 2) >> 4) : (LoadLE16(fat + c * 3 / 2) & 0xFFF);
        else if (f.kind == KS_FS_FAT16)
            entry = LoadLE16(fat + c * 2);
        else
            entry = LoadLE32(fat + c * 4) & 0x0FFFFFFF;
        EXPECT_EQ(entry, 0u) << "cluster " << c;
    }
}

TEST_P(FatFixtureTest, VolumeRebuiltFromTheOutputHoldsEveryFileButTheSystemFiles)
{
    _KS_VOLUME v{};
    ASSERT_EQ(reader_->GetVolumeInfo(&v), 0ul);
    ASSERT_EQ(reader_->WalkThroughVolume(&filters_), 0ul);
    ASSERT_EQ(reader_->WriteSpecialInfo(), 0ul);

    std::vector<unsigned char> rebuilt(volume_.bytes.size(), 0);
    for (const VolumeImage::Write& w : volume_.writes)
        std::copy(w.data.begin(), w.data.end(), rebuilt.begin() + static_cast<std::ptrdiff_t>(w.first * 512));
    const uint64_t firstData = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
    const uint64_t clusterBytes = v.SectorsPerCluster * 512ull;
    for (uint32_t c : BitmapClusters(*reader_, clusterCount_)) {
        const uint64_t at = firstData * 512 + (c - 2) * clusterBytes;
        std::copy(volume_.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  volume_.bytes.begin() + static_cast<std::ptrdiff_t>(at + clusterBytes),
                  rebuilt.begin() + static_cast<std::ptrdiff_t>(at));
    }
    TempVolumeFile copy(rebuilt, "rebuilt");

    int status = -1;
    const std::string fsck = RunCommand("fsck.fat -n '" + copy.Path() + "'", &status);
    EXPECT_EQ(status, 0) << fsck;

    std::vector<std::string> expected;
    for (const std::string& n : names_)
        if (!IsRootSystemFile(n))
            expected.push_back(n);
    ASSERT_EQ(ListVolume(copy.Mtools()), expected);
    for (const std::string& n : expected) {
        if (IsFolder(n))
            continue;
        const std::string type = std::string(kMtoolsEnvironment) + "mtype -i ";
        EXPECT_EQ(RunCommand(type + copy.Mtools() + " '" + n + "'"), RunCommand(type + original_->Mtools() + " '" + n + "'"))
            << n;
    }
}

TEST_P(FatFixtureTest, CheckFindsAFatWhoseFirstEntryDisagreesWithTheMediaByte)
{
    EXPECT_EQ(reader_->CheckFileSystem(), 0ul);
    const size_t firstFat = GetParam().reservedSectors * 512u;
    volume_.bytes[firstFat] ^= 0x08;
    ReaderPtr again = NewReader();
    EXPECT_EQ(again->InitFileSystem(VolumeImage::Read, VolumeImage::WriteRecord, &volume_), 0x04B09006ul);
}

TEST_P(FatFixtureTest, FailingWriteCallbackStopsSpecialInfoWithItsCode)
{
    ASSERT_EQ(reader_->WalkThroughVolume(nullptr), 0ul);
    volume_.failWriteAfter = static_cast<long>(volume_.writes.size()) + 1;
    EXPECT_EQ(reader_->WriteSpecialInfo(), VolumeImage::kWriteFailure);
    EXPECT_EQ(volume_.writes.size(), static_cast<size_t>(volume_.failWriteAfter));
}

std::string FixtureName(const ::testing::TestParamInfo<FatFixture>& info)
{
    std::string name;
    for (const char* p = info.param.name; *p != '.'; ++p)
        name.push_back(std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatFixtureTest, ::testing::ValuesIn(AllFatFixtures()), FixtureName);

} // namespace
