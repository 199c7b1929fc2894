// Sets written by the writer and read back through every region and every use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "TestSet.h"

namespace {

// A FAT volume: pre-volume sectors, system area, two runs of clusters with a hole
// between them and a hole after them.
struct FatSet {
    ScratchFolder dir;
    std::wstring path = dir.WPath("fat.rvd");
    _KS_VOLUME volume = FatVolume();
    std::vector<unsigned char> pre = RandomBytes(63 * 512, 1);
    std::vector<unsigned char> system = PatternBytes(52 * 512, 2); // reserved 4, FATs 16, root 32
    std::vector<unsigned char> first = PatternBytes(600 * 4096, 3);
    std::vector<unsigned char> second = RandomBytes(10 * 4096, 4);

    explicit FatSet(const wchar_t* password = nullptr, unsigned long beginMode = 0)
    {
        CofranPtr c;
        const unsigned long bytes = password ? static_cast<unsigned long>(wcslen(password) * sizeof(wchar_t)) : 0;
        EXPECT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, password, bytes));
        EXPECT_EQ(0u, c->BeginBackup(path.c_str(), beginMode, nullptr, nullptr, 6, 0));
        EXPECT_EQ(0u, c->WriteVolumeInfo(&volume, 256));
        EXPECT_EQ(0u, c->WriteSector(-63, pre.data(), 63, 0));
        EXPECT_EQ(0u, c->WriteSector(0, system.data(), 4, 0));
        EXPECT_EQ(0u, c->WriteSector(4, system.data() + 4 * 512, 16, 0));
        EXPECT_EQ(0u, c->WriteSector(20, system.data() + 20 * 512, 32, 0));
        EXPECT_EQ(0u, c->WriteData(0, first.data(), 600, 0));
        EXPECT_EQ(0u, c->WriteData(1000, second.data(), 10, 0));
        EXPECT_EQ(0u, c->EndBackup(0));
    }

    _KS_VOLUME Stored(IKSCofran* c) const
    {
        _KS_VOLUME v;
        std::memset(&v, 0, sizeof v);
        EXPECT_EQ(0u, c->GetVolumes(&v, 1));
        return v;
    }
};

TEST(ReaderRoundTrip, BlocksComeBackInOrderAndCheckOut)
{
    FatSet s;
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.path.c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    _KS_VOLUME v = s.Stored(c.p);
    ASSERT_EQ(0u, c->OpenVolume(&v));
    struct Expected {
        uint32_t first, count;
        const unsigned char* data;
    } expected[] = {{0, 511, s.first.data()}, {511, 89, s.first.data() + 511 * 4096}, {1000, 10, s.second.data()}};
    std::vector<unsigned char> buffer(511 * 4096);
    for (const Expected& e : expected) {
        _KS_BLOCK b;
        ASSERT_EQ(0u, c->GetNextBlockInfo(&b, 0));
        EXPECT_EQ(e.first, b.FirstCluster);
        EXPECT_EQ(e.count, KSBlockClusters(b));
        ASSERT_EQ(0u, c->ReadBlock(&b, buffer.data()));
        EXPECT_EQ(0, memcmp(e.data, buffer.data(), e.count * 4096));
    }
    _KS_BLOCK b;
    EXPECT_EQ(0x108u, Kind(c->GetNextBlockInfo(&b, 0))) << "the end of the volume's blocks in this file";
    EXPECT_EQ(0x006u, Kind(c->GetNextBlockInfo(&b, 1)));
    unsigned long clusters = 0;
    EXPECT_EQ(0x006u, Kind(c->ReadData(0, buffer.data(), 1, &clusters))) << "cluster reads are for use 1";

    ASSERT_EQ(0u, c->OpenVolume(&v));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0u, c->CheckNextBlock(&b));
    EXPECT_EQ(0x108u, Kind(c->CheckNextBlock(&b)));
    EXPECT_EQ(0u, c->CheckVolume());

    std::vector<unsigned char> bitmap(v.BitmapSize, 0);
    EXPECT_EQ(0x00Eu, Kind(c->GetVolumeBitmap(&v, bitmap.data(), v.BitmapSize - 1)));
    ASSERT_EQ(0u, c->GetVolumeBitmap(&v, bitmap.data(), v.BitmapSize));
    for (uint32_t n : {0u, 599u, 1000u, 1009u})
        EXPECT_TRUE(bitmap[n / 8] & (1 << (n % 8))) << n;
    for (uint32_t n : {600u, 999u, 1010u})
        EXPECT_FALSE(bitmap[n / 8] & (1 << (n % 8))) << n;
    EXPECT_EQ(0x005u, Kind(c->GetNextBlockInfo(&b, 0))) << "the bitmap walk closes the volume";
}

