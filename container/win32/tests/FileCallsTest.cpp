#include "FileTestHelpers.h"
#include "KSFileExt.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <windows.h>

#include <clocale>
#include <cstring>
#include <filesystem>

namespace {

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags = 0)
{
    return CreateFileW(path.c_str(), access, 0, nullptr, disposition, flags, nullptr);
}

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

LONGLONG SizeOf(HANDLE file)
{
    LARGE_INTEGER size{};
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    return size.QuadPart;
}

LONGLONG Seek(HANDLE file, LONGLONG distance, DWORD method)
{
    LARGE_INTEGER move{};
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    position.QuadPart = -12345;
    if (!SetFilePointerEx(file, move, &position, method))
        return -1;
    return position.QuadPart;
}

} // namespace

TEST(CreateFileW, CreateNewOnAnExistingFileFailsWithAlreadyExists)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("Ind0.tmp"), "taken");
    SetLastError(0);
    EXPECT_EQ(Open(folder.WidePath("Ind0.tmp"), kReadWrite, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 183u);
    EXPECT_EQ(ReadWholeFile(folder.Path("Ind0.tmp")), "taken");

    HANDLE fresh = Open(folder.WidePath("Ind1.tmp"), kReadWrite, CREATE_NEW);
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(fresh));
}

TEST(CreateFileW, DispositionsOnExistingAndMissingFiles)
{
    struct Case {
        DWORD disposition;
        bool opensExisting;
        LONGLONG sizeAfterOpeningExisting;
        bool opensMissing;
        DWORD errorForMissing;
    };
    const Case cases[] = {
        {CREATE_NEW, false, 0, true, 0},
        {CREATE_ALWAYS, true, 0, true, 0},
        {OPEN_EXISTING, true, 5, false, ERROR_FILE_NOT_FOUND},
        {OPEN_ALWAYS, true, 5, true, 0},
        {TRUNCATE_EXISTING, true, 0, false, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disposition);
        TempFolder folder;
        WriteWholeFile(folder.Path("existing"), "12345");

        HANDLE existing = Open(folder.WidePath("existing"), kReadWrite, c.disposition);
        EXPECT_EQ(existing != INVALID_HANDLE_VALUE, c.opensExisting);
        if (existing != INVALID_HANDLE_VALUE) {
            EXPECT_EQ(SizeOf(existing), c.sizeAfterOpeningExisting);
            CloseHandle(existing);
        }

        HANDLE missing = Open(folder.WidePath("missing"), kReadWrite, c.disposition);
        EXPECT_EQ(missing != INVALID_HANDLE_VALUE, c.opensMissing);
        if (missing != INVALID_HANDLE_VALUE) {
            struct stat status;
            ASSERT_EQ(::stat(folder.Path("missing").c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, 0600u);
            CloseHandle(missing);
        } else {
            EXPECT_EQ(GetLastError(), c.errorForMissing);
        }
    }
}

TEST(CreateFileW, RefusesBadArgumentsWithAContainerResultCode)
{
    TempFolder folder;
    const std::wstring path = folder.WidePath("file");
    struct Case {
        const wchar_t* path;
        DWORD disposition;
    };
    const Case cases[] = {{nullptr, OPEN_ALWAYS}, {L"", OPEN_ALWAYS}, {path.c_str(), 0}, {path.c_str(), 6}};
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(CreateFileW(c.path, kReadWrite, 0, nullptr, c.disposition, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_TRUE(LastErrorIsBadArgument()) << std::hex << GetLastError();
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path("file")));
}

TEST(CreateFileW, TruncatingNeedsWriteAccess)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("keep"), "precious");
    EXPECT_EQ(Open(folder.WidePath("keep"), GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(folder.Path("keep")), "precious");
}

TEST(CreateFileW, ReadOnlyHandleRefusesWrites)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("ro"), "abc");
    HANDLE file = Open(folder.WidePath("ro"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(file, "xyz", 3, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(folder.Path("ro")), "abc");
}

TEST(CreateFileW, PathWithManyMultibyteCharactersIsConvertedWhole)
{
    TempFolder folder;
    const std::string savedLocale = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        GTEST_SKIP() << "no UTF-8 locale";
    // 80 characters of three UTF-8 bytes each: 240 bytes, more than twice the
    // character count plus ten.
    std::wstring name(80, L'\u6587');
    std::string utf8Name;
    for (int i = 0; i < 80; ++i)
        utf8Name += "\xE6\x96\x87";
    HANDLE file = CreateFileW((TempFolder::Widen(folder.Root()) + L"/" + name).c_str(), kReadWrite, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    std::setlocale(LC_CTYPE, savedLocale.c_str());
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(std::filesystem::exists(folder.Path(utf8Name)));
}

TEST(ReadWriteFile, ReadWriteOpenOfAnExistingFileRoundTrips)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("data"), "old contents here");
    HANDLE file = Open(folder.WidePath("data"), kReadWrite, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    const char text[] = "new!";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text, 4, &written, nullptr));
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(Seek(file, 0, FILE_BEGIN), 0);
    char back[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, back, sizeof back, &read, nullptr));
    EXPECT_EQ(std::string(back, read), "new!contents here");

    // At the end of the file a read succeeds with nothing read.
    ASSERT_TRUE(ReadFile(file, back, sizeof back, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(file));
}

