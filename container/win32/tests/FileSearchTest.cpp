#include "FileTestHelpers.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Every name FindFirstFileW/FindNextFileW report for pattern, sorted (the order
// of a search is the directory's).
std::vector<std::wstring> FindAll(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(search));
    std::sort(names.begin(), names.end());
    return names;
}

class FileSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.rvd", "B.RVD", "c.txt", "abc.rvd.bak", "img001.rvd"})
            WriteWholeFile(folder_.Path(name), name);
        std::filesystem::create_directory(folder_.Path("d.rvd"));
        WriteWholeFile(folder_.Path("d.rvd/inner.rvd"), "not found: inside a subfolder");
        ASSERT_EQ(::symlink("a.rvd", folder_.Path("link.rvd").c_str()), 0);
    }
    std::wstring Pattern(const std::string& name) const { return folder_.WidePath(name); }

    TempFolder folder_;
};

} // namespace

TEST_F(FileSearch, MatchesNamesWithoutRegardToCaseAndSkipsFolders)
{
    const std::vector<std::wstring> rvd = {L"B.RVD", L"a.rvd", L"img001.rvd", L"link.rvd"};
    EXPECT_EQ(FindAll(Pattern("*.rvd")), rvd);
    EXPECT_EQ(FindAll(Pattern("*.RVD")), rvd);
    const std::vector<std::wstring> all = {L"B.RVD", L"a.rvd", L"abc.rvd.bak", L"c.txt", L"img001.rvd", L"link.rvd"};
    EXPECT_EQ(FindAll(Pattern("*")), all);
    EXPECT_EQ(FindAll(Pattern("img???.rvd")), std::vector<std::wstring>{L"img001.rvd"});
}

TEST_F(FileSearch, AcceptsBackslashAsTheLastSeparator)
{
    EXPECT_EQ(FindAll(TempFolder::Widen(folder_.Root()) + L"\\*.txt"), std::vector<std::wstring>{L"c.txt"});
}

TEST_F(FileSearch, FillsSizeAndModeAndZeroesTheRest)
{
    WriteWholeFile(folder_.Path("big.bin"), std::string(5000, 'z'));
    WIN32_FIND_DATAW found;
    std::memset(&found, 0xCC, sizeof found);
    HANDLE search = FindFirstFileW(Pattern("big.bin").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(found.cFileName), L"big.bin");
    EXPECT_EQ(found.nFileSizeLow, 5000u);
    EXPECT_EQ(found.nFileSizeHigh, 0u);
    EXPECT_TRUE(S_ISREG(found.dwFileAttributes));
    EXPECT_EQ(found.ftLastWriteTime.dwLowDateTime, 0u);
    EXPECT_EQ(found.cAlternateFileName[0], L'\0');
    EXPECT_FALSE(FindNextFileW(search, &found));
    EXPECT_EQ(found.cFileName[0], L'\0');
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FileSearch, WithoutOutTheHandleComesFirstAndNextFindsTheMatch)
{
    HANDLE search = FindFirstFileW(Pattern("c.*").c_str(), nullptr);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    WIN32_FIND_DATAW found;
    ASSERT_TRUE(FindNextFileW(search, &found));
    EXPECT_EQ(std::wstring(found.cFileName), L"c.txt");
    EXPECT_FALSE(FindNextFileW(search, &found));
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FileSearch, FailuresReturnTheInvalidHandle)
{
    WIN32_FIND_DATAW found;
    EXPECT_EQ(FindFirstFileW(Pattern("*.iso").c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(Pattern("missing/*").c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(nullptr, &found), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(LastErrorIsBadArgument());
    EXPECT_EQ(FindFirstFileW(L"", &found), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(LastErrorIsBadArgument());
}

TEST_F(FileSearch, StrayHandlesAreRefusedNotFollowed)
{
    WIN32_FIND_DATAW found;
    EXPECT_TRUE(FindClose(nullptr));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &found));
    // A file handle is no search handle.
    HANDLE file = CreateFileW(Pattern("c.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileW(file, &found));
    EXPECT_TRUE(LastErrorIsBadArgument());
    EXPECT_FALSE(FindClose(file));
    EXPECT_TRUE(CloseHandle(file));

    HANDLE search = FindFirstFileW(Pattern("*").c_str(), nullptr);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileW(search, nullptr));
    EXPECT_TRUE(FindClose(search));
}
