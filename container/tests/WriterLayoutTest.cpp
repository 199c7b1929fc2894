// What the writer puts on disk, byte for byte, read back by the independent
// decoder in TestSet.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestSet.h"

namespace {

struct WrittenSet {
    std::vector<unsigned char> filters, pre, reserved, fats, root, pattern, random;
};

// One file, one FAT volume: pre-volume sectors, the three system-area runs, a
// compressible run that spans two blocks and an incompressible one.
WrittenSet WriteFatSet(IKSCofran* c, const std::wstring& path, unsigned long level)
{
    WrittenSet w;
    w.filters.resize(40);
    StoreLE32(w.filters.data(), 0x1234);
    StoreLE32(w.filters.data() + 4, 40);
    for (size_t i = 8; i < 40; ++i)
        w.filters[i] = static_cast<unsigned char>(i);
    w.pre = RandomBytes(63 * 512, 1);
    w.reserved = PatternBytes(4 * 512, 2);
    w.fats = PatternBytes(16 * 512, 3);
    w.root = PatternBytes(32 * 512, 4);
    w.pattern = PatternBytes(600 * 4096, 5);
    w.random = RandomBytes(10 * 4096, 6);

    EXPECT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    EXPECT_EQ(0u, c->BeginBackup(path.c_str(), 0, reinterpret_cast<const _KS_FILTERS_HEAD*>(w.filters.data()),
                                 L"first backup", level, 0));
    const _KS_VOLUME volume = FatVolume();
    EXPECT_EQ(0u, c->WriteVolumeInfo(&volume, sizeof volume));
    EXPECT_EQ(0u, c->WriteSector(-63, w.pre.data(), 63, 0));
    EXPECT_EQ(0u, c->WriteSector(0, w.reserved.data(), 4, 0));
    EXPECT_EQ(0u, c->WriteSector(4, w.fats.data(), 16, 0));
    EXPECT_EQ(0u, c->WriteSector(20, w.root.data(), 32, 0));
    EXPECT_EQ(0u, c->WriteData(0, w.pattern.data(), 600, 0));
    EXPECT_EQ(0u, c->WriteData(1000, w.random.data(), 10, 0));
    EXPECT_EQ(0u, c->EndBackup(0));
    return w;
}

TEST(WriterLayout, OneFileSetMatchesTheFormatByteForByte)
{
    ScratchFolder dir;
    CofranPtr c;
    const WrittenSet w = WriteFatSet(c.p, dir.WPath("set.rvd"), 6);
    const InspectedFile f = Inspect(dir.Path() + "set.rvd");

    // Head.
    ASSERT_TRUE(f.headSumOk);
    EXPECT_EQ(0, memcmp(f.bytes.data(), "IMGF", 4));
    EXPECT_EQ(1256u, f.head.HeadSize);
    EXPECT_EQ(0x00010001u, f.head.Version);
    EXPECT_EQ(0x0Fu, f.head.Flags);
    EXPECT_EQ(6, f.head.Level);
    EXPECT_EQ(0, f.head.CipherMode);
    EXPECT_EQ(0u, f.head.VersionIndex);
    EXPECT_EQ(0u, f.head.FileNumber);
    EXPECT_EQ(0u, f.head.Base);
    EXPECT_EQ(0u, f.head.NameNumber);
    EXPECT_GE(f.head.Time.Year, 2020);
    EXPECT_EQ(u's', f.head.BaseName[0]);
    EXPECT_EQ(u't', f.head.BaseName[2]);
    EXPECT_EQ(0, f.head.BaseName[3]);
    EXPECT_EQ(0, f.head.PrevPath[0]);

    // Tail.
    ASSERT_TRUE(f.hasTail);
    ASSERT_TRUE(f.tailSumOk);
    const _KS_IMG_TAIL& t = f.tail;
    EXPECT_EQ(192u, t.TailSize);
    EXPECT_EQ(0x00010001u, t.Version);
    EXPECT_EQ(-1, t.EndState);
    EXPECT_EQ(0x0Fu, t.Flags);
    EXPECT_EQ(0u, t.Base);
    EXPECT_EQ(1256u, t.FiltersPos);
    EXPECT_EQ(40u, t.FiltersRaw);
    EXPECT_EQ(t.FiltersPos + t.FiltersStored, t.CommentPos);
    EXPECT_EQ(26u, t.CommentRaw); // 12 characters and the NUL, UTF-16
    EXPECT_EQ(t.CommentPos + t.CommentStored, t.LabelListPos);
    EXPECT_EQ(0u, t.LabelListRaw);
    EXPECT_EQ(0u, t.LabelCount);
    EXPECT_EQ(t.LabelListPos + t.LabelListStored, t.VersionListPos);
    EXPECT_EQ(32u, t.VersionListRaw);
    EXPECT_EQ(t.VersionListPos + t.VersionListStored, t.NameListPos);
    EXPECT_EQ(16u, t.NameListRaw);
    EXPECT_EQ(t.NameListPos + t.NameListStored, t.DataStart);
    EXPECT_EQ(t.DataStart + t.DataLength, KSTailVolumeListPos(t));
    EXPECT_EQ(256u, t.VolumeListRaw);
    EXPECT_EQ(KSTailVolumeListPos(t) + t.VolumeListStored + 192, f.bytes.size());

    // Directory blobs.
    EXPECT_EQ(w.filters, f.Blob(KS_GROUP_FILTERS, t.FiltersPos, t.FiltersRaw, t.FiltersStored));
    const std::vector<unsigned char> comment = f.Blob(KS_GROUP_FILTERS, t.CommentPos, t.CommentRaw, t.CommentStored);
    ASSERT_EQ(26u, comment.size());
    EXPECT_EQ(u'f', LoadLE16(comment.data()));
    EXPECT_EQ(u'p', LoadLE16(comment.data() + 22));
    EXPECT_EQ(0, LoadLE16(comment.data() + 24));
    const std::vector<unsigned char> versions =
        f.Blob(KS_GROUP_DIR, t.VersionListPos, t.VersionListRaw, t.VersionListStored);
    ASSERT_EQ(32u, versions.size());
    _KS_VERSION v;
    KSVersionFromBytes(versions.data(), v);
    EXPECT_EQ(0u, v.Index);
    EXPECT_EQ(0u, v.FirstFile);
    EXPECT_EQ(1u, v.FileCount);
    EXPECT_EQ(0x0Fu, v.Flags);
    EXPECT_EQ(0xFFFFFFFFu, v.LabelIndex);
    EXPECT_EQ(0u, v.DiscCount);
    EXPECT_EQ(0, memcmp(f.bytes.data() + 48, versions.data() + 24, 8)); // time stamp copied from the head
    const std::vector<unsigned char> names = f.Blob(KS_GROUP_DIR, t.NameListPos, t.NameListRaw, t.NameListStored);
    ASSERT_EQ(16u, names.size());
    EXPECT_EQ(std::vector<unsigned char>(16, 0), names);

    // Volume list.
    const std::vector<unsigned char> vols = f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(t), t.VolumeListRaw, t.VolumeListStored);
    ASSERT_EQ(256u, vols.size());
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    const _KS_VOLUME given = FatVolume();
    EXPECT_EQ(0, memcmp(&vol, &given, 192)); // carried unchanged up to the run-index fields
    EXPECT_EQ(0u, vol.VolumeNumber);
    EXPECT_EQ(48u + 4 * 28, vol.RunIndexRawSize);
    EXPECT_EQ(vol.RunIndexRawSize, vol.RunIndexStoredSize);

