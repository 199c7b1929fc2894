#include "FileTestHelpers.h"
#include "KSWin32ScopedPosixCalls.h"
#include "TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

int StatusFlags(HANDLE file) { return ::fcntl(static_cast<int>(reinterpret_cast<intptr_t>(file)), F_GETFL); }

bool FolderTakesDirectIo(const TempFolder& folder)
{
    const int fd = ::open(folder.Path("probe").c_str(), O_RDWR | O_CREAT | O_DIRECT, 0600);
    if (fd == -1)
        return false;
    ::close(fd);
    ::unlink(folder.Path("probe").c_str());
    return true;
}

struct AlignedFree {
    void operator()(void* block) const { std::free(block); }
};

} // namespace

TEST(DirectIo, NoBufferingUsesDirectIoWithAlignedBuffers)
{
    TempFolder folder;
    if (!FolderTakesDirectIo(folder))
        GTEST_SKIP() << "the temp folder's file system refuses direct I/O";
    HANDLE file = CreateFileW(folder.WidePath("direct").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(StatusFlags(file) & O_DIRECT);

    std::unique_ptr<unsigned char, AlignedFree> block(static_cast<unsigned char*>(std::aligned_alloc(4096, 8192)));
    std::memset(block.get(), 0xA5, 8192);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(file, block.get(), 8192, &count, nullptr));
    EXPECT_EQ(count, 8192u);
    LARGE_INTEGER start{};
    ASSERT_TRUE(SetFilePointerEx(file, start, nullptr, FILE_BEGIN));
    std::memset(block.get(), 0, 8192);
    ASSERT_TRUE(ReadFile(file, block.get(), 8192, &count, nullptr));
    EXPECT_EQ(count, 8192u);
    EXPECT_EQ(block.get()[8191], 0xA5);
    CloseHandle(file);
}

// Where the file system refuses direct I/O the file still opens, buffered, and a new
// file is created exactly once.
TEST(DirectIo, FallsBackToBufferedIoWhenDirectIoIsRefused)
{
    TempFolder folder;
    KSWin32PosixCalls calls = KSWin32RealPosixCalls();
    calls.SetStatusFlags = [](int, int) {
        errno = EINVAL;
        return -1;
    };
    KSWin32ScopedPosixCalls refuseDirectIo(calls);

    HANDLE file = CreateFileW(folder.WidePath("buffered").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(StatusFlags(file) & O_DIRECT);
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file, "odd", 3, &count, nullptr));
    EXPECT_EQ(count, 3u);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(folder.Path("buffered")), "odd");
}

// Write-through only makes writes synchronous; it sets no alignment rules.
TEST(DirectIo, WriteThroughTakesUnalignedWrites)
{
    TempFolder folder;
    HANDLE file = CreateFileW(folder.WidePath("through").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_WRITE_THROUGH, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(StatusFlags(file) & O_DSYNC);
    const char text[] = "xunaligned";
    DWORD count = 0;
    EXPECT_TRUE(WriteFile(file, text + 1, 9, &count, nullptr));
    EXPECT_EQ(count, 9u);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(folder.Path("through")), "unaligned");
}
