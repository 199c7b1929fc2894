// Damaged sets: every damaged byte gives a result code, never a crash or a hang.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "KSWin32ScopedPosixCalls.h"
#include "TestSet.h"

namespace {

// One NTFS volume: a compressible run and an incompressible one.
struct SmallSet {
    ScratchFolder dir;
    std::string path = dir.Path() + "dmg.rvd";
    _KS_VOLUME volume;
    uint64_t runIndexPos = 0, chunkPos = 0, patternPos = 0, randomPos = 0;
    uint32_t chunkStored = 0;

    explicit SmallSet(unsigned long level)
    {
        CofranPtr c;
        EXPECT_EQ(0u, StartSet(c.p, dir.WPath("dmg.rvd"), level));
        const _KS_VOLUME v = NtfsVolume(8, 10000);
        const std::vector<unsigned char> pattern = PatternBytes(50 * 4096, 1), random = RandomBytes(5 * 4096, 2);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        EXPECT_EQ(0u, c->WriteData(0, pattern.data(), 50, 0));
        EXPECT_EQ(0u, c->WriteData(60, random.data(), 5, 0));
        EXPECT_EQ(0u, c->EndBackup(0));
        const InspectedFile f = Inspect(path);
        const std::vector<unsigned char> vols =
            f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
        KSVolumeFromBytes(vols.data(), volume);
        runIndexPos = f.FilePos(volume.RunIndexOffset);
        _KS_RIND_ENTRY e;
        KSRindEntryFromBytes(f.bytes.data() + runIndexPos + 48, e);
        chunkPos = f.FilePos(KSRindEntryOffset(e));
        chunkStored = e.Stored;
        const std::vector<unsigned char> chunk = f.Blob(KS_GROUP_INDEX, chunkPos, 0x8000, e.Stored);
        _KS_BLOCK b;
        KSBlockFromBytes(chunk.data() + 16, b);
        patternPos = f.FilePos(b.Offset);
        KSBlockFromBytes(chunk.data() + 40, b);
        randomPos = f.FilePos(b.Offset);
    }

