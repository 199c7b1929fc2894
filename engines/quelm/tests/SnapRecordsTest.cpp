// The records the client and the driver exchange: every field at its byte, little-
// endian, the ring's fields at their odd offsets, and unlinking entries from the ring
// in every position.
#include <gtest/gtest.h>

#include <vector>

#include "KSSnapChangeRing.h"
#include "KSSnapRecords.h"

namespace {

TEST(SnapRecords, CreateRecordFieldsLieAtTheirBytes)
{
    SNAP_CREATE_RECORD record;
    record.VolumeId = 0x11223344;
    record.FirstSector = 0x0102030405060708ull;
    record.SectorCount = 0x1112131415161718ull;
    record.Semaphore = -4; // handles travel sign-extended
    record.Mutex = 0x2122232425262728;
    record.RingAddress = 0x3132333435363738;
    record.RingSize = 0x2000000;
    record.SectorsPerBit = 64;
    record.VolumePath[0] = u'\\';
    record.VolumePath[4] = u'C';
    record.SnapshotId = 0x4142434445464748ull;
    record.SectorSize = 512;
    std::vector<unsigned char> bytes(SNAP_CREATE_RECORD_BYTES, 0xEE);
    StoreSnapCreateRecord(bytes.data(), record);
    const struct {
        size_t offset;
        uint64_t value;
        int width;
    } fields[] = {
        {0, 0x11223344, 4},           {4, 0x0102030405060708ull, 8}, {12, 0x1112131415161718ull, 8},
        {20, ~uint64_t{3}, 8},        {28, 0x2122232425262728, 8},   {36, 0x3132333435363738, 8},
        {44, 0x2000000, 4},           {48, 64, 4},                   {52, u'\\', 2},
        {60, u'C', 2},                {62, 0, 2},                    {2100, 0x4142434445464748ull, 8},
        {2108, 512, 4},
    };
    for (const auto& f : fields) {
        const uint64_t stored = f.width == 2 ? LoadLE16(&bytes[f.offset])
                                : f.width == 4 ? LoadLE32(&bytes[f.offset])
                                               : LoadLE64(&bytes[f.offset]);
        EXPECT_EQ(f.value, stored) << "offset " << f.offset;
    }
    const SNAP_CREATE_RECORD back = LoadSnapCreateRecord(bytes.data());
    EXPECT_EQ(record.Semaphore, back.Semaphore);
    EXPECT_EQ(record.SnapshotId, back.SnapshotId);
    EXPECT_EQ(u'C', back.VolumePath[4]);
}

TEST(SnapRecords, SmallRecordsLieAtTheirBytes)
{
    unsigned char read[SNAP_READ_RECORD_BYTES] = {};
    SNAP_READ_RECORD r;
    r.SnapshotId = 7;
    r.FirstSector = 0x123456789ull;
    r.SectorCount = 128;
    r.VolumeId = 0x5600;
    r.OutValue = 9;
    r.OutFlag = 1;
    r.Flag = 2;
    StoreSnapReadRecord(read, r);
    EXPECT_EQ(0x123456789ull, LoadLE64(read + 8));
    EXPECT_EQ(128u, LoadLE32(read + 16));
    EXPECT_EQ(0x5600u, LoadLE32(read + 20));
    EXPECT_EQ(9u, LoadLE32(read + 24));
    EXPECT_EQ(1, read[28]);
    EXPECT_EQ(2, read[29]);

    unsigned char bitmap[SNAP_BITMAP_RECORD_BYTES] = {};
    SNAP_BITMAP_RECORD b;
    b.SnapshotId = 3;
    b.ExchangeAddress = 0x7000;
    b.ExchangeSize = 0x200000;
    b.BitmapAddress = 0x8000;
    b.BitmapFirstSector = 100;
    b.BitmapBits = 2000;
    b.SectorsPerBit = 8;
    StoreSnapBitmapRecord(bitmap, b);
    EXPECT_EQ(0x7000u, LoadLE64(bitmap + 8));
    EXPECT_EQ(0x200000u, LoadLE32(bitmap + 16));
    EXPECT_EQ(0x8000u, LoadLE64(bitmap + 20));
    EXPECT_EQ(100u, LoadLE32(bitmap + 28));
    EXPECT_EQ(2000u, LoadLE32(bitmap + 32));
    EXPECT_EQ(8u, LoadLE32(bitmap + 36));

    unsigned char head[SNAP_SECTOR_HEAD_BYTES] = {};
    StoreSnapSectorHead(head, {0x5601, 44, 0x100000000ull});
    EXPECT_EQ(0x5601u, LoadLE32(head));
    EXPECT_EQ(44u, LoadLE32(head + 4));
    EXPECT_EQ(0x100000000ull, LoadLE64(head + 8));
}

// A ring of three entries at 32, 100 and 200, linked oldest to newest.
std::vector<unsigned char> ThreeEntryRing()
{
    std::vector<unsigned char> ring(400, 0);
    SnapRingHead head;
    head.FirstEntry = 32;
    head.Head = 32;
    head.Tail = 200;
    head.Count = 3;
    head.BytesInUse = 60 + 70 + 80;
    StoreSnapRingHead(ring.data(), head);
    const uint32_t offsets[] = {32, 100, 200};
    const uint32_t sizes[] = {60, 70, 80};
    for (int i = 0; i < 3; ++i) {
        SnapRingEntry e;
        e.FirstSector = 10u * i;
        e.SectorCount = 1;
        e.Size = sizes[i];
        e.DataOffset = 48;
        e.Previous = i > 0 ? offsets[i - 1] : 0;
        e.Next = i < 2 ? offsets[i + 1] : 0;
        StoreSnapRingEntry(ring.data() + offsets[i], e);
    }
    return ring;
}

TEST(SnapChangeRing, FieldsSitAtOddOffsetsAndUnlinkKeepsTheChain)
{
    std::vector<unsigned char> ring = ThreeEntryRing();
    EXPECT_EQ(32u, LoadLE32(&ring[1]));
    EXPECT_EQ(32u, LoadLE32(&ring[9]));
    EXPECT_EQ(200u, LoadLE32(&ring[13]));
    EXPECT_EQ(3u, LoadLE32(&ring[17]));
    EXPECT_EQ(210u, LoadLE32(&ring[21]));

    const struct {
        uint32_t unlinked;
        uint32_t head, tail, bytes;
        uint32_t linkFrom, linkField, linkTo; // the neighbour's field after unlinking
    } cases[] = {
        {32, 100, 200, 150, 100, SNAP_ENTRY_PREVIOUS, 0},  // the oldest
        {100, 32, 200, 140, 32, SNAP_ENTRY_NEXT, 200},     // the middle one
        {200, 32, 100, 130, 100, SNAP_ENTRY_NEXT, 0},      // the newest
    };
    for (const auto& c : cases) {
        ring = ThreeEntryRing();
        UnlinkSnapRingEntry(ring.data(), c.unlinked);
        const SnapRingHead head = LoadSnapRingHead(ring.data());
        EXPECT_EQ(2u, head.Count) << c.unlinked;
        EXPECT_EQ(c.head, head.Head) << c.unlinked;
        EXPECT_EQ(c.tail, head.Tail) << c.unlinked;
        EXPECT_EQ(c.bytes, head.BytesInUse) << c.unlinked;
        EXPECT_EQ(c.linkTo, LoadLE32(&ring[c.linkFrom + c.linkField])) << c.unlinked;
    }
    // The last entry out empties the ring back to its first-entry place.
    ring = ThreeEntryRing();
    for (uint32_t offset : {32u, 100u, 200u})
        UnlinkSnapRingEntry(ring.data(), offset);
    const SnapRingHead empty = LoadSnapRingHead(ring.data());
    EXPECT_EQ(0u, empty.Count);
    EXPECT_EQ(32u, empty.Head);
    EXPECT_EQ(32u, empty.Tail);
    EXPECT_EQ(0u, empty.BytesInUse);
}

} // namespace
