// Volumes of a disk image in the disk map: their names, mount points, the mount
// manager's answer, the drive layout, and files read and written whole inside NTFS
// and FAT volumes, checked with the file systems' own tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <winioctl.h>

#include "CDiskMap.h"
#include "CommandOutput.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "LittleEndian.h"
#include "PlatformTestHelpers.h"
#include "restore/WindowsSystemDisk.h"

namespace {

class VolumeFilesTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        const std::string fixture = MakeWindowsSystemDisk();
        ASSERT_FALSE(fixture.empty());
        disk_ = std::string(RVD_FIXTURE_CACHE) + "/volume-files-" + std::to_string(getpid()) + ".img";
        std::system(("cp --sparse=always '" + fixture + "' '" + disk_ + "'").c_str());
        setenv(CDiskMap::kImagesVariable, disk_.c_str(), 1);
    }
    void TearDown() override
    {
        std::remove(disk_.c_str());
        PlatformTest::TearDown();
    }
    std::string VolumePath(const WindowsSystemVolume& v, const std::string& file) const
    {
        return "\\\\?\\Volume" + KSPlatformVolumeGuid(0, v.start) + "\\" + file;
    }
    std::string Extract(const WindowsSystemVolume& v) const
    {
        const std::string out = disk_ + ".part";
        std::system(("dd if='" + disk_ + "' of='" + out + "' bs=512 skip=" + std::to_string(v.start) +
                     " count=" + std::to_string(v.sectors) + " status=none").c_str());
        return out;
    }
    std::string disk_;
};

TEST_F(VolumeFilesTest, FilesOfNtfsAndFatVolumesAreReadAndReplacedWhole)
{
    struct Case {
        WindowsSystemVolume volume;
        bool ntfs;
    } const cases[] = {{kSystemNtfs, true}, {kSystemFat32, false}, {kLogicalNtfs, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume.start);
        std::string text;
        ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileRead(VolumePath(c.volume, "boot.ini").c_str(), text));
        EXPECT_NE(std::string::npos, text.find("partition(" + std::to_string(c.volume.partition) + ")\\WINDOWS"));
        std::string hive;
        ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileRead(VolumePath(c.volume, "windows\\SYSTEM32\\config\\system").c_str(),
                                                  hive))
            << "names compare without regard to case";
        EXPECT_EQ(0, hive.compare(0, 4, "regf"));
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, KSVolumeFileRead(VolumePath(c.volume, "nothing.ini").c_str(), text));

        // Longer than the file was: the volume makes room; the other files stay.
        const std::string grown = std::string(9000, 'x') + "\r\nend\r\n";
        ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileWrite(VolumePath(c.volume, "boot.ini").c_str(), grown));
        const std::string part = Extract(c.volume);
        if (c.ntfs) {
            EXPECT_EQ(grown, CommandOutput("ntfscat '" + part + "' boot.ini"));
            EXPECT_EQ(hive, CommandOutput("ntfscat '" + part + "' Windows/system32/config/system"));
            int status = 0;
            CommandOutput("ntfsfix -n '" + part + "' >/dev/null 2>&1", &status);
            EXPECT_EQ(0, status);
        } else {
            EXPECT_EQ(grown, CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + part + "' ::/boot.ini"));
            int status = 0;
            CommandOutput("fsck.fat -n '" + part + "' >/dev/null 2>&1", &status);
            EXPECT_EQ(0, status);
        }
        // Shorter again; then an injected failure leaves the file as it is.
        ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileWrite(VolumePath(c.volume, "boot.ini").c_str(), "short"));
        KSPlatformSetVolumeWriteError(ERROR_WRITE_FAULT);
        EXPECT_EQ(ERROR_WRITE_FAULT, KSVolumeFileWrite(VolumePath(c.volume, "boot.ini").c_str(), "other"));
        KSPlatformSetVolumeWriteError(ERROR_SUCCESS);
        ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileRead(VolumePath(c.volume, "boot.ini").c_str(), text));
        EXPECT_EQ("short", text);
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, KSVolumeFileWrite(VolumePath(c.volume, "new.ini").c_str(), "x"))
            << "files are edited, never made";
    }
    EXPECT_FALSE(KSVolumeFilePath(VolumePath(kSystemNtfs, "..\\boot.ini").c_str())) << "no path climbs out of its volume";
}