    // Run index: never compressed or encrypted.
    const unsigned char* ri = f.bytes.data() + f.FilePos(vol.RunIndexOffset);
    _KS_RIND_HEAD rh;
    KSRindHeadFromBytes(ri, rh);
    EXPECT_EQ(0x444E4952u, rh.Magic);
    EXPECT_EQ(48u, rh.HeadSize);
    EXPECT_EQ(0, rh.VolumeNumber);
    EXPECT_EQ(32, rh.ChunkKiB);
    EXPECT_EQ(63u, rh.PreSectors);
    EXPECT_EQ(0u, rh.FirstMaskedEntry);
    EXPECT_EQ(TestCrc64(w.pre.data(), w.pre.size()), rh.PreCrc);
    EXPECT_EQ(w.pre, f.Blob(KS_GROUP_DATA, f.FilePos(rh.PreOffset), 63 * 512, rh.PreStored));
    EXPECT_EQ(63u * 512, rh.PreStored) << "random sectors do not compress and are stored raw";

    struct DirectRun {
        uint32_t first, count;
        const std::vector<unsigned char>* data;
    } runs[] = {{0, 4, &w.reserved}, {4, 16, &w.fats}, {20, 32, &w.root}};
    for (int i = 0; i < 3; ++i) {
        _KS_RIND_ENTRY e;
        KSRindEntryFromBytes(ri + 48 + 28 * i, e);
        EXPECT_EQ(runs[i].first, e.First);
        EXPECT_EQ(runs[i].count | 0x40000000u, e.Length);
        EXPECT_EQ(TestCrc64(runs[i].data->data(), runs[i].data->size()), KSRindEntryCrc(e));
        EXPECT_LT(e.Stored, runs[i].data->size()) << "patterned sectors compress";
        EXPECT_EQ(*runs[i].data, f.Blob(KS_GROUP_DATA, f.FilePos(KSRindEntryOffset(e)), runs[i].count * 512, e.Stored));
    }

