#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KSResult.h"
#include "LittleEndian.h"
#include "NtfsFixtures.h"
#include "NtfsTools.h"

namespace {

// Damage done to a 4 KiB-cluster volume in memory; each must give a result code.
class DamagedVolume : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(LoadFixture(kNtfsFixtures[0], image_, volumeFile_));
        const unsigned char* boot = image_.Volume().data();
        clusterBytes_ = 512u * boot[13];
        mftOffset_ = LoadLE64(boot + 48) * clusterBytes_;
    }

    std::vector<unsigned char>& Bytes() { return image_.Volume(); }

    // Changes one byte of a record protected by an update sequence: a byte at a
    // stride tail lives in the update-sequence array.
    void PatchProtected(size_t recordStart, size_t offset, unsigned char value)
    {
        unsigned char* record = Bytes().data() + recordStart;
        if (offset % 512 >= 510) {
            const size_t array = LoadLE16(record + 4);
            record[array + 2 * (1 + offset / 512) + (offset % 512 - 510)] = value;
        } else {
            record[offset] = value;
        }
    }
    unsigned char ReadProtected(size_t recordStart, size_t offset)
    {
        const unsigned char* record = Bytes().data() + recordStart;
        if (offset % 512 >= 510) {
            const size_t array = LoadLE16(record + 4);
            return record[array + 2 * (1 + offset / 512) + (offset % 512 - 510)];
        }
        return record[offset];
    }

    // Offset (in the volume) of the first attribute of type in file record n (with
    // a name of nameLength characters, when one is given).
    size_t AttributeOf(uint64_t n, uint32_t type, int nameLength = -1)
    {
        const size_t record = mftOffset_ + n * 1024;
        size_t at = record + LoadLE16(Bytes().data() + record + 20);
        while (LoadLE32(Bytes().data() + at) != type ||
               (nameLength >= 0 && Bytes()[at + 9] != static_cast<unsigned char>(nameLength))) {
            const uint32_t length = LoadLE32(Bytes().data() + at + 4);
            if (length == 0 || LoadLE32(Bytes().data() + at) == 0xFFFFFFFF)
                return 0;
            at += length;
        }
        return at;
    }

    // Sets the data size of a non-resident attribute of file record n (allocated
    // and initialised sizes alike, so that the sizes agree).
    void SetDataSize(uint64_t n, uint32_t type, uint64_t size)
    {
        const size_t record = mftOffset_ + n * 1024;
        const size_t attribute = AttributeOf(n, type);
        ASSERT_NE(attribute, 0u);
        for (size_t field : {40, 48, 56}) {
            for (size_t i = 0; i < 8; ++i)
                PatchProtected(record, attribute - record + field + i, static_cast<unsigned char>(size >> (8 * i)));
        }
    }

    // The pagefile.sys entry in the root's index blocks: the entry's offset in its
    // block and the block's offset in the volume.
    bool FindPageFileEntry(size_t& block, size_t& entry)
    {
        const std::u16string name = u"pagefile.sys";
        std::vector<unsigned char> pattern;
        for (char16_t c : name) {
            pattern.push_back(static_cast<unsigned char>(c));
            pattern.push_back(0);
        }
        const std::vector<unsigned char>& v = Bytes();
        for (size_t b = 0; b + 4096 <= v.size(); b += 4096) {
            if (std::memcmp(v.data() + b, "INDX", 4) != 0)
                continue;
            auto it = std::search(v.begin() + b, v.begin() + b + 4096, pattern.begin(), pattern.end());
            if (it == v.begin() + b + 4096)
                continue;
            block = b;
            entry = static_cast<size_t>(it - v.begin()) - b - 82;
            return true;
        }
        return false;
    }

    std::vector<ToolRun> PageFileRuns()
    {
        std::vector<ToolRun> runs;
        EXPECT_TRUE(ToolRuns(volumeFile_, "/pagefile.sys", {"$DATA"}, runs));
        EXPECT_FALSE(runs.empty());
        return runs;
    }

    bool AllSet(IKSFSSupport* reader, const std::vector<ToolRun>& runs)
    {
        const std::vector<unsigned char> bitmap = ReaderBitmap(reader);
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
    size_t clusterBytes_ = 0;
    size_t mftOffset_ = 0;
};

