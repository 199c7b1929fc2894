// File mappings: a reserved mapping grows its file without writing it, views at
// 64 KiB offsets read and write the file's own bytes, and the refusals a caller
// must handle come with their Win32 errors.
#include "PlatformTestHelpers.h"
#include "TempFolder.h"

#include <windows.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr uint64_t kEightMiB = 8ull << 20;

class FileMappingTest : public PlatformTest {
protected:
    HANDLE Create(const std::string& name, DWORD access = kReadWrite, DWORD disposition = CREATE_ALWAYS)
    {
        return CreateFileW(folder_.WidePath(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    TempFolder folder_;
};

TEST_F(FileMappingTest, ReservedMappingGrowsTheFileSparselyAndViewsWriteItsBytes)
{
    HANDLE file = Create("spill000.zet");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE | SEC_RESERVE, 0,
                                        static_cast<DWORD>(kEightMiB), nullptr);
    ASSERT_NE(mapping, nullptr);

    struct stat status {};
    ASSERT_EQ(::stat(folder_.Path("spill000.zet").c_str(), &status), 0);
    EXPECT_EQ(static_cast<uint64_t>(status.st_size), kEightMiB);
    EXPECT_LT(static_cast<uint64_t>(status.st_blocks) * 512, kEightMiB / 8) << "the reserved part is not written";

    // A view from 1 MiB to 1 MiB + 128 KiB; what goes in lands at that file offset.
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0x100000, 0x20000));
    ASSERT_NE(view, nullptr);
    std::memset(view + 512, 0xA5, 512);
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_TRUE(CloseHandle(file));

    std::ifstream in(folder_.Path("spill000.zet"), std::ios::binary);
    in.seekg(0x100000 + 512);
    std::string sector(512, '\0');
    in.read(&sector[0], 512);
    EXPECT_EQ(sector, std::string(512, '\xA5'));
}

TEST_F(FileMappingTest, MappingKeepsItsFileAndALargerMappingGrowsItAgain)
{
    HANDLE file = Create("grow.zet");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE small = CreateFileMappingW(file, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, 0x10000, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(CloseHandle(file)) << "the mapping keeps the file open";
    auto* first = static_cast<unsigned char*>(MapViewOfFile(small, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(first, nullptr);
    first[7] = 0x5A;
    EXPECT_TRUE(UnmapViewOfFile(first));
    EXPECT_TRUE(CloseHandle(small));

    HANDLE again = Create("grow.zet", kReadWrite, OPEN_EXISTING);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    HANDLE large = CreateFileMappingW(again, nullptr, PAGE_READWRITE, 0, 0x30000, nullptr);
    ASSERT_NE(large, nullptr);
    auto* whole = static_cast<unsigned char*>(MapViewOfFile(large, FILE_MAP_READ, 0, 0, 0x30000));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole[7], 0x5A);
    EXPECT_EQ(whole[0x2FFFF], 0);
    EXPECT_TRUE(UnmapViewOfFile(whole));
    EXPECT_TRUE(CloseHandle(large));
    EXPECT_TRUE(CloseHandle(again));
}

TEST_F(FileMappingTest, RefusalsCarryTheirErrors)
{
    HANDLE file = Create("refuse.zet");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID) << "an empty file mapped at its own size";
    EXPECT_EQ(CreateFileMappingW(file, nullptr, 0x40, 0, 0x10000, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(CreateFileMappingW(nullptr, nullptr, PAGE_READWRITE, 0, 0x10000, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, 0x40000, nullptr);
    ASSERT_NE(mapping, nullptr);
    const struct {
        DWORD offset;
        SIZE_T bytes;
        DWORD error;
    } views[] = {
        {0x8000, 0x1000, ERROR_MAPPED_ALIGNMENT}, // not at a 64 KiB boundary
        {0x30000, 0x20000, ERROR_ACCESS_DENIED},  // runs past the mapping
        {0x40000, 0, ERROR_ACCESS_DENIED},        // starts at its end
    };
    for (const auto& v : views) {
        SetLastError(0);
        EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, v.offset, v.bytes), nullptr) << v.offset;
        EXPECT_EQ(GetLastError(), v.error) << v.offset;
    }
    int local = 0;
    EXPECT_FALSE(UnmapViewOfFile(&local));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_TRUE(CloseHandle(file));

    HANDLE readOnly = Create("refuse.zet", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileMappingW(readOnly, nullptr, PAGE_READWRITE, 0, 0x10000, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE reading = CreateFileMappingW(readOnly, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(MapViewOfFile(reading, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(CloseHandle(reading));
    EXPECT_TRUE(CloseHandle(readOnly));
}

} // namespace
