// Failures of the device under the layer, injected through the POSIX-call seam.
#include "FileTestHelpers.h"
#include "KSFileExt.h"
#include "KSWin32ScopedPosixCalls.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace {

std::atomic<int> injectedErrno{0};
std::atomic<size_t> bytesBeforeFailure{0}; // how much the device still takes
std::atomic<size_t> largestWrite{0};       // the most one write call accepts

ssize_t FailingWrite(int, const void*, size_t)
{
    errno = injectedErrno;
    return -1;
}

ssize_t FailingRead(int, void*, size_t)
{
    errno = injectedErrno;
    return -1;
}

// Writes at most largestWrite bytes a call through the real call; once
// bytesBeforeFailure is used up, fails with injectedErrno (0: accepts nothing more).
ssize_t LimitedWrite(int fd, const void* data, size_t size)
{
    const size_t room = bytesBeforeFailure;
    if (room == 0) {
        if (injectedErrno == 0)
            return 0;
        errno = injectedErrno;
        return -1;
    }
    size_t take = size < largestWrite ? size : largestWrite.load();
    take = take < room ? take : room;
    const ssize_t n = ::write(fd, data, take);
    if (n > 0)
        bytesBeforeFailure -= static_cast<size_t>(n);
    return n;
}

// Hands out at most five bytes a call, as a pipe or a slow device may.
ssize_t TrickleRead(int fd, void* buffer, size_t size) { return ::read(fd, buffer, size < 5 ? size : 5); }

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override
    {
        file_ = CreateFileW(folder_.WidePath("image.rvd").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file_, INVALID_HANDLE_VALUE);
        injectedErrno = 0;
        bytesBeforeFailure = 0;
        largestWrite = 0;
    }
    void TearDown() override { CloseHandle(file_); }

    KSWin32PosixCalls With(decltype(KSWin32PosixCalls::Write) write, decltype(KSWin32PosixCalls::Read) read = nullptr)
    {
        KSWin32PosixCalls calls = KSWin32RealPosixCalls();
        if (write)
            calls.Write = write;
        if (read)
            calls.Read = read;
        return calls;
    }

    TempFolder folder_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    const std::string payload_ = std::string(1000, 'p');
};

} // namespace

// The C library's error numbers reach callers as the Win32 numbers they compare.
TEST_F(FaultInjection, WriteErrorsReportTheirWin32Numbers)
{
    struct Case {
        int err;
        DWORD win32;
    };
    const Case cases[] = {
        {ENOSPC, 112}, {EDQUOT, 112}, {EFBIG, 39}, {ENXIO, 1}, {ENODEV, 1}, {EIO, 64},
        {ESTALE, 64},  {EACCES, 5},   {EPERM, 5},  {EEXIST, 183}, {ENOENT, 2}, {EROFS, ERROR_WRITE_PROTECT},
        {EPROTO, ERROR_GEN_FAILURE},
    };
    KSWin32ScopedPosixCalls failing(With(&FailingWrite));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        injectedErrno = c.err;
        DWORD written = 77;
        EXPECT_FALSE(WriteFile(file_, payload_.data(), 10, &written, nullptr));
        EXPECT_EQ(written, 0u);
        EXPECT_EQ(GetLastError(), c.win32);
    }
}

TEST_F(FaultInjection, FullDiskAfterPartOfTheWriteIsAFailureNotAShortWrite)
{
    // The device takes 300 bytes in one call, then reports the full disk only on the
    // next call, as Linux does.
    injectedErrno = ENOSPC;
    bytesBeforeFailure = 300;
    largestWrite = 1 << 20;
    KSWin32ScopedPosixCalls fullDisk(With(&LimitedWrite));
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(file_, payload_.data(), static_cast<DWORD>(payload_.size()), &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(written, 300u);
}

TEST_F(FaultInjection, PartialWritesAreContinuedUntilEverythingIsWritten)
{
    bytesBeforeFailure = 1 << 20;
    largestWrite = 7;
    KSWin32ScopedPosixCalls trickle(With(&LimitedWrite));
    DWORD written = 0;
    ASSERT_TRUE(WriteFileExt(file_, payload_.data(), 0, 0, static_cast<DWORD>(payload_.size()), &written, nullptr));
    EXPECT_EQ(written, payload_.size());
    EXPECT_EQ(ReadWholeFile(folder_.Path("image.rvd")), payload_);
}

TEST_F(FaultInjection, PartialReadsAreContinuedUntilTheEndOfTheFile)
{
    ASSERT_TRUE(WriteFile(file_, payload_.data(), 23, nullptr, nullptr));
    KSWin32ScopedPosixCalls trickle(With(nullptr, &TrickleRead));
    char buffer[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFileExt(file_, buffer, 0, 0, 20, &read, nullptr));
    EXPECT_EQ(read, 20u);
    ASSERT_TRUE(ReadFile(file_, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(std::string(buffer, 3), "ppp");
}

TEST_F(FaultInjection, WriteThatStopsMakingProgressIsReportedAsShort)
{
    bytesBeforeFailure = 64;
    largestWrite = 1 << 20;
    KSWin32ScopedPosixCalls stalled(With(&LimitedWrite));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file_, payload_.data(), static_cast<DWORD>(payload_.size()), &written, nullptr));
    EXPECT_EQ(written, 64u);
}

TEST_F(FaultInjection, VanishedDeviceFailsReadsAndWrites)
{
    ASSERT_TRUE(WriteFile(file_, payload_.data(), 100, nullptr, nullptr));
    KSWin32ScopedPosixCalls gone(With(&FailingWrite, &FailingRead));
    char buffer[100];
    DWORD count = 5;
    for (int err : {ENXIO, EIO}) {
        injectedErrno = err;
        EXPECT_FALSE(ReadFileExt(file_, buffer, 0, 0, sizeof buffer, &count, nullptr));
        EXPECT_EQ(count, 0u);
        const DWORD readError = GetLastError();
        EXPECT_FALSE(WriteFileExt(file_, buffer, 0, 0, sizeof buffer, &count, nullptr));
        EXPECT_EQ(GetLastError(), readError);
        EXPECT_EQ(readError, err == ENXIO ? ERROR_INVALID_FUNCTION : ERROR_NETNAME_DELETED);
    }
}

TEST(FaultInjectionOnOpen, RefusedOpenReportsAccessDenied)
{
    TempFolder folder;
    KSWin32PosixCalls calls = KSWin32RealPosixCalls();
    calls.Open = [](const char*, int, mode_t) {
        errno = EACCES;
        return -1;
    };
    {
        KSWin32ScopedPosixCalls denied(calls);
        EXPECT_EQ(CreateFileW(folder.WidePath("x").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    // The guard put the real calls back.
    HANDLE file = CreateFileW(folder.WidePath("x").c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}
