// A set split into numbered files at the split size, continued file by file the
// way the backup engine does it.
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

#include "TestSet.h"
#include "crc64.h"

namespace {

// Writes clusters [first, first + count) and, when the file is full, ends it and
// continues the set in the next file, then repeats the refused write.
unsigned long WriteContinuing(IKSCofran* c, unsigned long first, const unsigned char* data, unsigned long count,
                              std::vector<std::wstring>& files)
{
    unsigned long rc = c->WriteData(first, data, count, 0);
    if (Kind(rc) != 0x108 && Kind(rc) != 0x00B)
        return rc;
    if ((rc = c->EndBackup(1)) != 0)
        return rc;
    wchar_t next[300];
    if ((rc = c->GetAvailableCofranName(next, 300)) != 0)
        return rc;
    files.push_back(next);
    if ((rc = c->BeginBackup(next, 0, nullptr, L"split", 0, 50)) != 0)
        return rc;
    return c->WriteData(first, data, count, 0);
}

struct SplitSet {
    ScratchFolder dir;
    std::vector<std::wstring> files;
    std::vector<unsigned char> data = RandomBytes(511 * 4096, 11);
    static constexpr unsigned long kRuns = 55; // about 115 MB: three files of 50 MiB

    SplitSet()
    {
        CofranPtr c;
        files.push_back(dir.WPath("split.rvd"));
        EXPECT_EQ(0u, c->OpenCofran(files[0].c_str(), KS_OPEN_BACKUP, nullptr, 0));
        EXPECT_EQ(0u, c->BeginBackup(files[0].c_str(), 0, nullptr, L"split", 0, 50));
        const _KS_VOLUME v = NtfsVolume(8);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        for (unsigned long i = 0; i < kRuns; ++i) {
            data[0] = static_cast<unsigned char>(i); // every run differs
            EXPECT_EQ(0u, WriteContinuing(c.p, i * 511, data.data(), 511, files));
        }
        EXPECT_EQ(0u, c->EndBackup(0));
    }
};

TEST(WriterSplit, FilesAreNumberedChainedAndNoneGrowsPastTheSplitSize)
{
    SplitSet s;
    ASSERT_EQ(3u, s.files.size());
    EXPECT_EQ(s.dir.WPath("split1.RVD"), s.files[1]);
    EXPECT_EQ(s.dir.WPath("split2.RVD"), s.files[2]);

    uint64_t nextBase = 0;
    for (size_t i = 0; i < 3; ++i) {
        const InspectedFile f = Inspect(s.files[i]);
        ASSERT_TRUE(f.headSumOk && f.hasTail && f.tailSumOk) << i;
        EXPECT_LE(f.bytes.size(), 50u * 1048576) << i;
        EXPECT_EQ(i, f.head.FileNumber);
        EXPECT_EQ(i, f.head.NameNumber);
        EXPECT_EQ(0u, f.head.VersionIndex);
        EXPECT_EQ(nextBase, f.head.Base);
        EXPECT_EQ(f.head.Base, f.tail.Base);
        nextBase = f.tail.Base + f.tail.DataLength;
        const bool last = i == 2;
        EXPECT_EQ(last ? -1 : int32_t(i), f.tail.EndState);
        EXPECT_EQ(last ? 0u : 0x1000u, f.tail.Flags & 0x1000);
        // Each head carries the path of the file before it.
        const std::wstring prev(f.head.PrevPath, f.head.PrevPath + (i == 0 ? 0 : s.files[i - 1].size()));
        EXPECT_EQ(i == 0 ? std::wstring() : s.files[i - 1], prev);
        EXPECT_EQ(0, f.head.PrevPath[i == 0 ? 0 : s.files[i - 1].size()]);
        // Every file describes the set up to itself.
        const std::vector<unsigned char> names =
            f.Blob(KS_GROUP_DIR, f.tail.NameListPos, f.tail.NameListRaw, f.tail.NameListStored);
        ASSERT_EQ(16 * (i + 1), names.size());
        _KS_IMGNAME_NO n;
        KSImgNameNoFromBytes(names.data() + 16 * i, n);
        EXPECT_EQ(i, n.FileNumber);
        EXPECT_EQ(i, n.NameNumber);
        EXPECT_EQ(f.head.Base, n.Base);
        const std::vector<unsigned char> versions =
            f.Blob(KS_GROUP_DIR, f.tail.VersionListPos, f.tail.VersionListRaw, f.tail.VersionListStored);
        ASSERT_EQ(32u, versions.size());
        EXPECT_EQ(i + 1, LoadLE16(versions.data() + 8));
    }
}

TEST(WriterSplit, TheLastRunIndexCoversEveryBlockOfEveryFileExactlyOnce)
{
    SplitSet s;
    std::vector<InspectedFile> files;
    for (const std::wstring& p : s.files)
        files.push_back(Inspect(p));
    auto fileOf = [&](uint64_t offset) -> const InspectedFile* {
        for (const InspectedFile& f : files)
            if (offset >= f.head.Base && offset < f.head.Base + f.tail.DataLength)
                return &f;
        return nullptr;
    };
    const InspectedFile& last = files.back();
    const std::vector<unsigned char> vols =
        last.Blob(KS_GROUP_DIR, KSTailVolumeListPos(last.tail), last.tail.VolumeListRaw, last.tail.VolumeListStored);
    ASSERT_EQ(256u, vols.size());
    _KS_VOLUME vol;
    KSVolumeFromBytes(vols.data(), vol);
    const InspectedFile* rif = fileOf(vol.RunIndexOffset);
    ASSERT_EQ(&last, rif);
    const unsigned char* ri = last.bytes.data() + last.FilePos(vol.RunIndexOffset);

    uint32_t nextCluster = 0;
    for (uint32_t e = 48; e < vol.RunIndexRawSize; e += 28) {
        _KS_RIND_ENTRY entry;
        KSRindEntryFromBytes(ri + e, entry);
        const InspectedFile* cf = fileOf(KSRindEntryOffset(entry));
        ASSERT_NE(nullptr, cf);
        const std::vector<unsigned char> chunk =
            cf->Blob(KS_GROUP_INDEX, cf->FilePos(KSRindEntryOffset(entry)), 0x8000, entry.Stored);
        ASSERT_EQ(0x8000u, chunk.size());
        for (uint32_t b = 16; b < LoadLE32(chunk.data() + 8); b += 24) {
            _KS_BLOCK block;
            KSBlockFromBytes(chunk.data() + b, block);
            EXPECT_EQ(nextCluster, block.FirstCluster);
            nextCluster += KSBlockClusters(block);
            const InspectedFile* bf = fileOf(block.Offset);
            ASSERT_NE(nullptr, bf);
            const uint32_t raw = KSBlockClusters(block) * 4096;
            const std::vector<unsigned char> data = bf->Blob(KS_GROUP_DATA, bf->FilePos(block.Offset), raw,
                                                             KSBlockStored(block));
            ASSERT_EQ(raw, data.size());
            uint64_t crc = 0;
            crc64(data.data(), raw, &crc);
            EXPECT_EQ(block.Crc, crc);
            EXPECT_EQ(block.FirstCluster / 511, data[0]);
        }
    }
    EXPECT_EQ(SplitSet::kRuns * 511, nextCluster);
}

TEST(WriterSplit, TheContainerListsAndFindsTheFilesOfTheSet)
{
    SplitSet s;
    CofranPtr c;
    // The first file alone is not the end of the set.
    ASSERT_EQ(0u, c->OpenCofran(s.files[0].c_str(), 0, nullptr, 0));
    _KS_VERSION v;
    EXPECT_EQ(0x016u, Kind(c->GetBackupVer(&v, 1)));
    _KS_VOLUME vol;
    EXPECT_EQ(0x016u, Kind(c->GetVolumes(&vol, 1)));
    wchar_t comment[16];
    EXPECT_EQ(0u, c->GetComment(comment, 16));
    EXPECT_STREQ(L"split", comment);

    wchar_t last[300];
    ASSERT_EQ(0u, c->SearchLastCofran(s.files[0].c_str(), last, 300, 0));
    EXPECT_EQ(s.files[2], std::wstring(last));
    ASSERT_EQ(0u, c->SearchLastCofran(s.files[1].c_str(), last, 300, 1));
    EXPECT_EQ(s.files[2], std::wstring(last));

    ASSERT_EQ(0u, c->OpenCofran(last, 0, nullptr, 0));
    _KS_IMG_FILE_INFO info;
    ASSERT_EQ(0u, c->GetCofranInfo(&info));
    EXPECT_EQ(3u, info.NeededFiles);
    unsigned long count = 0;
    ASSERT_EQ(0u, c->GetBackupImg(nullptr, &count));
    EXPECT_EQ(3u, count);
    _KS_IMG imgs[3];
    count = 2;
    EXPECT_EQ(0x00Eu, Kind(c->GetBackupImg(imgs, &count)));
    count = 3;
    ASSERT_EQ(0u, c->GetBackupImg(imgs, &count));
    ASSERT_EQ(3u, count);
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(2 - i, imgs[i].FileNumber);
        EXPECT_EQ(s.files[2 - i], std::wstring(imgs[i].Path));
    }
    EXPECT_EQ(0u, imgs[2].Base);
    EXPECT_EQ(imgs[1].Base, imgs[2].Base + imgs[2].DataLength);

