// Incremental writes: blocks that did not change refer to the stored data of the
// version before; changed ones are cut along the change mask.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSet.h"

namespace {

struct Previous {
    ScratchFolder dir;
    std::wstring path = dir.WPath("inc.rvd");
    std::vector<unsigned char> a = PatternBytes(100 * 4096, 1), b = PatternBytes(100 * 4096, 2),
                               c = PatternBytes(100 * 4096, 3);
    Previous()
    {
        CofranPtr w;
        EXPECT_EQ(0u, StartSet(w.p, path));
        const _KS_VOLUME v = NtfsVolume(8, 100000);
        EXPECT_EQ(0u, w->WriteVolumeInfo(&v, 256));
        EXPECT_EQ(0u, w->WriteData(0, a.data(), 100, 0));
        EXPECT_EQ(0u, w->WriteData(100, b.data(), 100, 0));
        EXPECT_EQ(0u, w->WriteData(200, c.data(), 100, 0));
        EXPECT_EQ(0u, w->EndBackup(0));
    }
};

std::vector<_KS_BLOCK> BlocksOf(const InspectedFile& f)
{
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    _KS_RIND_ENTRY e;
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 48, e);
    const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(e)), 0x8000, e.Stored);
    std::vector<_KS_BLOCK> blocks;
    for (uint32_t at = 16; at < LoadLE32(chunk.data() + 8); at += 24) {
        _KS_BLOCK b;
        KSBlockFromBytes(chunk.data() + at, b);
        blocks.push_back(b);
    }
    return blocks;
}