    void Patch(uint64_t pos, std::vector<unsigned char> bytes, bool flip = false)
    {
        FILE* f = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(nullptr, f);
        if (flip) {
            std::fseek(f, static_cast<long>(pos), SEEK_SET);
            for (unsigned char& b : bytes)
                b = static_cast<unsigned char>(std::fgetc(f) ^ b);
        }
        std::fseek(f, static_cast<long>(pos), SEEK_SET);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
};

// Opens the set, opens the volume and checks every block; the first failure's kind.
unsigned long CheckAll(const SmallSet& s, unsigned long mode = KS_OPEN_SEQUENTIAL)
{
    CofranPtr c;
    unsigned long rc = c->OpenCofran(Widen(s.path).c_str(), mode, nullptr, 0);
    _KS_VOLUME v = s.volume;
    if (rc == 0)
        rc = c->OpenVolume(&v);
    _KS_BLOCK b;
    while (rc == 0)
        rc = c->CheckNextBlock(&b);
    return Kind(rc) == 0x108 ? 0 : Kind(rc);
}

TEST(ReaderDamage, EachDamagedPlaceGivesItsKind)
{
    struct Case {
        const char* what;
        unsigned long level;
        uint64_t SmallSet::*place;
        int offset;
        std::vector<unsigned char> bytes;
        bool flip;
        unsigned long kind;
    } cases[] = {
        {"stored block byte: its CRC-64 no longer matches", 6, &SmallSet::randomPos, 100, {0x01}, true, 0x00C},
        {"compressed block byte: the stream does not inflate", 6, &SmallSet::patternPos, 40, {0xFF}, true, 0x064},
        {"index chunk byte: the stream does not inflate", 6, &SmallSet::chunkPos, 20, {0xFF}, true, 0x064},
        {"index chunk magic", 0, &SmallSet::chunkPos, 0, {'X'}, false, 0x00C},
        // The first block moved by 1024 clusters: it still reads and its CRC-64 agrees.
        {"index chunk cluster number: its CRC-64 no longer matches", 0, &SmallSet::chunkPos, 17, {0x04}, true, 0x00C},
        {"run index magic", 6, &SmallSet::runIndexPos, 0, {'X'}, false, 0x00C},
        {"run index volume number", 6, &SmallSet::runIndexPos, 8, {7}, false, 0x00C},
        {"run entry with the open-entry mark", 6, &SmallSet::runIndexPos, 48, {0xFF, 0xFF, 0xFF, 0xFF}, false, 0x00C},
        {"block count 0", 0, &SmallSet::chunkPos, 20, {0x00, 0xFC}, false, 0x00C},
        // A stored size far above the block's raw size: refused, never copied.
        {"block stored size huge", 0, &SmallSet::chunkPos, 21, {0xFF, 0xFF, 0xFF}, false, 0x00C},
        {"chunk used length huge", 0, &SmallSet::chunkPos, 8, {0xFF, 0xFF, 0xFF, 0xFF}, false, 0x00C},
    };
    for (const Case& k : cases) {
        SmallSet s(k.level);
        ASSERT_EQ(0u, CheckAll(s)) << "undamaged: " << k.what;
        s.Patch(s.*k.place + k.offset, k.bytes, k.flip);
        EXPECT_EQ(k.kind, CheckAll(s)) << k.what;
    }
}

// Every block a damaged chunk lists is refused: the chunk's CRC-64 no longer matches.
TEST(ReaderDamage, RandomAccessOverADamagedChunkFailsCleanly)
{
    SmallSet s(0);
    s.Patch(s.chunkPos + 8, {0xFF, 0xFF, 0xFF, 0x7F}); // used length past the chunk
    s.Patch(s.chunkPos + 40 + 4, {0xFF, 0xFF, 0xFF, 0xFF}); // second block: 1023 clusters, huge stored size
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v = s.volume;
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(4096 * 64);
    unsigned long got = 0;
    EXPECT_EQ(0x00Cu, Kind(c->ReadData(0, buf.data(), 50, &got)));
    EXPECT_EQ(0x00Cu, Kind(c->ReadData(60, buf.data(), 5, &got)));
    EXPECT_EQ(0x00Cu, Kind(c->ReadSector(60 * 8, buf.data(), 8, &got, 0)));
}

// A damaged block kept without compression is caught by its CRC-64 on the first
// read through ReadData or ReadSector, instead of being handed out as data.
TEST(ReaderDamage, RandomReadsRefuseAStoredBlockWhoseCrcNoLongerMatches)
{
    struct Case {
        const char* what;
        unsigned long level;
        uint64_t SmallSet::*place;
        unsigned long cluster, clusters;
    } cases[] = {
        {"level 0, whole block", 0, &SmallSet::patternPos, 0, 50},
        {"level 0, part of a block", 0, &SmallSet::patternPos, 10, 3},
        {"incompressible block kept raw, whole", 6, &SmallSet::randomPos, 60, 5},
        {"incompressible block kept raw, one cluster", 6, &SmallSet::randomPos, 64, 1},
    };
    for (const Case& k : cases) {
        SmallSet s(k.level);
        s.Patch(s.*k.place + 4096 * 3 + 7, {0x20}, true); // one bit in the block's fourth cluster
        for (bool bySector : {false, true}) {
            CofranPtr c;
            ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_RANDOM, nullptr, 0));
            _KS_VOLUME v = s.volume;
            ASSERT_EQ(0u, c->OpenVolume(&v));
            std::vector<unsigned char> buf(4096 * 64);
            unsigned long got = 0;
            const unsigned long rc = bySector ? c->ReadSector(k.cluster * 8, buf.data(), k.clusters * 8, &got, 0)
                                              : c->ReadData(k.cluster, buf.data(), k.clusters, &got);
            EXPECT_EQ(0x00Cu, Kind(rc)) << k.what << (bySector ? ", ReadSector" : ", ReadData");
            // Asking again does not turn the damage into data.
            EXPECT_EQ(0x00Cu, Kind(c->ReadData(k.cluster, buf.data(), k.clusters, &got))) << k.what;
        }
    }
}

// The block walk's own reads, which a restore writes to a disk, check each block the
// same way: the intact block reads, the damaged one is refused.
TEST(ReaderDamage, ReadBlockRefusesAStoredBlockWhoseCrcNoLongerMatches)
{
    SmallSet s(6);
    s.Patch(s.randomPos + 100, {0x01}, true);
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    _KS_VOLUME v = s.volume;
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(4096 * 64);
    _KS_BLOCK b;
    ASSERT_EQ(0u, c->GetNextBlockInfo(&b, 0));
    EXPECT_EQ(0u, c->ReadBlock(&b, buf.data())) << "the compressed pattern block";
    ASSERT_EQ(0u, c->GetNextBlockInfo(&b, 0));
    EXPECT_EQ(0x00Cu, Kind(c->ReadBlock(&b, buf.data()))) << "the stored random block";
}