// The volume check compares the record with the file-system rules and the stored
// sectors with their CRC-64s; each disagreement is bad data.
TEST(ReaderRoundTrip, CheckVolumeRefusesWhatDoesNotAgree)
{
    struct Case {
        const char* what;
        void (*tweak)(_KS_VOLUME&);
        int patch; // 0: none, 1: a pre-volume sector byte, 2: the CRC-64 of the first system run
        unsigned long kind;
    } cases[] = {
        {"as written", [](_KS_VOLUME&) {}, 0, 0x000},
        {"bitmap one byte short", [](_KS_VOLUME& v) { --v.BitmapSize; }, 0, 0x000},
        {"bitmap two bytes short", [](_KS_VOLUME& v) { v.BitmapSize -= 2; }, 0, 0x00C},
        {"bitmap one byte long", [](_KS_VOLUME& v) { ++v.BitmapSize; }, 0, 0x00C},
        {"NTFS kind on a record with a FAT system area", [](_KS_VOLUME& v) { v.FileSystem = KS_FS_NTFS; }, 0, 0x00C},
        {"FAT32 kind with a root directory", [](_KS_VOLUME& v) { v.FileSystem = KS_FS_FAT32; }, 0, 0x00C},
        {"no file-system reader: kinds are not checked",
         [](_KS_VOLUME& v) {
             v.FileSystem = KS_FS_NTFS;
             v.Flags |= KS_VOLFLAG_NO_FS_READER;
         },
         0, 0x000},
        {"pre-volume count differs from the run index", [](_KS_VOLUME& v) { v.PreVolumeSectors = 62; }, 0, 0x00C},
        {"a pre-volume sector changed", [](_KS_VOLUME&) {}, 1, 0x00C},
        {"a system run's CRC-64 changed", [](_KS_VOLUME&) {}, 2, 0x00C},
    };
    for (const Case& k : cases) {
        FatSet s;
        _KS_VOLUME v;
        {
            CofranPtr c;
            ASSERT_EQ(0u, c->OpenCofran(s.path.c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
            v = s.Stored(c.p);
        }
        if (k.patch != 0) {
            const InspectedFile f = Inspect(s.path);
            const uint64_t runIndex = f.FilePos(v.RunIndexOffset);
            _KS_RIND_HEAD head;
            KSRindHeadFromBytes(f.bytes.data() + runIndex, head);
            const uint64_t at = k.patch == 1 ? f.FilePos(head.PreOffset) + 100 : runIndex + 48 + 20;
            FILE* file = std::fopen(std::string(s.path.begin(), s.path.end()).c_str(), "r+b");
            ASSERT_NE(nullptr, file);
            std::fseek(file, static_cast<long>(at), SEEK_SET);
            const int old = std::fgetc(file);
            std::fseek(file, static_cast<long>(at), SEEK_SET);
            std::fputc(old ^ 0x01, file);
            std::fclose(file);
        }
        k.tweak(v);
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(s.path.c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
        ASSERT_EQ(0u, c->OpenVolume(&v)) << k.what;
        EXPECT_EQ(k.kind, Kind(c->CheckVolume())) << k.what;
    }
}

// A FAT32 volume with many clusters has a FAT of more than 64 MiB, written as one
// run: its set must open, check and read back like any other.
TEST(ReaderRoundTrip, AFatOfMoreThan64MiBReadsBack)
{
    ScratchFolder dir;
    const std::wstring path = dir.WPath("bigfat.rvd");
    _KS_VOLUME v = FatVolume(8);
    v.FileSystem = KS_FS_FAT32;
    v.ReservedSectors = 32;
    v.NumberOfFats = 1;
    v.RootDirSectors = 0;
    v.PreVolumeSectors = 0;
    v.SectorsPerFat = 131200; // just over 64 MiB
    v.TotalSectors = 32 + 131200 + 8 * 1000;
    v.BitmapSize = 125;
    std::vector<unsigned char> fat(size_t(131200) * 512, 0);
    fat[0] = 0xF8;
    fat[fat.size() - 1] = 0x5A;
    const std::vector<unsigned char> reserved = PatternBytes(32 * 512, 7), data = RandomBytes(10 * 4096, 8);
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, path));
        ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, c->WriteSector(0, reserved.data(), 32, 0));
        ASSERT_EQ(0u, c->WriteSector(32, fat.data(), 131200, 0));
        ASSERT_EQ(0u, c->WriteData(0, data.data(), 10, 0));
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    for (unsigned long use : {KS_OPEN_SEQUENTIAL, KS_OPEN_RANDOM}) {
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(path.c_str(), use, nullptr, 0));
        _KS_VOLUME stored;
        ASSERT_EQ(0u, c->GetVolumes(&stored, 1));
        ASSERT_EQ(0u, c->OpenVolume(&stored)) << use;
        if (use == KS_OPEN_SEQUENTIAL) {
            EXPECT_EQ(0u, c->CheckVolume());
            continue;
        }
        std::vector<unsigned char> buf(fat.size());
        unsigned long got = 0;
        ASSERT_EQ(0u, c->ReadSector(32 + 131199, buf.data(), 1, &got, 0)) << "part of the FAT run";
        EXPECT_EQ(0x5A, buf[511]);
        ASSERT_EQ(0u, c->ReadSector(32, buf.data(), 131200, &got, 0)) << "the whole FAT run";
        EXPECT_EQ(131200u, got);
        EXPECT_TRUE(buf == fat);
        ASSERT_EQ(0u, c->ReadSector(32 + 131200, buf.data(), 80, &got, 0));
        EXPECT_EQ(0, memcmp(data.data(), buf.data(), 10 * 4096));
    }
}