    // The one index chunk and its blocks.
    _KS_RIND_ENTRY ce;
    KSRindEntryFromBytes(ri + 48 + 28 * 3, ce);
    EXPECT_EQ(0u, ce.First);
    EXPECT_EQ(1010u, ce.Length);
    const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(ce)), 0x8000, ce.Stored);
    ASSERT_EQ(0x8000u, chunk.size());
    EXPECT_EQ(TestCrc64(chunk.data(), chunk.size()), KSRindEntryCrc(ce));
    _KS_INDX_HEAD ih;
    KSIndxHeadFromBytes(chunk.data(), ih);
    EXPECT_EQ(0x58444E49u, ih.Magic);
    EXPECT_EQ(16u, ih.FirstEntry);
    EXPECT_EQ(16u + 3 * 24, ih.Used);
    EXPECT_TRUE(std::all_of(chunk.begin() + ih.Used, chunk.end(), [](unsigned char b) { return b == 0; }));

    struct Expected {
        uint32_t first, count;
        const unsigned char* data;
        bool compressible;
    } blocks[] = {{0, 511, w.pattern.data(), true},
                  {511, 89, w.pattern.data() + 511 * 4096, true},
                  {1000, 10, w.random.data(), false}};
    for (int i = 0; i < 3; ++i) {
        _KS_BLOCK b;
        KSBlockFromBytes(chunk.data() + 16 + 24 * i, b);
        EXPECT_EQ(blocks[i].first, b.FirstCluster);
        EXPECT_EQ(blocks[i].count, KSBlockClusters(b));
        const uint32_t raw = blocks[i].count * 4096;
        EXPECT_EQ(TestCrc64(blocks[i].data, raw), b.Crc);
        if (blocks[i].compressible) {
            EXPECT_LT(KSBlockStored(b), raw);
        } else {
            EXPECT_EQ(raw, KSBlockStored(b));
        }
        const std::vector<unsigned char> data = f.Blob(KS_GROUP_DATA, f.FilePos(b.Offset), raw, KSBlockStored(b));
        ASSERT_EQ(raw, data.size());
        EXPECT_EQ(0, memcmp(blocks[i].data, data.data(), raw));
    }
}

TEST(WriterLayout, LevelZeroStoresEverythingRawWithTheCompressBitsClear)
{
    ScratchFolder dir;
    CofranPtr c;
    WriteFatSet(c.p, dir.WPath("plain.rvd"), 0);
    const InspectedFile f = Inspect(dir.Path() + "plain.rvd");
    ASSERT_TRUE(f.headSumOk && f.tailSumOk);
    EXPECT_EQ(0u, f.head.Flags);
    EXPECT_EQ(0, f.head.Level);
    EXPECT_EQ(f.tail.VersionListRaw, f.tail.VersionListStored);
    EXPECT_EQ(f.tail.CommentRaw, f.tail.CommentStored);
    EXPECT_EQ(f.tail.VolumeListRaw, f.tail.VolumeListStored);
}

TEST(WriterLayout, TwoVolumesGetTheirRunIndexesAtTheNextVolumeAndAtTheEnd)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("two.rvd")));
    const std::vector<unsigned char> a = PatternBytes(20 * 4096, 7), b = PatternBytes(30 * 65536, 8);
    const _KS_VOLUME first = NtfsVolume(8), second = NtfsVolume(128);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&first, 256));
    ASSERT_EQ(0u, c->WriteData(5, a.data(), 20, 0));
    ASSERT_EQ(0u, c->WriteVolumeInfo(&second, 256));
    // 64 KiB clusters: blocks of at most 31 clusters.
    ASSERT_EQ(0u, c->WriteData(0, b.data(), 30, 0));
    ASSERT_EQ(0u, c->EndBackup(0));

    const InspectedFile f = Inspect(dir.Path() + "two.rvd");
    ASSERT_TRUE(f.tailSumOk);
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    ASSERT_EQ(512u, vols.size());
    _KS_VOLUME v0, v1;
    KSVolumeFromBytes(vols.data(), v0);
    KSVolumeFromBytes(vols.data() + 256, v1);
    EXPECT_EQ(0, v0.VolumeNumber);
    EXPECT_EQ(1, v1.VolumeNumber);
    // The first run index lies before the second volume's data, the second after it.
    EXPECT_LT(v0.RunIndexOffset, v1.RunIndexOffset);
    _KS_RIND_HEAD h0, h1;
    KSRindHeadFromBytes(f.bytes.data() + f.FilePos(v0.RunIndexOffset), h0);
    KSRindHeadFromBytes(f.bytes.data() + f.FilePos(v1.RunIndexOffset), h1);
    EXPECT_EQ(0, h0.VolumeNumber);
    EXPECT_EQ(1, h1.VolumeNumber);
    _KS_RIND_ENTRY e;
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(v0.RunIndexOffset) + 48, e);
    EXPECT_LT(KSRindEntryOffset(e), v1.RunIndexOffset);
    EXPECT_EQ(5u, e.First);
    EXPECT_EQ(20u, e.Length);
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(v1.RunIndexOffset) + 48, e);
    const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(e)), 0x8000, e.Stored);
    ASSERT_EQ(0x8000u, chunk.size());
    _KS_BLOCK blk;
    KSBlockFromBytes(chunk.data() + 16, blk);
    EXPECT_EQ(0u, blk.FirstCluster);
    EXPECT_EQ(30u, KSBlockClusters(blk)) << "30 clusters of 64 KiB stay below the 31-cluster limit";
}