// The same for the sectors ReadSector serves from the run index itself: the
// pre-volume sectors and the direct runs of the system area, kept raw at level 0.
TEST(ReaderDamage, SectorReadsRefuseDamagedPreVolumeSectorsAndSystemRuns)
{
    struct Case {
        const char* what;
        bool preVolume;       // else the reserved-sector run
        long long first;
        unsigned long count;
    } cases[] = {
        {"all pre-volume sectors", true, -63, 63},
        {"the last pre-volume sector", true, -1, 1},
        {"the whole reserved-sector run", false, 0, 4},
        {"one reserved sector", false, 2, 1},
    };
    for (const Case& k : cases) {
        ScratchFolder dir;
        const std::string path = dir.Path() + "fat.rvd";
        _KS_VOLUME v = FatVolume();
        {
            CofranPtr c;
            ASSERT_EQ(0u, StartSet(c.p, dir.WPath("fat.rvd"), 0));
            const std::vector<unsigned char> pre = RandomBytes(63 * 512, 1), system = PatternBytes(52 * 512, 2);
            ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
            ASSERT_EQ(0u, c->WriteSector(-63, pre.data(), 63, 0));
            ASSERT_EQ(0u, c->WriteSector(0, system.data(), 4, 0));
            ASSERT_EQ(0u, c->WriteSector(4, system.data() + 4 * 512, 16, 0));
            ASSERT_EQ(0u, c->WriteSector(20, system.data() + 20 * 512, 32, 0));
            ASSERT_EQ(0u, c->EndBackup(0));
        }
        const InspectedFile f = Inspect(path);
        const std::vector<unsigned char> vols =
            f.Blob(KS_GROUP_DIR, KSTailVolumeListPos(f.tail), f.tail.VolumeListRaw, f.tail.VolumeListStored);
        KSVolumeFromBytes(vols.data(), v);
        _KS_RIND_HEAD head;
        KSRindHeadFromBytes(f.bytes.data() + f.FilePos(v.RunIndexOffset), head);
        _KS_RIND_ENTRY reserved;
        KSRindEntryFromBytes(f.bytes.data() + f.FilePos(v.RunIndexOffset) + 48, reserved);
        ASSERT_EQ(0u, reserved.First);
        const uint64_t at = f.FilePos(k.preVolume ? head.PreOffset : KSRindEntryOffset(reserved));
        FILE* file = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(nullptr, file);
        std::fseek(file, static_cast<long>(at + 3), SEEK_SET);
        std::fputc(f.bytes[at + 3] ^ 0x40, file);
        std::fclose(file);

        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(Widen(path).c_str(), KS_OPEN_RANDOM, nullptr, 0));
        ASSERT_EQ(0u, c->OpenVolume(&v));
        std::vector<unsigned char> buf(63 * 512);
        unsigned long got = 0;
        EXPECT_EQ(0x00Cu, Kind(c->ReadSector(k.first, buf.data(), k.count, &got, 0))) << k.what;
    }
}

// A version record whose file count runs past the files the set names: every call
// that sizes a list of files by it refuses it, instead of allocating for it.
TEST(ReaderDamage, AVersionClaimingMoreFilesThanTheSetNamesIsBadData)
{
    SmallSet s(0); // level 0: the version list is stored raw
    const InspectedFile f = Inspect(s.path);
    s.Patch(f.tail.VersionListPos + 8, {0xFF, 0xFF}); // version 0: 65535 files
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    _KS_VERSION versions[1];
    ASSERT_EQ(0u, c->GetBackupVer(versions, 1));
    ASSERT_EQ(0xFFFFu, versions[0].FileCount);
    _KS_IMG_FILE_INFO info;
    EXPECT_EQ(0x00Cu, Kind(c->GetCofranInfo(&info)));
    unsigned long count = 0;
    EXPECT_EQ(0x00Cu, Kind(c->GetBackupImg(nullptr, &count)));
    EXPECT_EQ(0x00Cu, Kind(c->CheckCofranVer(&versions[0])));
}