TEST_F(DamagedVolume, InitialisationFailsWithTheStepsCode)
{
    struct Case {
        const char* what;
        unsigned long expected;
        void (*damage)(DamagedVolume&);
    } cases[] = {
        {"boot sector not NTFS", 0x006B9005, [](DamagedVolume& t) { t.Bytes()[3] = 'X'; }},
        {"boot sector with a zero cluster size", 0x006B9005, [](DamagedVolume& t) { t.Bytes()[13] = 0; }},
        {"$MFT's record torn (a sector tail without the sequence number)", 0x00709005,
         [](DamagedVolume& t) { t.Bytes()[t.mftOffset_ + 1022] ^= 0xFF; }},
        {"$MFT's record not a FILE record", 0x00709005,
         [](DamagedVolume& t) { t.Bytes()[t.mftOffset_] = 'X'; }},
        {"$MFT's data run list points past the volume", 0x00709005,
         [](DamagedVolume& t) {
             const size_t data = t.AttributeOf(0, 0x80);
             const size_t pairs = data + LoadLE16(t.Bytes().data() + data + 32);
             t.PatchProtected(t.mftOffset_, pairs - t.mftOffset_ + 1 + (t.Bytes()[pairs] & 0xF) +
                                                 (t.Bytes()[pairs] >> 4) - 1, 0x7F);
         }},
        {"$Bitmap's run list without its end", 0x00759005,
         [](DamagedVolume& t) {
             const size_t data = t.AttributeOf(6, 0x80);
             const size_t pairs = data + LoadLE16(t.Bytes().data() + data + 32);
             t.PatchProtected(t.mftOffset_ + 6 * 1024, pairs - t.mftOffset_ - 6 * 1024, 0x1F);
         }},
        {"$Bitmap's size far beyond what its volume needs", 0x00759005,
         [](DamagedVolume& t) {
             const size_t data = t.AttributeOf(6, 0x80);
             t.PatchProtected(t.mftOffset_ + 6 * 1024, data + 48 + 5 - t.mftOffset_ - 6 * 1024, 0x10);
         }},
        {"$MFT's bitmap size far beyond what its volume holds", 0x00709005,
         [](DamagedVolume& t) {
             const size_t bitmap = t.AttributeOf(0, 0xB0);
             t.PatchProtected(t.mftOffset_, bitmap + 48 + 5 - t.mftOffset_, 0x10);
         }},
        {"$BadClus record torn", 0x007A9005,
         [](DamagedVolume& t) { t.Bytes()[t.mftOffset_ + 8 * 1024 + 510] ^= 0xFF; }},
        {"volume unreadable between the boot sector and its last sector", 0x00709005,
         [](DamagedVolume& t) {
             t.image_.failFrom = 1;
             t.image_.failTo = LoadLE64(t.Bytes().data() + 40) - 1;
         }},
        {"device ending before the volume's last sector", 0x006B9005,
         [](DamagedVolume& t) { t.image_.failFrom = LoadLE64(t.Bytes().data() + 40) - 1; }},
        // A boot sector claiming a 1 TiB volume with a $Bitmap or an $MFT bitmap of
        // the size such a volume has: refused before any bitmap is sized by it.
        {"volume larger than its device, $Bitmap sized to match", 0x006B9005,
         [](DamagedVolume& t) {
             StoreLE64(t.Bytes().data() + 40, uint64_t(1) << 31);
             t.SetDataSize(6, 0x80, (uint64_t(1) << 31) / 8 / 8);
         }},
        {"volume larger than its device, $MFT's bitmap sized to match", 0x006B9005,
         [](DamagedVolume& t) {
             StoreLE64(t.Bytes().data() + 40, uint64_t(1) << 31);
             t.SetDataSize(0, 0xB0, (uint64_t(1) << 31) / 2 / 8);
         }},
    };
    const std::vector<unsigned char> good = Bytes();
    for (const Case& c : cases) {
        Bytes() = good;
        image_.failFrom = UINT64_MAX;
        image_.failTo = UINT64_MAX;
        c.damage(*this);
        unsigned long result = 0;
        IKSFSSupport* reader = OpenReader(image_, &result);
        EXPECT_EQ(reader, nullptr) << c.what;
        EXPECT_EQ(result, c.expected) << c.what;
    }
}

