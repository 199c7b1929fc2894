#include "KSVolume.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(VolumeRecord, CodecPutsEveryFieldAtItsOffset)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.VolumeNumber = 2;
    v.SectorsPerCluster = 8;
    v.FileSystem = KS_FS_NTFS;
    v.BytesPerSector = 512;
    v.PreVolumeSectors = 63;
    v.TotalSectors = 0x123456789ull;
    v.Label[0] = u'D';
    v.RunIndexOffset = 0xAABBCCDDEEull;
    v.SectorsPerTrack = 63;
    unsigned char bytes[KS_VOLUME_SIZE];
    KSVolumeToBytes(v, bytes);
    EXPECT_EQ(0, memcmp(bytes, "VOLM", 4));
    EXPECT_EQ(LoadLE32(bytes + 4), 256u);
    EXPECT_EQ(LoadLE16(bytes + 8), 2);
    EXPECT_EQ(LoadLE16(bytes + 10), 8);
    EXPECT_EQ(bytes[18], 4);
    EXPECT_EQ(LoadLE32(bytes + 24), 512u);
    EXPECT_EQ(LoadLE16(bytes + 28), 63);
    EXPECT_EQ(LoadLE64(bytes + 48), 0x123456789ull);
    EXPECT_EQ(LoadLE16(bytes + 64), u'D');
    EXPECT_EQ(LoadLE64(bytes + 192), 0xAABBCCDDEEull);
    EXPECT_EQ(LoadLE32(bytes + 244), 63u);

    _KS_VOLUME back;
    KSVolumeFromBytes(bytes, back);
    EXPECT_EQ(0, memcmp(&back, &v, sizeof v));
}

#include "layout/PartitionSlot.h"

// The slot a layout gives a backed-up partition is the same whether the set counted
// hidden sectors from the table record (a primary's from sector 0) or, as sets written
// earlier did, from the slot.
TEST(PartitionSlot, TheSameSlotFromEitherCountOfHiddenSectors)
{
    const struct {
        const char* what;
        bool primary;
        uint64_t start, total, hidden, slotFirst;
    } cases[] = {
        {"primary in the first track", true, 63, 1000, 63, 0},
        {"primary at 1 MiB", true, 2048, 1000, 2048, 2048},
        {"primary after another", true, 385560, 1000, 385560, 385560},
        {"logical a track after its record", false, 465948, 1000, 63, 465885},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.slotFirst, PartitionSlotFirst(c.primary, c.start, c.hidden, 63));
        _KS_VOLUME now{}, before{};
        for (_KS_VOLUME* v : {&now, &before}) {
            v->Flags = c.primary ? KS_VOLFLAG_PRIMARY : 0;
            v->PartitionStart = c.start;
            v->SectorsPerTrack = 63;
        }
        now.StartLessHidden = c.start - c.hidden;
        now.HiddenPlusTotal = c.hidden + c.total;
        before.StartLessHidden = c.slotFirst;
        before.HiddenPlusTotal = c.start - c.slotFirst + c.total;
        for (const _KS_VOLUME* v : {&now, &before}) {
            EXPECT_EQ(c.slotFirst, VolumeSlotFirst(*v));
            EXPECT_EQ(c.start + c.total - c.slotFirst, VolumeSlotLength(*v));
        }
    }
}
