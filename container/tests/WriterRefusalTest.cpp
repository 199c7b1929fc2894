// Arguments and states that the writer refuses, and the writer's fixed faults.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSet.h"

namespace {

TEST(WriterRefusal, BeginBackupChecksItsArgumentsAndState)
{
    ScratchFolder dir;
    CofranPtr c;
    const std::wstring path = dir.WPath("r.rvd");
    EXPECT_EQ(0x005u, Kind(c->BeginBackup(path.c_str(), 0, nullptr, nullptr, 6, 0))) << "not open";
    ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    unsigned char fltr[16] = {'F', 'L', 'T', 'R', 16};
    unsigned char shortFilters[8] = {1, 0, 0, 0, 4};
    struct Case {
        const wchar_t* path;
        unsigned long mode;
        const void* filters;
        unsigned long level, split, kind;
    } cases[] = {
        {nullptr, 0, nullptr, 6, 0, 0x009},
        {path.c_str(), 0, nullptr, 10, 0, 0x009},
        {path.c_str(), 0, nullptr, 6, 49, 0x009},
        {path.c_str(), 0, nullptr, 6, 1, 0x009},
        {path.c_str(), 0, fltr, 6, 0, 0x009},
        {path.c_str(), 0, shortFilters, 6, 0, 0x009},
        {path.c_str(), 3, nullptr, 6, 0, 0x009},
    };
    for (const Case& k : cases)
        EXPECT_EQ(k.kind, Kind(c->BeginBackup(k.path, k.mode, static_cast<const _KS_FILTERS_HEAD*>(k.filters),
                                              nullptr, k.level, k.split)))
            << k.level << " " << k.split << " " << k.mode;
    ASSERT_EQ(0u, c->BeginBackup(path.c_str(), 0, nullptr, nullptr, 9, 50));
    EXPECT_EQ(0x005u, Kind(c->BeginBackup(path.c_str(), 0, nullptr, nullptr, 6, 0))) << "a file is being written";
    ASSERT_EQ(0u, c->EndBackup(0));
    EXPECT_EQ(0x005u, Kind(c->EndBackup(0)));
    const InspectedFile f = Inspect(dir.Path() + "r.rvd");
    EXPECT_TRUE(f.tailSumOk);
    EXPECT_EQ(0u, f.head.FileNumber) << "the refusals changed nothing";
}

TEST(WriterRefusal, VolumeSectorAndDataArguments)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(dir.WPath("v.rvd").c_str(), KS_OPEN_BACKUP, nullptr, 0));
    const _KS_VOLUME good = FatVolume();
    EXPECT_EQ(0x005u, Kind(c->WriteVolumeInfo(&good, 256))) << "no file is being written";
    ASSERT_EQ(0u, c->BeginBackup(dir.WPath("v.rvd").c_str(), 0, nullptr, nullptr, 6, 0));
    const std::vector<unsigned char> sectors(64 * 512, 7);
    EXPECT_EQ(0x005u, Kind(c->WriteSector(0, sectors.data(), 4, 0))) << "no volume yet";
    EXPECT_EQ(0x005u, Kind(c->WriteData(0, sectors.data(), 1, 0))) << "no volume yet";

    auto with = [&](void (*change)(_KS_VOLUME&)) {
        _KS_VOLUME v = good;
        change(v);
        return v;
    };
    const _KS_VOLUME badVolumes[] = {
        with([](_KS_VOLUME& v) { v.Magic = 0; }),
        with([](_KS_VOLUME& v) { v.BytesPerSector = 0; }),
        with([](_KS_VOLUME& v) { v.BytesPerSector = 520; }),
        with([](_KS_VOLUME& v) { v.SectorsPerCluster = 0; }),
    };
    for (const _KS_VOLUME& v : badVolumes)
        EXPECT_EQ(0x009u, Kind(c->WriteVolumeInfo(&v, 256)));
    EXPECT_EQ(0x009u, Kind(c->WriteVolumeInfo(&good, 255)));
    EXPECT_EQ(0x009u, Kind(c->WriteVolumeInfo(nullptr, 256)));
    ASSERT_EQ(0u, c->WriteVolumeInfo(&good, 256));

    // Reserved 4, two FATs of 8 from sector 4, root directory of 32 from 20.
    struct SectorCase {
        int first;
        unsigned long count, reserved, kind;
    } sectorCases[] = {
        {0, 4, 1, 0x009},            // reserved word not 0
        {0, 0x3FFFFFFF, 0, 0x009},   // count too large
        {0, 0, 0, 0x009},
        {-62, 62, 0, 0x009},         // not all 63 pre-volume sectors
        {-63, 62, 0, 0x009},
        {0, 5, 0, 0x009},            // past the reserved sectors
        {10, 12, 0, 0x009},          // from inside the FATs past their end
        {20, 31, 0, 0x009},          // root directory not whole
        {52, 1, 0, 0x009},           // after the root directory
        {0, 4, 0, 0x000},
        {12, 8, 0, 0x000},           // the second FAT
        {20, 32, 0, 0x000},
        {-63, 63, 0, 0x000},
    };
    for (const SectorCase& k : sectorCases)
        EXPECT_EQ(k.kind, Kind(c->WriteSector(k.first, sectors.data(), k.count, k.reserved)))
            << k.first << " " << k.count;
    EXPECT_EQ(0x009u, Kind(c->WriteSector(0, nullptr, 4, 0)));
    EXPECT_EQ(0x009u, Kind(c->WriteData(0, nullptr, 1, 0)));
    ASSERT_EQ(0u, c->EndBackup(0));
    EXPECT_TRUE(Inspect(dir.Path() + "v.rvd").tailSumOk);
}

