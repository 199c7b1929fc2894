// Debug output, the reported version, the temporary folder, folders and the
// run-time's directory search.
#include "PlatformTestHelpers.h"
#include "TempFolder.h"

#include <direct.h>
#include <io.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace {

class MiscCallsTest : public PlatformTest {};

TEST_F(MiscCallsTest, DebugOutputIsCapturedLineByLine)
{
    OutputDebugStringA("CreatePyrelle");
    OutputDebugStringA(nullptr);
    OutputDebugStringW(L"wide \u00e9");
    OutputDebugStringA("");
    const std::vector<std::string> lines = KSPlatformDebugLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "CreatePyrelle");
    EXPECT_EQ(lines[1].substr(0, 5), "wide ");
    EXPECT_EQ(lines[2], "");
    KSPlatformClearDebugLines();
    EXPECT_TRUE(KSPlatformDebugLines().empty());
}

TEST_F(MiscCallsTest, TheVersionIsSettable)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));

    OSVERSIONINFOA seven = KSPlatformDefaultVersion();
    seven.dwMajorVersion = 6;
    seven.dwBuildNumber = 7601;
    seven.dwOSVersionInfoSize = 0; // the caller's size field is not what is reported
    KSPlatformSetVersion(seven);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwBuildNumber, 7601u);
    EXPECT_EQ(info.dwOSVersionInfoSize, sizeof info);

    info.dwOSVersionInfoSize = sizeof info - 1;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(MiscCallsTest, TheTemporaryFolderEndsWithASeparator)
{
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    const struct {
        const char* tmpdir; // null: unset
        const wchar_t* expected;
    } cases[] = {
        {"/var/scratch", L"/var/scratch/"}, {"/var/scratch/", L"/var/scratch/"}, {nullptr, L"/tmp/"}, {"", L"/tmp/"}};
    for (const auto& c : cases) {
        if (c.tmpdir)
            setenv("TMPDIR", c.tmpdir, 1);
        else
            unsetenv("TMPDIR");
        const DWORD length = static_cast<DWORD>(std::wcslen(c.expected));
        wchar_t small[4] = {L'x'};
        EXPECT_EQ(GetTempPathW(4, small), length + 1) << "the size needed";
        EXPECT_EQ(small[0], L'x') << "a small buffer is left alone";
        wchar_t buffer[MAX_PATH];
        ASSERT_EQ(GetTempPathW(MAX_PATH, buffer), length);
        EXPECT_STREQ(buffer, c.expected);
    }
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST_F(MiscCallsTest, FoldersAreMadeAndRemovedWithWindowsErrors)
{
    TempFolder folder;
    const std::wstring made = folder.WidePath("made");
    EXPECT_EQ(_wmkdir(made.c_str()), 0);
    EXPECT_EQ(_wmkdir(made.c_str()), -1);
    EXPECT_EQ(errno, EEXIST);
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryW(made.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(folder.WidePath("no/parent").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    HANDLE inside = CreateFileW((made + L"/file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(inside, INVALID_HANDLE_VALUE);
    CloseHandle(inside);
    const struct {
        std::wstring path;
        DWORD error;
    } refusals[] = {
        {made, ERROR_DIR_NOT_EMPTY},
        {made + L"/file", ERROR_DIRECTORY},
        {folder.WidePath("missing"), ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : refusals) {
        SetLastError(0);
        EXPECT_FALSE(RemoveDirectoryW(c.path.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
    }
    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(made.c_str())) << "a folder is no file";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(DeleteFileW((made + L"/file").c_str()));
    EXPECT_FALSE(DeleteFileW((made + L"/file").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(_wrmdir(made.c_str()), 0);
    EXPECT_EQ(_wrmdir(made.c_str()), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(MiscCallsTest, TheRuntimeSearchListsFilesAndFolders)
{
    TempFolder folder;
    ASSERT_EQ(_wmkdir(folder.WidePath("sub").c_str()), 0);
    for (const char* name : {"a.rvd", "B.RVD", "c.txt"}) {
        HANDLE file = CreateFileW(folder.WidePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        DWORD written;
        WriteFile(file, "1234", static_cast<DWORD>(std::strlen(name)), &written, nullptr);
        CloseHandle(file);
    }
    KSDriveEntry drive;
    drive.letter = 'Y';
    drive.hostFolder = folder.Root();
    ASSERT_TRUE(KSPlatformAddDrive(drive));

    const struct {
        const wchar_t* pattern;
        std::map<std::wstring, unsigned> found; // name -> attributes
    } cases[] = {
        {L"Y:\\*.rvd", {{L"a.rvd", _A_ARCH}, {L"B.RVD", _A_ARCH}}},
        {L"Y:*.txt", {{L"c.txt", _A_ARCH}}},
        {L"Y:\\*",
         {{L".", _A_SUBDIR},
          {L"..", _A_SUBDIR},
          {L"sub", _A_SUBDIR},
          {L"a.rvd", _A_ARCH},
          {L"B.RVD", _A_ARCH},
          {L"c.txt", _A_ARCH}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.found.size());
        std::map<std::wstring, unsigned> found;
        _wfinddata64_t entry;
        intptr_t search = _wfindfirst64(c.pattern, &entry);
        ASSERT_NE(search, -1);
        do {
            found[entry.name] = entry.attrib & (_A_SUBDIR | _A_ARCH);
            if (std::wstring(entry.name) == L"a.rvd") {
                EXPECT_EQ(entry.size, 5);
            }
        } while (_wfindnext64(search, &entry) == 0);
        EXPECT_EQ(errno, ENOENT);
        EXPECT_EQ(_findclose(search), 0);
        EXPECT_EQ(found, c.found);
    }
    _wfinddata64_t entry;
    errno = 0;
    EXPECT_EQ(_wfindfirst64(L"Y:\\*.iso", &entry), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_wfindfirst64(folder.WidePath("missing/*").c_str(), &entry), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(_findclose(12345), -1);
    EXPECT_EQ(errno, EINVAL);
}

} // namespace
