#include <gtest/gtest.h>

#include "CNtfsFileRecord.h"
#include "CNtfsRunList.h"
#include "NtfsLayout.h"
#include "RecordBuilder.h"

namespace {

TEST(FileRecord, ParsesResidentAndNonResidentAttributes)
{
    RecordBuilder b;
    b.Sequence(9).Base(0);
    b.Resident(NTFS_AT_STANDARD_INFORMATION, u"", std::vector<unsigned char>(48, 1));
    b.NonResident(NTFS_AT_DATA, u"", 0, 7, 4000, {0x11, 0x08, 0x20, 0x00});
    b.NonResident(NTFS_AT_DATA, u"$Bad", 0, 0x7F, 0x10000, {0x02, 0x80, 0x00, 0x00});
    const std::vector<unsigned char> bytes = b.Build();

    CNtfsFileRecord record;
    ASSERT_TRUE(record.InitFromSourceFileRecord(bytes.data(), bytes.size(), 42));
    EXPECT_EQ(record.GetRecordNumber(), 42u);
    EXPECT_EQ(record.GetSequenceNumber(), 9);
    EXPECT_TRUE(record.IsInUse());
    EXPECT_FALSE(record.IsAttributeListPresent());
    ASSERT_EQ(record.GetAttributeCount(), 3u);
    EXPECT_TRUE(record.GetAttribute(0).IsResident());
    EXPECT_EQ(record.GetAttribute(0).GetResidentData().size(), 48u);

    const CNtfsFileRecordAttribute* data = record.FindAttribute(NTFS_AT_DATA, u"");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetDataSize(), 4000u);
    CNtfsRunList runs;
    ASSERT_TRUE(data->GetDataRunList(runs, 0x80));
    ASSERT_EQ(runs.GetRunCount(), 1u);
    EXPECT_EQ(runs.GetRun(0).LCN, 0x20);

    const CNtfsFileRecordAttribute* bad = record.FindAttribute(NTFS_AT_DATA, u"$Bad");
    ASSERT_NE(bad, nullptr);
    ASSERT_TRUE(bad->GetDataRunList(runs, 0x80));
    EXPECT_EQ(runs.GetRun(0).LCN, NTFS_SPARSE_LCN);
}

TEST(FileRecord, RunListMustCoverTheExtentsVcnRange)
{
    RecordBuilder b;
    b.NonResident(NTFS_AT_DATA, u"", 0, 9, 4000, {0x11, 0x08, 0x20, 0x00}); // says 10 clusters, maps 8
    const std::vector<unsigned char> bytes = b.Build();
    CNtfsFileRecord record;
    ASSERT_TRUE(record.InitFromSourceFileRecord(bytes.data(), bytes.size(), 1));
    CNtfsRunList runs;
    EXPECT_FALSE(record.GetAttribute(0).GetDataRunList(runs, 0x80));
}

TEST(FileRecord, RefusesDamagedRecords)
{
    RecordBuilder b;
    const size_t at = b.Resident(NTFS_AT_FILE_NAME, u"", std::vector<unsigned char>(80, 2));
    b.NonResident(NTFS_AT_DATA, u"", 0, 7, 4000, {0x11, 0x08, 0x20, 0x00});
    struct Case {
        const char* what;
        size_t offset;
        int width;
        uint64_t value;
    } cases[] = {
        {"wrong magic", 0, 4, 0x44414142},
        {"attribute length past the used bytes", at + 4, 4, 900},
        {"attribute length below its head", at + 4, 4, 8},
        {"attribute length zero (would loop forever)", at + 4, 4, 0},
        {"resident value past the attribute", at + 16, 4, 200},
        {"name past the attribute", at + 9, 1, 200},
        {"attributes offset past the used bytes", 20, 2, 1000},
        {"used bytes past the record", 24, 4, 2048},
        {"no end marker inside the used bytes", 24, 4, 56 + 104},
        {"non-resident flag not 0 or 1", at + 8, 1, 7},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> plain = b.Plain();
        if (c.width == 1)
            plain[c.offset] = static_cast<unsigned char>(c.value);
        else if (c.width == 2)
            StoreLE16(&plain[c.offset], static_cast<uint16_t>(c.value));
        else
            StoreLE32(&plain[c.offset], static_cast<uint32_t>(c.value));
        const std::vector<unsigned char> bytes = RecordBuilder::Protect(plain);
        CNtfsFileRecord record;
        EXPECT_FALSE(record.InitFromSourceFileRecord(bytes.data(), bytes.size(), 3)) << c.what;
    }
    const std::vector<unsigned char> good = b.Build();
    std::vector<unsigned char> torn = good;
    torn[1023] ^= 0xFF;
    CNtfsFileRecord record;
    EXPECT_TRUE(record.InitFromSourceFileRecord(good.data(), good.size(), 3));
    EXPECT_FALSE(record.InitFromSourceFileRecord(torn.data(), torn.size(), 3)) << "torn second sector";
}

} // namespace
