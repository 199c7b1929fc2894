// The writer's 8 MiB buffer: whole pieces, the padded last piece and the cut.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>
#include <unistd.h>

#include "KSWin32ScopedPosixCalls.h"
#include "TestSet.h"
#include "WriteBuffer.h"

namespace {

std::vector<size_t> g_sizes;

ssize_t RecordingWrite(int fd, const void* data, size_t size)
{
    g_sizes.push_back(size);
    return ::write(fd, data, size);
}

TEST(WriteBuffer, PiecesAreWholeAndTheLastIsPaddedThenCut)
{
    struct Case {
        std::vector<uint32_t> appends;
        std::vector<size_t> writes;
        uint64_t length;
    } cases[] = {
        {{8192}, {12288}, 8192},                        // exactly 8,192: written as 12,288, cut to 8,192
        {{1}, {4096}, 1},
        {{4095}, {4096}, 4095},
        {{8u << 20, 100}, {8u << 20, 4096}, (8u << 20) + 100},
        {{5u << 20, 5u << 20}, {8u << 20, 4096 * 513}, 10u << 20},
        {{0}, {4096}, 0},
    };
    for (const Case& k : cases) {
        ScratchFolder dir;
        const std::wstring path = dir.WPath("b.bin");
        CofranFile file;
        ASSERT_TRUE(file.Create(path.c_str(), true));
        WriteBuffer buffer;
        ASSERT_TRUE(buffer.Allocate());
        buffer.Restart();
        g_sizes.clear();
        KSWin32PosixCalls calls = KSWin32RealPosixCalls();
        calls.Write = &RecordingWrite;
        {
            KSWin32ScopedPosixCalls seam(calls);
            for (uint32_t n : k.appends) {
                const std::vector<unsigned char> data = PatternBytes(n, n);
                ASSERT_EQ(0u, buffer.Append(file, buffer.Position(), data.data(), n));
            }
            ASSERT_EQ(0u, buffer.Finish(file, path.c_str()));
        }
        EXPECT_EQ(k.writes, g_sizes);
        EXPECT_EQ(k.length, Inspect(path).bytes.size());
    }
}

TEST(WriteBuffer, AWriteThatDoesNotContinueTheBufferIsRefused)
{
    ScratchFolder dir;
    CofranFile file;
    ASSERT_TRUE(file.Create(dir.WPath("x.bin").c_str(), false));
    WriteBuffer buffer;
    ASSERT_TRUE(buffer.Allocate());
    buffer.Restart();
    const unsigned char byte = 1;
    ASSERT_EQ(0u, buffer.Append(file, 0, &byte, 1));
    EXPECT_EQ(0x006u, Kind(buffer.Append(file, 0, &byte, 1)));
    EXPECT_EQ(0x006u, Kind(buffer.Append(file, 5, &byte, 1)));
    EXPECT_EQ(1u, buffer.Position());
}

} // namespace