TEST(ReadWriteFile, RefusesOverlappedAndBadHandles)
{
    TempFolder folder;
    HANDLE file = Open(folder.WidePath("f"), kReadWrite, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    alignas(8) unsigned char overlapped[32] = {};
    DWORD count = 7;
    EXPECT_FALSE(WriteFile(file, "x", 1, &count, reinterpret_cast<LPOVERLAPPED>(overlapped)));
    EXPECT_TRUE(LastErrorIsBadArgument());
    EXPECT_FALSE(ReadFile(file, overlapped, 1, &count, reinterpret_cast<LPOVERLAPPED>(overlapped)));
    EXPECT_EQ(SizeOf(file), 0);
    CloseHandle(file);

    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, overlapped, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(SetFilePointerEx, MovesByEachMethodAndRefusesOthers)
{
    TempFolder folder;
    HANDLE file = Open(folder.WidePath("f"), kReadWrite, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &written, nullptr));

    struct Step {
        LONGLONG distance;
        DWORD method;
        LONGLONG expected; // -1: the move fails
    };
    const Step steps[] = {
        {3, FILE_BEGIN, 3},   {4, FILE_CURRENT, 7}, {-2, FILE_CURRENT, 5}, {-4, FILE_END, 6},
        {5, FILE_END, 15},    {0, 3, -1},           {-1, FILE_BEGIN, -1},  {-100, FILE_CURRENT, -1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.distance);
        EXPECT_EQ(Seek(file, step.distance, step.method), step.expected);
    }
    // A bad method is the layer's own refusal; the failed moves left the pointer at 15.
    EXPECT_EQ(Seek(file, 0, FILE_CURRENT), 15);
    LARGE_INTEGER zero{};
    SetFilePointerEx(file, zero, nullptr, 7);
    EXPECT_TRUE(LastErrorIsBadArgument());
    EXPECT_TRUE(SetFilePointerEx(file, zero, nullptr, FILE_BEGIN));
    CloseHandle(file);
}

TEST(SetEndOfFile, CutsTheFileAtThePointer)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("f"), "0123456789");
    HANDLE file = Open(folder.WidePath("f"), kReadWrite, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Seek(file, 4, FILE_BEGIN), 4);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(SizeOf(file), 4);
    // Growing works the same way: past the end, then cut there.
    EXPECT_EQ(Seek(file, 8, FILE_BEGIN), 8);
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(SizeOf(file), 8);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(folder.Path("f")), std::string("0123\0\0\0\0", 8));
    EXPECT_FALSE(SetEndOfFile(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(GetFileSizeEx(INVALID_HANDLE_VALUE, nullptr));
}

TEST(ReadWriteFileExt, UseBothWordsOfThePosition)
{
    TempFolder folder;
    HANDLE file = Open(folder.WidePath("sparse"), kReadWrite, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    // 4 GiB + 16: the high word must reach the seek (the file stays sparse).
    ASSERT_TRUE(WriteFileExt(file, "high", 0x10, 1, 4, &count, nullptr));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(SizeOf(file), 0x100000014LL);
    ASSERT_TRUE(WriteFileExt(file, "low", 2, 0, 3, &count, nullptr));

    char back[8] = {};
    ASSERT_TRUE(ReadFileExt(file, back, 0x10, 1, 4, &count, nullptr));
    EXPECT_EQ(std::string(back, count), "high");
    ASSERT_TRUE(ReadFileExt(file, back, 0, 0, 5, &count, nullptr));
    EXPECT_EQ(std::string(back, count), std::string("\0\0low", 5));

    // Size 0 returns at once and leaves the pointer where it was.
    count = 9;
    EXPECT_TRUE(ReadFileExt(file, back, 100, 0, 0, &count, nullptr));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Seek(file, 0, FILE_CURRENT), 5);
    CloseHandle(file);
}

TEST(FileAttributes, ReportModeOfPresentFilesAndInvalidForMissingOnes)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("here"), "x");
    const DWORD attributes = GetFileAttributesW(folder.WidePath("here").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(S_ISREG(attributes));

    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(folder.WidePath("gone").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(SetFileAttributesW(folder.WidePath("here").c_str(), FILE_ATTRIBUTE_READONLY));
}

TEST(DeleteFileW, RemovesFilesAndReportsMissingOnes)
{
    TempFolder folder;
    WriteWholeFile(folder.Path("doomed"), "x");
    EXPECT_TRUE(DeleteFileW(folder.WidePath("doomed").c_str()));
    EXPECT_FALSE(std::filesystem::exists(folder.Path("doomed")));
    EXPECT_FALSE(DeleteFileW(folder.WidePath("doomed").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(nullptr));
    EXPECT_TRUE(LastErrorIsBadArgument());
}