TEST_F(DamagedVolume, TheBitmapHandedOutEndsWithTheVolumesClusters)
{
    // The volume claims 4000 clusters; its $Bitmap still holds the 512 bytes of
    // 4096, and $BadClus's $Bad stream is cut to the claim as on a real volume.
    const uint64_t clusters = 4000;
    StoreLE64(Bytes().data() + 40, clusters * 8);
    const size_t record = mftOffset_ + 8 * 1024;
    const size_t bad = AttributeOf(8, 0x80, 4);
    ASSERT_NE(bad, 0u);
    const size_t pairs = bad + LoadLE16(Bytes().data() + bad + 32);
    ASSERT_EQ(ReadProtected(record, pairs - record), 0x02) << "one sparse run with a two-byte length";
    PatchProtected(record, pairs - record + 1, static_cast<unsigned char>(clusters));
    PatchProtected(record, pairs - record + 2, static_cast<unsigned char>(clusters >> 8));
    for (size_t i = 0; i < 8; ++i)
        PatchProtected(record, bad - record + 24 + i, static_cast<unsigned char>((clusters - 1) >> (8 * i)));

    unsigned long result = 0;
    IKSFSSupport* reader = OpenReader(image_, &result);
    ASSERT_EQ(result, 0u);
    _KS_VOLUME volume;
    ASSERT_EQ(reader->GetVolumeInfo(&volume), 0u);
    EXPECT_EQ(volume.BitmapSize, 500u);
    // A caller sizes its buffer by the volume record: asking for every bit copies
    // no byte past it, and no bit past the last cluster is set.
    std::vector<unsigned char> bitmap(volume.BitmapSize + 64, 0xA5);
    unsigned long long first = 0;
    unsigned long bits = 1u << 30;
    ASSERT_EQ(reader->GetBitMap(bitmap.data(), &first, &bits), 0u);
    EXPECT_EQ(std::vector<unsigned char>(bitmap.begin() + volume.BitmapSize, bitmap.end()),
              std::vector<unsigned char>(64, 0xA5));
    reader->Release();
}

TEST_F(DamagedVolume, StaleIndexEntryDoesNotLeaveOutAnotherFile)
{
    const std::vector<ToolRun> pageRuns = PageFileRuns();
    size_t block = 0, entry = 0;
    ASSERT_TRUE(FindPageFileEntry(block, entry));
    // The entry's file reference names the record with another sequence number:
    // the record was freed and reused since the entry was written.
    PatchProtected(block, entry + 6, static_cast<unsigned char>(ReadProtected(block, entry + 6) + 1));
    IKSFSSupport* reader = OpenReader(image_);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->WalkThroughVolume(nullptr), 0u);
    EXPECT_TRUE(AllSet(reader, pageRuns));
    reader->Release();
}

