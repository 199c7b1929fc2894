// The registry of the platform layer: the running system's keys in memory, and hive
// files loaded under a key through libhivex and written back when unloaded.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CommandOutput.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "PlatformTestHelpers.h"

namespace {

class RegistryTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        folder_ = std::string(RVD_FIXTURE_CACHE) + "/registry-" + std::to_string(getpid());
        std::system(("rm -rf '" + folder_ + "' && mkdir -p '" + folder_ + "'").c_str());
        KSDriveEntry drive;
        drive.letter = 'W';
        drive.hostFolder = folder_;
        KSPlatformAddDrive(drive);
    }
    void TearDown() override
    {
        std::system(("rm -rf '" + folder_ + "'").c_str());
        PlatformTest::TearDown();
    }
    // A hive made the way the fixtures make them, with one value under "Key".
    std::string MakeHive(const std::string& name)
    {
        const std::string hive = folder_ + "/" + name;
        const std::string reg = folder_ + "/merge.reg";
        std::system(("printf 'Windows Registry Editor Version 5.00\\n\\n[HKEY_LOCAL_MACHINE\\\\S\\\\Key]\\n"
                     "\"Old\"=hex:01,02,03\\n' >'" + reg + "' && perl '" + std::string(RVD_FIXTURE_SCRIPTS) +
                     "/restore/empty-hive.pl' '" + hive + "' && hivexregedit --merge '" + hive +
                     "' --prefix 'HKEY_LOCAL_MACHINE\\S' '" + reg + "'").c_str());
        return hive;
    }
    std::string folder_;
};

TEST_F(RegistryTest, LiveKeysKeepValuesEnumerateThemAndAnswerBufferSizes)
{
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\Setup", 0, KEY_READ, &key));
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\Setup", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    const unsigned char twelve[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "A", 0, REG_BINARY, twelve, 12));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Bb", 0, REG_BINARY, twelve, 4));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "a", 0, REG_BINARY, twelve + 1, 3)) << "names ignore case";
    HKEY again = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\setup", 0, KEY_READ, &again));
    unsigned char data[16] = {};
    DWORD size = sizeof data, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(again, "A", nullptr, &type, data, &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(0, std::memcmp(data, twelve + 1, 3));

    struct Step {
        DWORD index, nameSize, dataSize;
        LONG result;
        const char* name;
        DWORD size;
    } const steps[] = {
        {0, 16, 16, ERROR_SUCCESS, "A", 3},
        {1, 16, 16, ERROR_SUCCESS, "Bb", 4},
        {1, 2, 16, ERROR_MORE_DATA, "", 4},  // "Bb" needs 3 characters with its end
        {1, 16, 2, ERROR_MORE_DATA, "", 4},
        {2, 16, 16, ERROR_NO_MORE_ITEMS, "", 0},
    };
    for (const Step& s : steps) {
        char name[16] = {};
        DWORD nameSize = s.nameSize, dataSize = s.dataSize;
        EXPECT_EQ(s.result, RegEnumValueA(again, s.index, name, &nameSize, nullptr, &type, data, &dataSize)) << s.index;
        EXPECT_STREQ(s.name, name) << s.index;
        if (s.result != ERROR_NO_MORE_ITEMS) {
            EXPECT_EQ(s.size, dataSize) << s.index;
        }
    }
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(again));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

TEST_F(RegistryTest, AHiveIsEditedUnderItsKeyAndWrittenBackWhenUnloaded)
{
    const std::string hive = MakeHive("system");
    ASSERT_EQ(ERROR_SUCCESS, RegLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp", "W:\\system"));
    EXPECT_NE(ERROR_SUCCESS, RegLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp", "W:\\system")) << "loaded already";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp\\key", 0, KEY_ALL_ACCESS, &key));
    char name[32] = {};
    unsigned char data[32] = {};
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, data, &dataSize));
    EXPECT_STREQ("Old", name);
    EXPECT_EQ(3u, dataSize);
    const unsigned char twelve[12] = {0x44, 0x33, 0x22, 0x11, 0, 0, 0x10, 0, 0, 0, 0, 0};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "\\DosDevices\\E:", 0, REG_BINARY, twelve, 12));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegUnLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp"));
    const std::string exported = CommandOutput("hivexregedit --export '" + hive + "' '\\Key'");
    EXPECT_NE(std::string::npos, exported.find("\"\\\\DosDevices\\\\E:\"=hex(3):44,33,22,11,00,00,10,00,00,00,00,00"))
        << exported;
    EXPECT_NE(std::string::npos, exported.find("\"Old\"=hex(3):01,02,03")) << exported;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp\\Key", 0, KEY_READ, &key))
        << "the key goes with the hive";
}

TEST_F(RegistryTest, ADamagedHiveOrAFailedWriteBackLeavesTheFileAsItWas)
{
    const std::string hive = MakeHive("system");
    const std::string before = CommandOutput("md5sum < '" + hive + "'");
    // One byte of the base block changed: its checksum no longer agrees.
    const std::string damaged = folder_ + "/damaged";
    std::system(("cp '" + hive + "' '" + damaged + "' && printf 'X' | dd of='" + damaged +
                 "' bs=1 seek=16 conv=notrunc status=none").c_str());
    const std::string damagedBefore = CommandOutput("md5sum < '" + damaged + "'");
    EXPECT_EQ(ERROR_NOT_REGISTRY_FILE, RegLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp", "W:\\damaged"));
    EXPECT_EQ(damagedBefore, CommandOutput("md5sum < '" + damaged + "'"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp", "W:\\missing"));

    ASSERT_EQ(ERROR_SUCCESS, RegLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp", "W:\\system"));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp\\Key", 0, KEY_ALL_ACCESS, &key));
    const unsigned char bytes[4] = {9, 9, 9, 9};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Old", 0, REG_BINARY, bytes, 4));
    RegCloseKey(key);
    KSPlatformSetVolumeWriteError(ERROR_WRITE_FAULT);
    EXPECT_EQ(ERROR_WRITE_FAULT, RegUnLoadKeyA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "ZeRestoreTemp\\Key", 0, KEY_READ, &key))
        << "a hive that could not be written is dropped";
    EXPECT_EQ(before, CommandOutput("md5sum < '" + hive + "'"));
}

TEST_F(RegistryTest, TheTokenGrantsPrivilegesUnlessMadeToRefuse)
{
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    LUID luid{};
    EXPECT_TRUE(LookupPrivilegeValueA(nullptr, SE_RESTORE_NAME, &luid));
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &luid));
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    KSPlatformSetPrivilegeError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    char folder[MAX_PATH] = {};
    EXPECT_EQ(0u, GetWindowsDirectoryA(folder, MAX_PATH)) << "no Windows folder unless one is set";
    KSPlatformSetWindowsDirectory("C:\\WINDOWS");
    EXPECT_EQ(10u, GetWindowsDirectoryA(folder, MAX_PATH));
    EXPECT_STREQ("C:\\WINDOWS", folder);
    EXPECT_EQ(11u, GetWindowsDirectoryA(folder, 4)) << "the size needed";
}

} // namespace
