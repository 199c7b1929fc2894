#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "CExtendMFT.h"
#include "CHardDriveIO.h"
#include "CRecordAttributeReader.h"
#include "CVirtualDevice.h"
#include "LittleEndian.h"
#include "RecordBuilder.h"

namespace {

// A hand-made volume of 200 clusters of 512 bytes whose $MFT continues in a child
// record: records 0-15 at LCN 4, records 16-31 at LCN 100, the second extent of
// $MFT's data described in record 3 and named by record 0's attribute list.
class SplitMftVolume {
public:
    SplitMftVolume() : bytes_(200 * 512, 0)
    {
        unsigned char* b = bytes_.data();
        std::memcpy(b + 3, "NTFS    ", 8);
        StoreLE16(b + 11, 512);
        b[13] = 1;
        StoreLE64(b + 40, 200);
        StoreLE64(b + 48, 4);
        StoreLE64(b + 56, 2);
        b[64] = 0xF6;
        b[68] = 0xF4;
        StoreLE16(b + 510, 0xAA55);
    }

    static std::vector<unsigned char> ListEntry(uint64_t vcn, uint64_t reference)
    {
        std::vector<unsigned char> e(32, 0);
        StoreLE32(&e[0], 0x80);
        StoreLE16(&e[4], 32);
        e[7] = 26;
        StoreLE64(&e[8], vcn);
        StoreLE64(&e[16], reference);
        return e;
    }

    // Record 0 with its attribute list entries (second extent at secondVcn in
    // record 3 of sequence childSequence), and record 3 with base baseOfChild.
    void Build(uint64_t secondVcn, uint16_t childSequence, uint64_t baseOfChild)
    {
        std::vector<unsigned char> list = ListEntry(0, 0x0001000000000000ull); // record 0 itself, sequence 1
        const std::vector<unsigned char> second = ListEntry(secondVcn, (uint64_t(childSequence) << 48) | 3);
        list.insert(list.end(), second.begin(), second.end());
        RecordBuilder mft;
        mft.Sequence(1);
        mft.Resident(0x20, u"", list);
        mft.NonResident(0x80, u"", 0, 31, 32 * 1024, {0x11, 0x20, 0x04, 0x00});
        Place(0, mft.Build());

        RecordBuilder child;
        child.Sequence(1).Base(baseOfChild);
        child.NonResident(0x80, u"", 32, 63, 0, {0x11, 0x20, 0x64, 0x00});
        Place(3, child.Build());

        RecordBuilder late;
        late.Sequence(5);
        late.Resident(0x10, u"", std::vector<unsigned char>(48, 0));
        Place(20, late.Build());
    }

    const unsigned char* At(uint64_t lcn) const { return bytes_.data() + lcn * 512; }

    static unsigned long Read(void* context, unsigned long long first, unsigned long count, void* buffer)
    {
        SplitMftVolume* v = static_cast<SplitMftVolume*>(context);
        if ((first + count) * 512 > v->bytes_.size())
            return 0x00019256;
        std::memcpy(buffer, v->bytes_.data() + first * 512, count * 512ul);
        return 0;
    }

private:
    void Place(uint64_t record, const std::vector<unsigned char>& bytes)
    {
        const uint64_t lcn = record < 16 ? 4 + record * 2 : 100 + (record - 16) * 2;
        std::memcpy(bytes_.data() + lcn * 512, bytes.data(), bytes.size());
    }

    std::vector<unsigned char> bytes_;
};

// The reader's stack over the volume: device, raw disk, volume and MFT.
struct MftOnVolume {
    explicit MftOnVolume(SplitMftVolume& v) : device(SplitMftVolume::Read, &v)
    {
        io.LoadSetting(CHardDriveIOSetting(nullptr, &device));
    }
    bool Init()
    {
        if (!io.OpenDisk(-1) || !volume.LoadNtfsVolume(&io, -1, 0) || !mft.InitMFT(volume))
            return false;
        CNtfsFileRecord late;
        EXPECT_TRUE(mft.ReadFileRecord(20, late)) << "a record in the second extent";
        EXPECT_EQ(late.GetSequenceNumber(), 5);
        return true;
    }

    CVirtualDevice device;
    CHardDriveIO io;
    CNtfsVolume volume;
    CExtendMFT mft;
};

TEST(ExtendMft, JoinsTheExtentsOfAnAttributeList)
{
    SplitMftVolume v;
    v.Build(32, 1, 0x0001000000000000ull);
    MftOnVolume stack(v);
    ASSERT_TRUE(stack.Init());
    const CExtendMFT& mft = stack.mft;
    const CNtfsRunList& runs = mft.GetMftRunList();
    // The list's reference to record 0 (sequence 1, so not the number 0) must not
    // add record 0's extent a second time.
    ASSERT_EQ(runs.GetRunCount(), 2u);
    EXPECT_EQ(runs.GetRun(0).LCN, 4);
    EXPECT_EQ(runs.GetRun(1).LCN, 100);
    EXPECT_EQ(runs.GetRun(1).VCN, 32);
    EXPECT_EQ(mft.GetFileRecordCount(), 32u);
    EXPECT_EQ(mft.GetMftRecordList(), std::vector<uint64_t>{3});

    // Read as an attribute of record 0, $MFT's data is joined from both records.
    CRecordAttributeReader reader(&stack.io, &stack.volume, &stack.mft);
    uint64_t size = 0;
    ASSERT_TRUE(reader.GetAttributeSize(0, 0x80, u"", size));
    EXPECT_EQ(size, 32u * 1024);
    std::vector<unsigned char> record20(1024);
    ASSERT_TRUE(reader.GetAttributeData(0, 0x80, u"", record20.data(), 20 * 1024, 1024));
    EXPECT_EQ(std::memcmp(record20.data(), v.At(108), 1024), 0);
    std::vector<unsigned char> across(700);
    ASSERT_TRUE(reader.GetAttributeData(0, 0x80, u"", across.data(), 16 * 1024 - 300, 700))
        << "a range across the two extents, starting and ending inside sectors";
    EXPECT_EQ(std::memcmp(across.data(), v.At(4 + 31) + 212, 300), 0);
    EXPECT_EQ(std::memcmp(across.data() + 300, v.At(100), 400), 0);
    EXPECT_FALSE(reader.GetAttributeData(0, 0x80, u"", across.data(), 32 * 1024 - 100, 200)) << "past the end";
}

TEST(ExtendMft, RefusesExtentsThatDoNotFollowOn)
{
    struct Case {
        const char* what;
        uint64_t secondVcn;
        uint16_t childSequence;
        uint64_t baseOfChild;
    } cases[] = {
        {"second extent leaves a gap", 40, 1, 0x0001000000000000ull},
        {"list names the child with a stale sequence number", 32, 2, 0x0001000000000000ull},
        {"child belongs to another file", 32, 1, 0x0001000000000007ull},
    };
    for (const Case& c : cases) {
        SplitMftVolume v;
        v.Build(c.secondVcn, c.childSequence, c.baseOfChild);
        MftOnVolume stack(v);
        EXPECT_FALSE(stack.Init()) << c.what;
        EXPECT_FALSE(stack.mft.IsInitialized()) << c.what;
    }
}

} // namespace