TEST_F(DamagedVolume, EntriesOfFreeIndexBlocksAreIgnored)
{
    const std::vector<ToolRun> pageRuns = PageFileRuns();
    size_t block = 0, entry = 0;
    ASSERT_TRUE(FindPageFileEntry(block, entry));
    const uint64_t blockNumber = LoadLE64(Bytes().data() + block + 16) * clusterBytes_ / 4096;
    // Mark that block free in the root index's $BITMAP (resident in record 5).
    const size_t bitmap = AttributeOf(5, 0xB0);
    ASSERT_NE(bitmap, 0u);
    const size_t value = bitmap + LoadLE16(Bytes().data() + bitmap + 20);
    const size_t record = mftOffset_ + 5 * 1024;
    const size_t at = value - record + blockNumber / 8;
    PatchProtected(record, at,
                   static_cast<unsigned char>(ReadProtected(record, at) & ~(1u << (blockNumber % 8))));
    IKSFSSupport* reader = OpenReader(image_);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->WalkThroughVolume(nullptr), 0u);
    EXPECT_TRUE(AllSet(reader, pageRuns));
    reader->Release();
}

TEST_F(DamagedVolume, HugeIndexStreamSizeEndsWithTheBitmapsBlocks)
{
    const size_t record = mftOffset_ + 5 * 1024;
    const size_t allocation = AttributeOf(5, 0xA0);
    const size_t bitmap = AttributeOf(5, 0xB0);
    ASSERT_NE(allocation, 0u);
    ASSERT_NE(bitmap, 0u);
    // Every index block free, and a stream size that would make 2^48 blocks of
    // 4 KiB: the search must stop where $BITMAP ends instead of walking them all.
    const size_t value = bitmap + LoadLE16(Bytes().data() + bitmap + 20);
    const uint32_t valueLength = LoadLE32(Bytes().data() + bitmap + 16);
    for (size_t i = 0; i < valueLength; ++i)
        PatchProtected(record, value - record + i, 0);
    for (size_t i = 0; i < 8; ++i)
        PatchProtected(record, allocation - record + 48 + i, i == 7 ? 0x10 : 0);
    IKSFSSupport* reader = OpenReader(image_);
    ASSERT_NE(reader, nullptr);
    const std::vector<unsigned char> before = ReaderBitmap(reader);
    EXPECT_EQ(reader->WalkThroughVolume(nullptr), 0u);
    EXPECT_EQ(ReaderBitmap(reader), before);
    reader->Release();
}

TEST_F(DamagedVolume, DamagedIndexEntriesGiveAResultCode)
{
    size_t block = 0, entry = 0;
    ASSERT_TRUE(FindPageFileEntry(block, entry));
    const std::vector<unsigned char> good = Bytes();
    struct Case {
        const char* what;
        size_t offset;
        unsigned char value;
    } cases[] = {
        {"entry length zero", entry + 8, 0},
        {"entry length past the block", entry + 9, 0x40},
        {"name longer than its key", entry + 80, 200},
        {"key longer than its entry", entry + 11, 0x10},
        {"block without its magic", 0, 'X'},
    };
    for (const Case& c : cases) {
        Bytes() = good;
        PatchProtected(block, c.offset, c.value);
        IKSFSSupport* reader = OpenReader(image_);
        ASSERT_NE(reader, nullptr) << c.what;
        EXPECT_EQ(KSResultKind(reader->WalkThroughVolume(nullptr)), 0x60Bu) << c.what;
        reader->Release();
    }
    Bytes() = good;
    Bytes()[block + 1022] ^= 0xFF; // a torn index block
    IKSFSSupport* reader = OpenReader(image_);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(KSResultKind(reader->WalkThroughVolume(nullptr)), 0x60Bu) << "torn block";
    reader->Release();
}

TEST_F(DamagedVolume, ReadFailuresOfTheLookupAreReturned)
{
    size_t block = 0, entry = 0;
    ASSERT_TRUE(FindPageFileEntry(block, entry));
    IKSFSSupport* reader = OpenReader(image_);
    ASSERT_NE(reader, nullptr);
    image_.failFrom = block / 512;
    image_.failTo = block / 512 + 8;
    const unsigned long result = reader->WalkThroughVolume(nullptr);
    EXPECT_EQ(KSResultKind(result), 0x256u);
    reader->Release();
}

} // namespace