    // Every file of the folder that carries the set's GUID, by path.
    GUID none;
    std::memset(&none, 0, sizeof none);
    count = 3;
    ASSERT_EQ(0u, c->GetBackupImg(none, s.files[1].c_str(), imgs, &count, KS_SEARCH_FOLDER));
    EXPECT_EQ(3u, count);
    // Mode 0 by path starts from the set's last file.
    count = 3;
    ASSERT_EQ(0u, c->GetBackupImg(none, s.files[0].c_str(), imgs, &count, KS_SEARCH_SET));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(2u, imgs[0].FileNumber);

    ASSERT_EQ(0u, c->GetBackupVer(&v, 1));
    EXPECT_EQ(0u, c->CheckCofranVer(&v));
    _KS_IMGNAME_NO names[3];
    ASSERT_EQ(0u, c->GetBackupImgNameInfo(names, 3));
    wchar_t name[300];
    unsigned long number = 99;
    ASSERT_EQ(0u, c->GetCofranNameFromOffset(&v, 1, names, 3, names[1].Base + 5, name, 300, &number));
    EXPECT_EQ(1u, number);
    EXPECT_EQ(s.files[1], std::wstring(name));
    EXPECT_EQ(0x00Eu, Kind(c->GetCofranNameFromOffset(&v, 1, names, 3, names[1].Base, name, 5, &number)));
    ASSERT_EQ(0u, c->GetCofranNameFromCofranNo(&v, 1, names, 3, 2, name, 300));
    EXPECT_EQ(s.files[2], std::wstring(name));
    EXPECT_EQ(0x108u, Kind(c->GetCofranNameFromCofranNo(&v, 1, names, 3, 7, name, 300)));

    // A missing middle file breaks the chain.
    std::remove(std::string(s.files[1].begin(), s.files[1].end()).c_str());
    EXPECT_EQ(0x054u, Kind(c->CheckCofranVer(&v)));
}

} // namespace