TEST(WriterLayout, BlockLimitFollowsTheClusterSize)
{
    struct Case {
        uint16_t sectorsPerCluster;
        uint32_t clusters;
        std::vector<uint32_t> blocks;
    } cases[] = {
        {8, 1200, {511, 511, 178}},  // 4 KiB clusters: 511 clusters, 2,093,056 bytes raw
        {128, 70, {31, 31, 8}},      // 64 KiB clusters: 0x200000 / 0x10000 = 32, less one
        {1, 600, {511, 89}},         // 512-byte clusters: capped at 512 - 1
    };
    for (const Case& k : cases) {
        ScratchFolder dir;
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("limit.rvd"), 1));
        const _KS_VOLUME v = NtfsVolume(k.sectorsPerCluster);
        const uint32_t cs = 512u * k.sectorsPerCluster;
        const std::vector<unsigned char> data = PatternBytes(size_t(k.clusters) * cs, 9);
        ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, c->WriteData(0, data.data(), k.clusters, 0));
        ASSERT_EQ(0u, c->EndBackup(0));
        const InspectedFile f = Inspect(dir.Path() + "limit.rvd");
        const std::vector<unsigned char> vols =
            f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
        ASSERT_EQ(256u, vols.size());
        _KS_VOLUME vol;
        KSVolumeFromBytes(vols.data(), vol);
        _KS_RIND_ENTRY e;
        KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 48, e);
        const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(e)), 0x8000, e.Stored);
        ASSERT_EQ(0x8000u, chunk.size());
        EXPECT_EQ(16u + 24 * k.blocks.size(), LoadLE32(chunk.data() + 8));
        for (size_t i = 0; i < k.blocks.size(); ++i) {
            _KS_BLOCK b;
            KSBlockFromBytes(chunk.data() + 16 + 24 * i, b);
            EXPECT_EQ(k.blocks[i], KSBlockClusters(b)) << "spc " << k.sectorsPerCluster << " block " << i;
        }
    }
}

TEST(WriterLayout, AFullIndexChunkClosesAfter1364BlocksAndANewRunEntryOpens)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("chunks.rvd"), 1));
    const _KS_VOLUME v = NtfsVolume(1);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> cluster(512, 0xAB);
    // Every other cluster, so that each WriteData makes one block.
    for (uint32_t i = 0; i < 1365; ++i)
        ASSERT_EQ(0u, c->WriteData(2 * i, cluster.data(), 1, 0));
    ASSERT_EQ(0u, c->EndBackup(0));

    const InspectedFile f = Inspect(dir.Path() + "chunks.rvd");
    const std::vector<unsigned char> vols =
        f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    ASSERT_EQ(48u + 2 * 28, vol.RunIndexRawSize);
    _KS_RIND_ENTRY e0, e1;
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 48, e0);
    KSRindEntryFromBytes(f.bytes.data() + f.FilePos(vol.RunIndexOffset) + 76, e1);
    EXPECT_EQ(0u, e0.First);
    EXPECT_EQ(2u * 1363 + 1, e0.Length);
    EXPECT_EQ(2u * 1364, e1.First);
    EXPECT_EQ(1u, e1.Length);
    const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, f.FilePos(KSRindEntryOffset(e0)), 0x8000, e0.Stored);
    EXPECT_EQ(16u + 1364 * 24, LoadLE32(chunk.data() + 8));
}

} // namespace
