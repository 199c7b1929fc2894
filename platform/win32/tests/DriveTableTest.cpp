// The drive table: "X:\..." paths name host folders for every file call of the layer
// (the image container's too), and the drive calls answer from it.
#include "FileTestHelpers.h"
#include "PlatformTestHelpers.h"
#include "TempFolder.h"

#include <direct.h>

#include <filesystem>

namespace {

class DriveTableTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        KSDriveEntry drive;
        drive.letter = 'x';
        drive.hostFolder = folder_.Root() + "/";
        drive.type = DRIVE_REMOVABLE;
        drive.totalBytes = 64ull << 30;
        drive.freeBytes = 10ull << 30;
        drive.bytesPerSector = 512;
        drive.sectorsPerCluster = 8;
        ASSERT_TRUE(KSPlatformAddDrive(drive));
    }
    TempFolder folder_;
};

TEST_F(DriveTableTest, DrivePathsNameFilesBelowTheDrivesFolder)
{
    const std::string root = folder_.Root();
    const struct {
        const wchar_t* path;
        std::string host; // empty: no such drive
    } cases[] = {
        {L"X:\\images\\set.rvd", root + "/images/set.rvd"},
        {L"x:/images/set.rvd", root + "/images/set.rvd"},
        {L"X:", root},
        {L"X:\\", root},
        {L"X:\\images\\", root + "/images/"},
        {L"X:\\a\\.\\b\\..\\c", root + "/a/c"},
        {L"X:\\..\\..\\etc\\passwd", root + "/etc/passwd"}, // never above the drive's root
        {L"\\\\?\\X:\\long", root + "/long"},
        {L"Q:\\nothing", ""},
        {L"/plain/host/path", "/plain/host/path"},
        {L"relative\\name", "relative\\name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.host));
        EXPECT_EQ(KSPlatformHostPath(c.path), c.host);
    }
}

TEST_F(DriveTableTest, FileCallsOpenTheMappedFile)
{
    ASSERT_TRUE(CreateDirectoryW(L"X:\\images", nullptr));
    HANDLE file = CreateFileW(L"X:\\images\\set.rvd", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadWholeFile(folder_.Path("images/set.rvd")), "abc");

    file = CreateFileA("x:/images/set.rvd", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char read[4] = {};
    DWORD count = 0;
    EXPECT_TRUE(ReadFile(file, read, 3, &count, nullptr));
    EXPECT_STREQ(read, "abc");
    EXPECT_TRUE(CloseHandle(file));

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"X:\\images\\*.RVD", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, L"set.rvd");
    FindClose(search);

    EXPECT_TRUE(DeleteFileW(L"X:\\images\\set.rvd"));
    EXPECT_TRUE(RemoveDirectoryW(L"X:\\images"));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("images")));
}

TEST_F(DriveTableTest, APathOnAMissingDriveIsAMissingPath)
{
    SetLastError(0);
    EXPECT_EQ(CreateFileW(L"Q:\\set.rvd", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(L"Q:\\"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    errno = 0;
    EXPECT_EQ(_wmkdir(L"Q:\\folder"), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(DriveTableTest, DriveCallsAnswerFromTheTable)
{
    KSDriveEntry cd;
    cd.letter = 'D';
    cd.type = DRIVE_CDROM;
    ASSERT_TRUE(KSPlatformAddDrive(cd));
    EXPECT_FALSE(KSPlatformAddDrive(KSDriveEntry{})) << "no letter";

    const struct {
        const wchar_t* root;
        UINT type;
    } types[] = {
        {L"X:\\", DRIVE_REMOVABLE},   {L"x:", DRIVE_REMOVABLE},           {L"D:\\", DRIVE_CDROM},
        {L"C:\\", DRIVE_NO_ROOT_DIR}, {L"X:\\images", DRIVE_NO_ROOT_DIR}, {nullptr, DRIVE_NO_ROOT_DIR},
    };
    for (const auto& c : types)
        EXPECT_EQ(GetDriveTypeW(c.root), c.type);
    EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(GetLogicalDrives(), (1u << 3) | (1u << 23));

    wchar_t small[8];
    EXPECT_EQ(GetLogicalDriveStringsW(8, small), 9u) << "two roots and the closing NUL need 9";
    wchar_t roots[16];
    ASSERT_EQ(GetLogicalDriveStringsW(16, roots), 8u);
    EXPECT_EQ(std::wstring(roots, 9), std::wstring(L"D:\\\0X:\\\0\0", 9));

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(L"X:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    EXPECT_EQ(sectorsPerCluster, 8u);
    EXPECT_EQ(bytesPerSector, 512u);
    EXPECT_EQ(freeClusters, (10ull << 30) / 4096);
    EXPECT_EQ(totalClusters, (64ull << 30) / 4096);

    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"X:\\images\\", &available, &total, &free));
    EXPECT_EQ(available.QuadPart, 10ull << 30);
    EXPECT_EQ(total.QuadPart, 64ull << 30);
    EXPECT_EQ(free.QuadPart, 10ull << 30);

    _diskfree_t space;
    ASSERT_EQ(_getdiskfree('X' - 'A' + 1, &space), 0u);
    EXPECT_EQ(space.avail_clusters, (10ull << 30) / 4096);
    EXPECT_EQ(space.total_clusters, (64ull << 30) / 4096);
    EXPECT_EQ(space.bytes_per_sector, 512u);

    SetLastError(0);
    EXPECT_FALSE(GetDiskFreeSpaceW(L"C:\\", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(GetDiskFreeSpaceExW(L"C:\\", &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(_getdiskfree(3, &space), ERROR_INVALID_DRIVE);
    EXPECT_EQ(_getdiskfree(0, &space), ERROR_INVALID_DRIVE);
    EXPECT_EQ(_getdiskfree(27, &space), ERROR_INVALID_DRIVE);
}

TEST_F(DriveTableTest, VolumesAreFoundByDiskAndFirstSector)
{
    KSDriveEntry drive;
    drive.letter = 'E';
    drive.hasVolume = true;
    drive.volume.disk = 1;
    drive.volume.firstSector = 2048;
    drive.volume.sectors = 4096;
    ASSERT_TRUE(KSPlatformAddDrive(drive));
    EXPECT_EQ(KSPlatformDriveLetterOf(1, 2048), 'E');
    EXPECT_EQ(KSPlatformDriveLetterOf(1, 2049), 0);
    EXPECT_EQ(KSPlatformDriveLetterOf(0, 2048), 0);
    EXPECT_TRUE(KSPlatformRemoveDrive('e'));
    EXPECT_EQ(KSPlatformDriveLetterOf(1, 2048), 0);
    EXPECT_FALSE(KSPlatformRemoveDrive('E'));
}

} // namespace