// Sector and cluster sizes from a damaged record: refused as bad data before any
// buffer is sized by them. 64 KiB sectors or 4 MiB clusters are no volume's.
TEST(ReaderDamage, ImpossibleSectorAndClusterSizesAreBadData)
{
    SmallSet s(0);
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_RANDOM, nullptr, 0));
    std::vector<unsigned char> buf(4096);
    unsigned long got = 0;

    _KS_VOLUME v = s.volume;
    v.BytesPerSector = 0x80000000u;
    EXPECT_EQ(0x00Cu, Kind(c->OpenVolume(&v)));
    v.BytesPerSector = 65536;
    EXPECT_EQ(0x00Cu, Kind(c->OpenVolume(&v)));

    v = s.volume;
    v.SectorsPerCluster = 8192; // 4 MiB clusters
    v.TotalSectors = 8192 * 64; // the hole below lies inside the volume
    ASSERT_EQ(0u, c->OpenVolume(&v));
    EXPECT_EQ(0x00Cu, Kind(c->ReadSector(0, buf.data(), 1, &got, 0))) << "inside a block";
    EXPECT_EQ(0x00Cu, Kind(c->ReadSector(8192 * 55, buf.data(), 1, &got, 0))) << "in a hole";
    EXPECT_EQ(0u, got);
}

std::atomic<int> g_readCalls{0};
ssize_t FailingRead(int, void*, size_t)
{
    ++g_readCalls;
    errno = EIO;
    return -1;
}

struct Answers {
    int calls = 0;
    int failUntil = 0;          // the fault is lifted after this many messages
    unsigned long answer = 0;   // what the callback returns
    KSWin32ScopedPosixCalls* fault = nullptr;
    unsigned long lastResult = 0;
};

unsigned long OnReadFailure(void* context, unsigned long message, void* data)
{
    Answers* a = static_cast<Answers*>(context);
    EXPECT_EQ(KS_IMG_MSG_READ_FAILED, message);
    a->lastResult = static_cast<const _KS_IMG_MSG_READ*>(data)->Result;
    if (++a->calls == a->failUntil && a->fault != nullptr) {
        delete a->fault;
        a->fault = nullptr;
    }
    return a->answer;
}

TEST(ReaderDamage, AFailedReadIsReportedRetriedAndGivenUp)
{
    SmallSet s(6);
    KSWin32PosixCalls failing = KSWin32RealPosixCalls();
    failing.Read = &FailingRead;
    struct Case {
        bool withCallback;
        int failUntil;
        unsigned long answer, kind;
        int messages;
    } cases[] = {
        {false, 0, 0, 0x106, 0},
        {true, 0, 0, 0x106, 10},       // ten messages, ten retries, then the failure
        {true, 0, 0x1059, 0x059, 1},   // the caller stops it
        {true, 3, 0, 0x000, 3},        // the read works again after the third message
    };
    for (const Case& k : cases) {
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
        Answers answers;
        answers.failUntil = k.failUntil;
        answers.answer = k.answer;
        if (k.withCallback) {
            ASSERT_EQ(0u, c->SetCallBack(&OnReadFailure, &answers));
        }
        answers.fault = new KSWin32ScopedPosixCalls(failing);
        _KS_VOLUME v = s.volume;
        const unsigned long rc = c->OpenVolume(&v);
        delete answers.fault;
        EXPECT_EQ(k.kind, Kind(rc));
        EXPECT_EQ(k.messages, answers.calls);
        if (k.messages > 0) {
            EXPECT_EQ(0x106u, Kind(answers.lastResult));
        }
    }
}

// Reads inside the block held in the sector buffer, and of chunks held in the
// cache, do not go to the image again: with every read of the file failing they
// still succeed, while a read of another block fails.
TEST(ReaderDamage, ReadsInsideTheHeldBlockDoNotReadTheImageAgain)
{
    SmallSet s(6);
    const std::vector<unsigned char> pattern = PatternBytes(50 * 4096, 1);
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(Widen(s.path).c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v = s.volume;
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(50 * 4096);
    unsigned long got = 0;
    ASSERT_EQ(0u, c->ReadData(2, buf.data(), 10, &got));
    ASSERT_EQ(10u, got);

    KSWin32PosixCalls failing = KSWin32RealPosixCalls();
    failing.Read = &FailingRead;
    KSWin32ScopedPosixCalls fault(failing);
    g_readCalls = 0;
    ASSERT_EQ(0u, c->ReadData(20, buf.data(), 5, &got));
    EXPECT_EQ(5u, got);
    EXPECT_EQ(0, memcmp(pattern.data() + 20 * 4096, buf.data(), 5 * 4096));
    ASSERT_EQ(0u, c->ReadSector(40 * 8 + 3, buf.data(), 2, &got, 0));
    EXPECT_EQ(0, memcmp(pattern.data() + (40 * 8 + 3) * 512, buf.data(), 2 * 512));
    EXPECT_EQ(0, g_readCalls.load());
    EXPECT_EQ(0x106u, Kind(c->ReadData(60, buf.data(), 5, &got))) << "another block is read from the image";
    EXPECT_LT(0, g_readCalls.load());
}

} // namespace