TEST(WriterRefusal, ClusterSizesThatDoNotDivideTheChunkAreBadData)
{
    struct Case {
        uint16_t sectorsPerCluster;
        unsigned long kind;
    } cases[] = {{96, 0x00C}, {3, 0x00C}, {64, 0x000}, {128, 0x000}, {1, 0x000}};
    for (const Case& k : cases) {
        ScratchFolder dir;
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("c.rvd")));
        const _KS_VOLUME v = NtfsVolume(k.sectorsPerCluster);
        ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        const std::vector<unsigned char> data(512u * k.sectorsPerCluster, 1);
        EXPECT_EQ(k.kind, Kind(c->WriteData(0, data.data(), 1, 0))) << k.sectorsPerCluster;
    }
}

// The first cluster run after the pre-volume sectors starts its own run entry.
TEST(WriterRefusal, DataAfterPreVolumeSectorsGetsAFreshRunEntry)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("p.rvd")));
    _KS_VOLUME v = NtfsVolume(8);
    v.PreVolumeSectors = 63;
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> pre(63 * 512, 3), data(5 * 4096, 4);
    ASSERT_EQ(0u, c->WriteSector(-63, pre.data(), 63, 0));
    ASSERT_EQ(0u, c->WriteData(100, data.data(), 5, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    const InspectedFile f = Inspect(dir.Path() + "p.rvd");
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    ASSERT_EQ(48u + 28, vol.RunIndexRawSize);
    _KS_RIND_ENTRY e;
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 48, e);
    EXPECT_EQ(100u, e.First);
    EXPECT_EQ(5u, e.Length);
}

// A volume with nothing but its pre-volume sectors still gets a run index.
TEST(WriterRefusal, PreVolumeSectorsAloneAreStillIndexed)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("q.rvd")));
    const _KS_VOLUME v = FatVolume();
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> pre = RandomBytes(63 * 512, 5);
    ASSERT_EQ(0u, c->WriteSector(-63, pre.data(), 63, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    const InspectedFile f = Inspect(dir.Path() + "q.rvd");
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    ASSERT_EQ(48u, vol.RunIndexRawSize);
    _KS_RIND_HEAD h;
    KSRindHeadFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset), h);
    EXPECT_EQ(63u, h.PreSectors);
    EXPECT_EQ(pre, f.Blob(KS_GROUP_DATA, f.FilePos(h.PreOffset), 63 * 512, h.PreStored));
}

} // namespace