TEST(ReaderRoundTrip, SectorsOfEveryRegionAndClustersWithHoles)
{
    FatSet s;
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.path.c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v = s.Stored(c.p);
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(2000 * 512);
    unsigned long got = 0;

    // Pre-volume sectors: all of them, the last one, and one too far.
    ASSERT_EQ(0u, c->ReadSector(-63, buf.data(), 63, &got, 0));
    EXPECT_EQ(63u, got);
    EXPECT_EQ(0, memcmp(s.pre.data(), buf.data(), 63 * 512));
    ASSERT_EQ(0u, c->ReadSector(-1, buf.data(), 1, &got, 0));
    EXPECT_EQ(0, memcmp(s.pre.data() + 62 * 512, buf.data(), 512));
    EXPECT_EQ(0x009u, Kind(c->ReadSector(-64, buf.data(), 1, &got, 0)));
    EXPECT_EQ(0x006u, Kind(c->ReadSector(0, buf.data(), 1, &got, 1)));
    EXPECT_EQ(0x009u, Kind(c->ReadSector(0, nullptr, 1, &got, 0)));

    // From inside the pre-volume sectors through the system area into the clusters.
    ASSERT_EQ(0u, c->ReadSector(-2, buf.data(), 2 + 52 + 20, &got, 0));
    EXPECT_EQ(74u, got);
    EXPECT_EQ(0, memcmp(s.pre.data() + 61 * 512, buf.data(), 2 * 512));
    EXPECT_EQ(0, memcmp(s.system.data(), buf.data() + 2 * 512, 52 * 512));
    EXPECT_EQ(0, memcmp(s.first.data(), buf.data() + 54 * 512, 20 * 512));

    // Part of a FAT copy; a null out-count is fine.
    ASSERT_EQ(0u, c->ReadSector(13, buf.data(), 3, nullptr, 0));
    EXPECT_EQ(0, memcmp(s.system.data() + 13 * 512, buf.data(), 3 * 512));

    // Across the end of the first run into the hole: zeros.
    const long long cluster598 = 52 + 598 * 8;
    ASSERT_EQ(0u, c->ReadSector(cluster598 + 3, buf.data(), 30, &got, 0));
    EXPECT_EQ(30u, got);
    EXPECT_EQ(0, memcmp(s.first.data() + 598 * 4096 + 3 * 512, buf.data(), 13 * 512));
    EXPECT_TRUE(std::all_of(buf.begin() + 13 * 512, buf.begin() + 30 * 512, [](unsigned char b) { return b == 0; }));

    // Clusters: inside a block, a hole, a trailing hole.
    unsigned long clusters = 0;
    ASSERT_EQ(0u, c->ReadData(5, buf.data(), 10, &clusters));
    EXPECT_EQ(10u, clusters);
    EXPECT_EQ(0, memcmp(s.first.data() + 5 * 4096, buf.data(), 10 * 4096));
    ASSERT_EQ(0u, c->ReadData(505, buf.data(), 100, &clusters));
    EXPECT_EQ(6u, clusters) << "one call serves one block";
    ASSERT_EQ(0u, c->ReadData(511, buf.data(), 100, &clusters));
    EXPECT_EQ(89u, clusters);
    EXPECT_EQ(0x108u, Kind(c->ReadData(600, buf.data(), 1000, &clusters)));
    EXPECT_EQ(400u, clusters) << "the hole reaches to the next block";
    EXPECT_EQ(0x108u, Kind(c->ReadData(1010, buf.data(), 50, &clusters)));
    EXPECT_EQ(50u, clusters) << "nothing follows: the whole request is hole";
    ASSERT_EQ(0u, c->ReadData(1000, buf.data(), 10, &clusters));
    EXPECT_EQ(0, memcmp(s.second.data(), buf.data(), 10 * 4096));

    // A long read over the trailing hole is zeros and quick.
    std::vector<unsigned char> big(100000 * 512, 0xFF);
    ASSERT_EQ(0u, c->ReadSector(52 + 1010 * 8, big.data(), 100000, &got, 0));
    EXPECT_EQ(100000u, got);
    EXPECT_TRUE(std::all_of(big.begin(), big.end(), [](unsigned char b) { return b == 0; }));

    EXPECT_EQ(0u, c->CloseVolume());
    EXPECT_EQ(0x005u, Kind(c->ReadSector(0, buf.data(), 1, &got, 0)));
}