TEST_F(VolumeFilesTest, MountPointsNamesTheMountManagerAndTheLayoutAgree)
{
    const std::string guid = KSPlatformVolumeGuid(0, kSystemFat32.start);
    unsigned disk = 9;
    uint64_t first = 0;
    ASSERT_TRUE(KSPlatformParseVolumeGuid(std::wstring(guid.begin(), guid.end()), disk, first));
    EXPECT_EQ(0u, disk);
    EXPECT_EQ(kSystemFat32.start, first);
    EXPECT_FALSE(KSPlatformParseVolumeGuid(L"{00000000-0000-0000-0000-000000000000}", disk, first));

    const std::wstring volume = L"\\\\?\\Volume" + std::wstring(guid.begin(), guid.end()) + L"\\";
    ASSERT_TRUE(SetVolumeMountPointW(L"E:\\", volume.c_str()));
    // The letter's files are the volume's files.
    std::string text;
    ASSERT_EQ(ERROR_SUCCESS, KSVolumeFileRead("E:\\boot.ini", text));
    EXPECT_NE(std::string::npos, text.find("partition(2)"));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE, GetFileAttributesA("\\\\.\\E:\\Windows\\system32\\config\\system"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("\\\\.\\E:\\WINNT\\system32\\config\\system"));
    wchar_t name[64] = {};
    ASSERT_TRUE(GetVolumeNameForVolumeMountPointW(L"E:\\", name, 64));
    EXPECT_EQ(volume, name);
    wchar_t target[128] = {};
    ASSERT_NE(0u, QueryDosDeviceW(L"E:", target, 128));
    EXPECT_STREQ(L"\\Device\\HarddiskVolume2", target);
    ASSERT_NE(0u, QueryDosDeviceW(L"Harddisk0Partition2", target, 128));
    EXPECT_STREQ(L"\\Device\\HarddiskVolume2", target);
    EXPECT_EQ(0u, QueryDosDeviceW(L"Harddisk0Partition9", target, 128));
    EXPECT_TRUE(DeleteVolumeMountPointW(L"E:\\"));
    EXPECT_FALSE(GetVolumeNameForVolumeMountPointW(L"E:\\", name, 64));

    // The mount manager names the volume behind a partition's NT name.
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, manager);
    unsigned char request[1024] = {}, answer[1024] = {};
    const std::string partition = "\\Device\\Harddisk0\\Partition4";
    StoreLE32(request + 16, 24);
    StoreLE16(request + 20, static_cast<uint16_t>(partition.size() * 2));
    for (size_t i = 0; i < partition.size(); ++i)
        StoreLE16(request + 24 + 2 * i, static_cast<uint16_t>(partition[i]));
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(manager, 0x6D0008, request, 1024, answer, 1024, &returned, nullptr));
    EXPECT_EQ(1u, LoadLE32(answer + 4));
    const uint32_t at = LoadLE32(answer + 8 + 16);
    std::string device;
    for (uint16_t i = 0; i < LoadLE16(answer + 8 + 20); i += 2)
        device += static_cast<char>(LoadLE16(answer + at + i));
    EXPECT_EQ("\\Device\\HarddiskVolume4", device);
    CloseHandle(manager);

    // The drive layout: primaries, then the logical, numbered from 1.
    HANDLE drive = CreateFileW(L"\\\\.\\PhysicalDrive0", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, drive);
    unsigned char layout[2088] = {};
    ASSERT_TRUE(DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, layout, sizeof layout, &returned,
                                nullptr));
    CloseHandle(drive);
    ASSERT_EQ(4u, LoadLE32(layout));
    EXPECT_EQ(kFixtureSignature, LoadLE32(layout + 4));
    const WindowsSystemVolume volumes[] = {kSystemNtfs, kSystemFat32, kBootFat16, kLogicalNtfs};
    for (uint32_t i = 0; i < 4; ++i) {
        const unsigned char* entry = layout + 8 + 32 * i;
        EXPECT_EQ(volumes[i].start * 512, LoadLE64(entry)) << i;
        EXPECT_EQ(volumes[i].sectors * 512, LoadLE64(entry + 8)) << i;
        EXPECT_EQ(i + 1, LoadLE32(entry + 20)) << i;
    }
    EXPECT_EQ(2048u, LoadLE32(layout + 8 + 32 * 3 + 16)) << "a logical's hidden sectors";
}

} // namespace
