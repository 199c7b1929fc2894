// Faults of the disk under the writer, injected through the Win32-call layer's
// seam: a full disk, a vanished device and writes that stop short. Whatever
// fails, no file may end with a tail that says the set is complete.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <unistd.h>

#include "KSWin32ScopedPosixCalls.h"
#include "TestSet.h"

namespace {

// Bytes the injected disk still takes; the write that would pass it fails with
// the chosen error after writing what fits.
std::atomic<long long> g_room{0};
std::atomic<int> g_error{ENOSPC};

ssize_t LimitedWrite(int fd, const void* data, size_t size)
{
    const long long room = g_room.load();
    if (room <= 0) {
        errno = g_error.load();
        return -1;
    }
    const size_t take = size < static_cast<size_t>(room) ? size : static_cast<size_t>(room);
    const ssize_t n = ::write(fd, data, take);
    if (n > 0)
        g_room -= n;
    return n;
}

ssize_t ZeroWrite(int, const void*, size_t) { return 0; }

KSWin32PosixCalls Calls(ssize_t (*write)(int, const void*, size_t))
{
    KSWin32PosixCalls calls = KSWin32RealPosixCalls();
    calls.Write = write;
    return calls;
}

// A complete tail at the end of the file that says the set is complete.
bool ClaimsComplete(const std::string& path)
{
    const InspectedFile f = Inspect(path);
    return f.hasTail && f.tailSumOk && f.tail.EndState == -1;
}

TEST(WriterFault, FullDiskMidWriteIsTargetFullAndNoTailClaimsTheSetComplete)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("full.rvd"), 0));
    const _KS_VOLUME v = NtfsVolume(8);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> data = RandomBytes(511 * 4096, 3);
    unsigned long rc = 0;
    {
        g_room = 12ll << 20; // the first 8 MiB piece fits, the second does not
        g_error = ENOSPC;
        KSWin32ScopedPosixCalls disk(Calls(&LimitedWrite));
        // Blocks compressed ahead meet the full disk a few calls later: enough calls
        // that the writer has to place some of them while the caller writes.
        for (unsigned long i = 0; i < 40 && rc == 0; ++i)
            rc = c->WriteData(i * 511, data.data(), 511, 0);
        EXPECT_EQ(0x00Bu, Kind(rc)) << "a full disk is the target-full kind the engine continues on";
        EXPECT_EQ(0x00Bu, Kind(c->EndBackup(0)));
        EXPECT_FALSE(ClaimsComplete(dir.Path() + "full.rvd"));
    }
    // With room again the caller can end the file as the first of a continuing set.
    ASSERT_EQ(0u, c->EndBackup(1));
    const InspectedFile f = Inspect(dir.Path() + "full.rvd");
    EXPECT_TRUE(f.tailSumOk);
    EXPECT_EQ(0, f.tail.EndState);
    EXPECT_EQ(0x1000u, f.tail.Flags & 0x1000);
}

TEST(WriterFault, AFailureWhileWritingTheLastPieceCutsTheTailAway)
{
    // The room ends at every byte position around the tail: before it, inside it,
    // exactly after it (where the file would otherwise end with a whole tail) and
    // inside the padding.
    ScratchFolder probe;
    uint64_t trueLength = 0;
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, probe.WPath("probe.rvd"), 0));
        ASSERT_EQ(0u, c->EndBackup(0));
        trueLength = Inspect(probe.Path() + "probe.rvd").bytes.size();
    }
    const long long rooms[] = {0, 100, (long long)trueLength - 100, (long long)trueLength,
                               (long long)trueLength + 10};
    for (long long room : rooms) {
        ScratchFolder dir;
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("last.rvd"), 0));
        g_room = room;
        g_error = ENOSPC;
        unsigned long rc;
        {
            KSWin32ScopedPosixCalls disk(Calls(&LimitedWrite));
            rc = c->EndBackup(0);
        }
        EXPECT_EQ(0x00Bu, Kind(rc)) << room;
        EXPECT_FALSE(ClaimsComplete(dir.Path() + "last.rvd")) << room;
    }
}

TEST(WriterFault, VanishedDeviceAndShortWritesHaveTheirKinds)
{
    struct Case {
        ssize_t (*write)(int, const void*, size_t);
        int error;
        unsigned long kind;
    } cases[] = {
        {&LimitedWrite, ENXIO, 0x05D},
        {&LimitedWrite, EIO, 0x05D},
        {&LimitedWrite, EFBIG, 0x00B},
        {&ZeroWrite, 0, 0x107},
    };
    for (const Case& k : cases) {
        ScratchFolder dir;
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("gone.rvd"), 0));
        g_room = 0;
        g_error = k.error;
        unsigned long rc;
        {
            KSWin32ScopedPosixCalls disk(Calls(k.write));
            rc = c->EndBackup(0);
        }
        EXPECT_EQ(k.kind, Kind(rc)) << k.error;
        EXPECT_FALSE(ClaimsComplete(dir.Path() + "gone.rvd"));
    }
}

ssize_t DribbleWrite(int fd, const void* data, size_t size)
{
    // Takes at most 1000 bytes a call, like a pipe or a slow network share.
    return ::write(fd, data, size < 1000 ? size : 1000);
}

TEST(WriterFault, WritesThatTakeLittleAtATimeStillMakeAWholeSet)
{
    ScratchFolder dir;
    CofranPtr c;
    KSWin32ScopedPosixCalls disk(Calls(&DribbleWrite));
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("dribble.rvd"), 1));
    const _KS_VOLUME v = NtfsVolume(8);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> data = PatternBytes(100 * 4096, 2);
    ASSERT_EQ(0u, c->WriteData(0, data.data(), 100, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    EXPECT_TRUE(ClaimsComplete(dir.Path() + "dribble.rvd"));
}

} // namespace