TEST(ReaderRoundTrip, EncryptedSetReadsBackWithThePassword)
{
    const wchar_t password[] = L"sesame";
    FatSet s(password, KS_BEGIN_ENCRYPT);
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.path.c_str(), KS_OPEN_RANDOM, password, 6 * sizeof(wchar_t)));
    _KS_VOLUME v = s.Stored(c.p);
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf((63 + 52 + 600 * 8) * 512);
    unsigned long got = 0;
    ASSERT_EQ(0u, c->ReadSector(-63, buf.data(), 63 + 52 + 600 * 8, &got, 0));
    EXPECT_EQ(0, memcmp(s.pre.data(), buf.data(), s.pre.size()));
    EXPECT_EQ(0, memcmp(s.system.data(), buf.data() + s.pre.size(), s.system.size()));
    EXPECT_EQ(0, memcmp(s.first.data(), buf.data() + s.pre.size() + s.system.size(), s.first.size()));
}

TEST(ReaderRoundTrip, AVolumeWithoutBlocksOpensAndReadsAsZeros)
{
    ScratchFolder dir;
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("empty.rvd")));
        const _KS_VOLUME v = NtfsVolume(8, 1000);
        ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(dir.WPath("empty.rvd").c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(16 * 512, 0xFF);
    unsigned long got = 0;
    ASSERT_EQ(0u, c->ReadSector(0, buf.data(), 16, &got, 0));
    EXPECT_EQ(16u, got);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](unsigned char b) { return b == 0; }));
}

} // namespace