TEST(WriterIncremental, UnchangedBlocksAreReferredToAndChangedOnesCutByTheMask)
{
    Previous p;
    const std::vector<_KS_BLOCK> old = BlocksOf(Inspect(p.path));
    ASSERT_EQ(3u, old.size());

    CofranPtr w;
    ASSERT_EQ(0u, w->OpenCofran(p.path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    wchar_t next[300];
    ASSERT_EQ(0u, w->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, w->BeginBackup(next, 1, nullptr, nullptr, 6, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, w->GetVolumes(&v, 1));
    ASSERT_EQ(0u, w->WriteVolumeInfo(&v, 256));
    ASSERT_EQ(0u, w->OpenVolume(&v));

    _KS_BLOCK b;
    // Unchanged: refers to the stored block.
    ASSERT_EQ(0u, w->GetNextBlockInfo(&b, 0));
    ASSERT_EQ(0u, w->WriteData(0, p.a.data(), 100, 1));
    // Changed: four 32 KiB pieces (32 clusters) changed, then the rest.
    ASSERT_EQ(0u, w->GetNextBlockInfo(&b, 0));
    std::vector<unsigned char> changed = p.b;
    changed[5] ^= 0xFF;
    ASSERT_EQ(0u, w->WriteData(100, changed.data(), 100, 0x0F));
    // Clusters past the remembered block: the block is indexed again as it is.
    ASSERT_EQ(0u, w->GetNextBlockInfo(&b, 0));
    const std::vector<unsigned char> tail = PatternBytes(10 * 4096, 4);
    ASSERT_EQ(0u, w->WriteData(300, tail.data(), 10, 1));
    ASSERT_EQ(0u, w->EndBackup(0));

    const InspectedFile f = Inspect(std::wstring(next));
    const std::vector<_KS_BLOCK> blocks = BlocksOf(f);
    ASSERT_EQ(5u, blocks.size());
    EXPECT_EQ(0u, blocks[0].FirstCluster);
    EXPECT_EQ(100u, KSBlockClusters(blocks[0]));
    EXPECT_EQ(old[0].Offset, blocks[0].Offset) << "the unchanged block's data is not written again";
    EXPECT_EQ(old[0].CountSize, blocks[0].CountSize);
    EXPECT_EQ(100u, blocks[1].FirstCluster);
    EXPECT_EQ(32u, KSBlockClusters(blocks[1]));
    EXPECT_EQ(132u, blocks[2].FirstCluster);
    EXPECT_EQ(68u, KSBlockClusters(blocks[2]));
    EXPECT_GE(blocks[1].Offset, f.head.Base);
    EXPECT_EQ(old[2].Offset, blocks[3].Offset);
    EXPECT_EQ(200u, blocks[3].FirstCluster);
    EXPECT_EQ(300u, blocks[4].FirstCluster);
    EXPECT_EQ(10u, KSBlockClusters(blocks[4]));
    // The changed block's data round-trips from the new file.
    const std::vector<unsigned char> data =
        f.Blob(KS_GROUP_DATA, f.FilePos(blocks[1].Offset), 32 * 4096, KSBlockStored(blocks[1]));
    EXPECT_EQ(0, memcmp(changed.data(), data.data(), 32 * 4096));
    _KS_RIND_HEAD h;
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    KSRindHeadFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset), h);
    EXPECT_EQ(48u, h.FirstMaskedEntry);

    // The new version needs the one before it, and reads whole across both files.
    CofranPtr r;
    ASSERT_EQ(0u, r->OpenCofran(next, KS_OPEN_RANDOM, nullptr, 0));
    _KS_IMG_FILE_INFO info;
    ASSERT_EQ(0u, r->GetCofranInfo(&info));
    EXPECT_EQ(2u, info.NeededFiles);
    _KS_VERSION versions[2];
    ASSERT_EQ(0u, r->GetBackupVer(versions, 2));
    EXPECT_EQ(0u, versions[0].Flags & KS_FLAG_CHAIN);
    EXPECT_EQ(KS_VERSION_NEEDS_OLDER_1, versions[1].Flags & KS_FLAG_CHAIN);
    ASSERT_EQ(0u, r->GetVolumes(&vol, 1));
    ASSERT_EQ(0u, r->OpenVolume(&vol));
    std::vector<unsigned char> all(310 * 4096);
    for (uint32_t at = 0; at < 310;) {
        unsigned long got = 0;
        ASSERT_EQ(0u, r->ReadData(at, all.data() + at * 4096, 310 - at, &got)) << at;
        at += got;
    }
    EXPECT_EQ(0, memcmp(p.a.data(), all.data(), 100 * 4096));
    EXPECT_EQ(0, memcmp(changed.data(), all.data() + 100 * 4096, 100 * 4096));
    EXPECT_EQ(0, memcmp(p.c.data(), all.data() + 200 * 4096, 100 * 4096));
    EXPECT_EQ(0, memcmp(tail.data(), all.data() + 300 * 4096, 10 * 4096));
}

TEST(WriterIncremental, AnyMaskEndsAndCoversTheWholeRun)
{
    struct Case {
        uint64_t mask;
        size_t blocks;
    } cases[] = {
        {0x5555555555555555ull, 13},  // 1 piece = 8 clusters a block: 12 of 8, then the last 4
        {~0ull, 1},                   // one run of 64 pieces covers the whole block
        {0x8000000000000000ull, 1},   // 63 pieces first
    };
    for (const Case& k : cases) {
        Previous p;
        CofranPtr w;
        ASSERT_EQ(0u, w->OpenCofran(p.path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
        wchar_t next[300];
        ASSERT_EQ(0u, w->GetAvailableCofranName(next, 300));
        ASSERT_EQ(0u, w->BeginBackup(next, 1, nullptr, nullptr, 1, 0));
        _KS_VOLUME v;
        ASSERT_EQ(0u, w->GetVolumes(&v, 1));
        ASSERT_EQ(0u, w->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, w->OpenVolume(&v));
        _KS_BLOCK b;
        ASSERT_EQ(0u, w->GetNextBlockInfo(&b, 0));
        const std::vector<unsigned char> changed = PatternBytes(100 * 4096, 9);
        ASSERT_EQ(0u, w->WriteData(0, changed.data(), 100, k.mask)) << std::hex << k.mask;
        ASSERT_EQ(0u, w->EndBackup(0));
        const std::vector<_KS_BLOCK> blocks = BlocksOf(Inspect(std::wstring(next)));
        EXPECT_EQ(k.blocks, blocks.size()) << std::hex << k.mask;
        uint32_t covered = 0;
        for (const _KS_BLOCK& blk : blocks) {
            EXPECT_EQ(covered, blk.FirstCluster);
            covered += KSBlockClusters(blk);
        }
        EXPECT_EQ(100u, covered);
    }
}

TEST(WriterIncremental, ClustersInsideTheRememberedBlockAreRefused)
{
    Previous p;
    CofranPtr w;
    ASSERT_EQ(0u, w->OpenCofran(p.path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    wchar_t next[300];
    ASSERT_EQ(0u, w->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, w->BeginBackup(next, 1, nullptr, nullptr, 1, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, w->GetVolumes(&v, 1));
    ASSERT_EQ(0u, w->WriteVolumeInfo(&v, 256));
    ASSERT_EQ(0u, w->OpenVolume(&v));
    _KS_BLOCK b;
    ASSERT_EQ(0u, w->GetNextBlockInfo(&b, 0));
    EXPECT_EQ(0x009u, Kind(w->WriteData(50, p.a.data(), 10, 1))) << "starts inside the block";
    EXPECT_EQ(0x009u, Kind(w->WriteData(0, p.a.data(), 10, 1))) << "fewer clusters than the block";
}

} // namespace
