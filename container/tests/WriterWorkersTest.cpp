// Blocks compressed on several worker threads: the set's bytes are those one
// thread writes, whatever the worker count, also across split files, under
// encryption and after a full disk the caller made room on; a writer torn down
// with blocks in flight leaves nothing behind.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "KSWin32ScopedPosixCalls.h"
#include "TestSet.h"

namespace {

time_t FixedTime(time_t* out)
{
    const time_t t = 1262304000; // 2010-01-01 00:00:00 UTC
    if (out != nullptr)
        *out = t;
    return t;
}

ssize_t FixedRandom(void* buffer, size_t size, unsigned int)
{
    std::memset(buffer, 0x5A, size);
    return static_cast<ssize_t>(size);
}

std::atomic<long long> g_workersRoom{-1}; // bytes the disk still takes; -1 without limit

ssize_t RoomLimitedWrite(int fd, const void* data, size_t size)
{
    const long long room = g_workersRoom.load();
    if (room < 0)
        return ::write(fd, data, size);
    if (room == 0) {
        errno = ENOSPC;
        return -1;
    }
    const size_t take = size < static_cast<size_t>(room) ? size : static_cast<size_t>(room);
    const ssize_t n = ::write(fd, data, take);
    if (n > 0)
        g_workersRoom -= n;
    return n;
}

// The clock and the GUID fixed, writes through the limited disk.
KSWin32PosixCalls FixedCalls()
{
    KSWin32PosixCalls calls = KSWin32RealPosixCalls();
    calls.Time = &FixedTime;
    calls.GetRandom = &FixedRandom;
    calls.Write = &RoomLimitedWrite;
    return calls;
}

unsigned long WorkersMode(unsigned workers) { return static_cast<unsigned long>(workers) << KS_BEGIN_WORKERS_SHIFT; }

struct RunShape {
    const char* name;
    unsigned long level;
    unsigned long splitMiB;
    bool encrypt;
    unsigned long calls;       // 64 KiB calls of the first volume
    long long faultAfterBytes; // the disk fills after this many bytes (-1: never)
};

const wchar_t kWorkersPassword[] = L"workers";

// Writes a set of two volumes in 64 KiB calls of mixed data (repeating text,
// zeros, random) and a few calls of 511 clusters, continuing into the next file
// on 0x108 and, on a full disk, making room and calling again as the engine does.
std::vector<std::vector<unsigned char>> WriteRun(const ScratchFolder& dir, const RunShape& shape, unsigned workers,
                                                 int* fullDiskAnswers)
{
    std::vector<std::wstring> files{dir.WPath("w.rvd")};
    const unsigned long mode = WorkersMode(workers) | (shape.encrypt ? static_cast<unsigned long>(KS_BEGIN_ENCRYPT) : 0ul);
    CofranPtr c;
    g_workersRoom = shape.faultAfterBytes;
    *fullDiskAnswers = 0;
    auto retried = [&](auto call) {
        unsigned long rc = call();
        while (Kind(rc) == 0x00B && *fullDiskAnswers < 1000) {
            ++*fullDiskAnswers;
            g_workersRoom = -1; // the user made room
            rc = call();
        }
        return rc;
    };
    auto write = [&](unsigned long first, const unsigned char* data, unsigned long count) {
        unsigned long rc = retried([&] { return c->WriteData(first, data, count, 0); });
        if (Kind(rc) != 0x108)
            return rc;
        if ((rc = retried([&] { return c->EndBackup(1); })) != 0)
            return rc;
        wchar_t next[300];
        if ((rc = c->GetAvailableCofranName(next, 300)) != 0)
            return rc;
        files.push_back(next);
        if ((rc = c->BeginBackup(next, mode, nullptr, L"workers", shape.level, shape.splitMiB)) != 0)
            return rc;
        return retried([&] { return c->WriteData(first, data, count, 0); });
    };

    const wchar_t* password = shape.encrypt ? kWorkersPassword : nullptr;
    const unsigned long passwordBytes = shape.encrypt ? (sizeof kWorkersPassword - sizeof(wchar_t)) : 0;
    EXPECT_EQ(0u, c->OpenCofran(files[0].c_str(), KS_OPEN_BACKUP, password, passwordBytes));
    EXPECT_EQ(0u, c->BeginBackup(files[0].c_str(), mode, nullptr, L"workers", shape.level, shape.splitMiB));
    const _KS_VOLUME first = NtfsVolume(8);
    EXPECT_EQ(0u, retried([&] { return c->WriteVolumeInfo(&first, 256); }));
    std::vector<unsigned char> random = RandomBytes(511 * 4096, 7);
    const std::vector<unsigned char> text = PatternBytes(16 * 4096, 8);
    const std::vector<unsigned char> zeros(16 * 4096, 0);
    for (unsigned long i = 0; i < shape.calls; ++i) {
        const unsigned char* data = i % 3 == 0 ? text.data() : i % 3 == 1 ? zeros.data() : random.data() + (i % 64) * 4096;
        EXPECT_EQ(0u, write(i * 16, data, 16)) << i;
        if (i % 97 == 0) {
            random[i % random.size()] ^= 0xFF;
            EXPECT_EQ(0u, write(shape.calls * 16 + i * 511, random.data(), 511)) << i;
        }
    }
    const _KS_VOLUME second = NtfsVolume(1, 1u << 16);
    EXPECT_EQ(0u, retried([&] { return c->WriteVolumeInfo(&second, 256); }));
    for (unsigned long i = 0; i < 64; ++i)
        EXPECT_EQ(0u, write(i * 128, random.data() + i * 512, 128)) << i;
    EXPECT_EQ(0u, retried([&] { return c->EndBackup(0); }));

    std::vector<std::vector<unsigned char>> bytes;
    // Later files name the file before them: every run writes at the same paths,
    // so its files go once read.
    for (const std::wstring& file : files) {
        const std::string narrow(file.begin(), file.end());
        bytes.push_back(Inspect(narrow).bytes);
        ::unlink(narrow.c_str());
    }
    return bytes;
}

TEST(WriterWorkers, SetsAreTheSameBytesWhateverTheWorkerCount)
{
    const RunShape shapes[] = {
        {"plain level 6", 6, 0, false, 600, -1},
        {"plain level 1", 1, 0, false, 600, -1},
        {"stored", 0, 0, false, 300, -1},
        {"encrypted", 6, 0, true, 200, -1},
        {"split at 50 MiB", 1, 50, false, 5000, -1},
        {"full disk mid-run", 1, 0, false, 1200, 20ll << 20},
        {"full disk in a split set", 1, 50, false, 3000, 70ll << 20},
    };
    KSWin32ScopedPosixCalls fixed(FixedCalls());
    for (const RunShape& shape : shapes) {
        ScratchFolder dir;
        int faultsOne = 0, faultsFour = 0, faultsEight = 0;
        const auto alone = WriteRun(dir, shape, 1, &faultsOne);
        const auto shared = WriteRun(dir, shape, 4, &faultsFour);
        const auto many = WriteRun(dir, shape, 8, &faultsEight);
        ASSERT_FALSE(alone.empty()) << shape.name;
        EXPECT_EQ(alone.size(), shared.size()) << shape.name;
        EXPECT_EQ(alone.size(), many.size()) << shape.name;
        for (size_t i = 0; i < alone.size() && i < shared.size() && i < many.size(); ++i) {
            EXPECT_TRUE(alone[i] == shared[i]) << shape.name << ", file " << i << " with 4 workers";
            EXPECT_TRUE(alone[i] == many[i]) << shape.name << ", file " << i << " with 8 workers";
        }
        if (shape.splitMiB != 0) {
            EXPECT_GE(alone.size(), 3u) << shape.name << " crosses the split size several times";
        }
        if (shape.faultAfterBytes >= 0) {
            EXPECT_EQ(1, faultsOne) << shape.name;
            EXPECT_EQ(1, faultsFour) << shape.name << ": the full disk is answered to a later call";
            EXPECT_EQ(1, faultsEight) << shape.name;
        }
    }
    g_workersRoom = -1;
}

TEST(WriterWorkers, ACallAfterAFullDiskTakesNothingUntilThePendingBlocksArePlaced)
{
    KSWin32ScopedPosixCalls fixed(FixedCalls());
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("stuck.rvd"), 1, 0, WorkersMode(4)));
    const _KS_VOLUME v = NtfsVolume(8);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> data = RandomBytes(16 * 4096, 9);
    g_workersRoom = 0;
    unsigned long rc = 0;
    unsigned long i = 0;
    for (; i < 2000 && rc == 0; ++i)
        rc = c->WriteData(i * 16, data.data(), 16, 0);
    EXPECT_EQ(0x00Bu, Kind(rc)) << "the full disk reaches the caller while it writes";
    // Still full: every call, also the ones that place pending blocks first, says so.
    EXPECT_EQ(0x00Bu, Kind(c->WriteData(i * 16, data.data(), 16, 0)));
    EXPECT_EQ(0x00Bu, Kind(c->WriteVolumeInfo(&v, 256)));
    EXPECT_EQ(0x00Bu, Kind(c->EndBackup(0)));
    g_workersRoom = -1;
    ASSERT_EQ(0u, c->WriteData((i - 1) * 16, data.data(), 16, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    const InspectedFile f = Inspect(dir.Path() + "stuck.rvd");
    EXPECT_TRUE(f.tailSumOk);
    EXPECT_EQ(-1, f.tail.EndState);
}

TEST(WriterWorkers, TearingDownWithBlocksInFlightLeavesNoCompleteFile)
{
    struct Case {
        const char* name;
        bool diskFull;   // a block is stuck behind a full disk
        bool closeFirst; // CloseCofran before Release
    } cases[] = {
        {"released mid-run", false, false},
        {"closed mid-run", false, true},
        {"released behind a full disk", true, false},
    };
    KSWin32ScopedPosixCalls fixed(FixedCalls());
    for (const Case& k : cases) {
        ScratchFolder dir;
        {
            CofranPtr c;
            ASSERT_EQ(0u, StartSet(c.p, dir.WPath("torn.rvd"), 9, 0, WorkersMode(4))) << k.name;
            const _KS_VOLUME v = NtfsVolume(8);
            ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256)) << k.name;
            const std::vector<unsigned char> data = PatternBytes(511 * 4096, 4);
            if (k.diskFull)
                g_workersRoom = 1 << 20;
            for (unsigned long i = 0; i < 12; ++i)
                c->WriteData(i * 511, data.data(), 511, 0);
            if (k.closeFirst) {
                EXPECT_EQ(0u, c->CloseCofran()) << k.name;
            }
        }
        g_workersRoom = -1;
        const InspectedFile f = Inspect(dir.Path() + "torn.rvd");
        EXPECT_FALSE(f.hasTail && f.tailSumOk && f.tail.EndState == -1) << k.name;
    }
}

} // namespace
