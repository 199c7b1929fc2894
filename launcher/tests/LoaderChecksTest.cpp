// The seven checks, each refusal with its message and exit code 1 and nothing started.
#include "LoaderMachine.h"

#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "KSSnapshotDriver.h"
#include "LoaderTexts.h"

#include <functional>

namespace {

using loader::kAlreadyRunning;
using loader::kNotAdministrator;
using loader::kReinstall;
using loader::kRestartOrReinstall;
using loader::kSafeMode;
using loader::kWrongSystem;

class LoaderChecksTest : public LoaderMachine {
protected:
    // Runs the launcher and expects it refused with text or, for null, started Main.
    void ExpectVerdict(const char* refusal)
    {
        const LoaderOutcome outcome = Run();
        if (refusal) {
            EXPECT_EQ(outcome.exitCode, 1);
            ExpectOnlyBox(outcome, refusal);
            EXPECT_TRUE(outcome.starts.empty());
        } else {
            EXPECT_EQ(outcome.exitCode, 0);
            EXPECT_TRUE(outcome.boxes.empty()) << outcome.boxes[0].text;
            ASSERT_EQ(outcome.starts.size(), 1u);
            EXPECT_EQ(outcome.starts[0].commandLine, loader::kMainCommandLine);
        }
    }
};

TEST_F(LoaderChecksTest, OperatingSystems)
{
    struct Row {
        const char* name;
        DWORD major, minor, platform;
        WORD servicePack;
        DWORD extendedError, plainError;
        bool refused;
    };
    const DWORD nt = VER_PLATFORM_WIN32_NT, nine = VER_PLATFORM_WIN32_WINDOWS;
    const Row rows[] = {
        {"2000 SP3", 5, 0, nt, 3, 0, 0, true},
        {"2000 SP4", 5, 0, nt, 4, 0, 0, false},
        {"XP", 5, 1, nt, 0, 0, 0, false},
        {"2003", 5, 2, nt, 0, 0, 0, false},
        {"Vista", 6, 0, nt, 0, 0, 0, false},
        {"7", 6, 1, nt, 0, 0, 0, false},
        {"7.0", 7, 0, nt, 0, 0, 0, true},
        {"NT 4.0", 4, 0, nt, 6, 0, 0, true},
        {"95", 4, 0, nine, 0, 0, 0, true},
        {"98", 4, 10, nine, 0, 0, 0, true},
        {"Me", 4, 90, nine, 0, 0, 0, true},
        {"Win32s", 5, 1, VER_PLATFORM_WIN32s, 0, 0, 0, true},
        {"plain record read when the extended one is refused", 5, 1, nt, 0, ERROR_INVALID_PARAMETER, 0, false},
        // The plain record has no service pack number: 2000 is then taken as before SP4.
        {"2000 through the plain record", 5, 0, nt, 4, ERROR_INVALID_PARAMETER, 0, true},
        {"neither record", 5, 1, nt, 0, ERROR_INVALID_PARAMETER, ERROR_INVALID_PARAMETER, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        SetVersion(row.major, row.minor, row.platform, row.servicePack);
        KSPlatformSetVersionErrors(row.extendedError, row.plainError);
        ExpectVerdict(row.refused ? kWrongSystem : nullptr);
    }
}

TEST_F(LoaderChecksTest, SafeModeAndAdministrators)
{
    const DWORD enabled = SE_GROUP_ENABLED, byDefault = SE_GROUP_ENABLED_BY_DEFAULT;
    KSTokenGroup users;
    users.subAuthorities = {SECURITY_BUILTIN_DOMAIN_RID, 545};
    users.attributes = enabled;
    struct Row {
        const char* name;
        std::function<void()> arrange;
        const char* refusal;
    };
    const Row rows[] = {
        {"safe mode", [] { KSPlatformSetCleanBoot(1); }, kSafeMode},
        {"safe mode with network", [] { KSPlatformSetCleanBoot(2); }, kSafeMode},
        {"enabled", [&] { KSPlatformSetProcessTokenGroups({users, KSAdministratorsGroup(enabled)}); }, nullptr},
        {"enabled by default", [&] { KSPlatformSetProcessTokenGroups({KSAdministratorsGroup(byDefault), users}); },
         nullptr},
        {"deny-only",
         [&] { KSPlatformSetProcessTokenGroups({users, KSAdministratorsGroup(SE_GROUP_USE_FOR_DENY_ONLY)}); },
         kNotAdministrator},
        {"absent", [&] { KSPlatformSetProcessTokenGroups({users}); }, kNotAdministrator},
        {"no groups", [] { KSPlatformSetProcessTokenGroups({}); }, kNotAdministrator},
        {"thread token without Administrators wins over the process's", [&] { KSPlatformSetThreadToken(true, {users}); },
         kNotAdministrator},
        {"thread token with Administrators",
         [&] {
             KSPlatformSetProcessTokenGroups({users});
             KSPlatformSetThreadToken(true, {KSAdministratorsGroup(enabled)});
         },
         nullptr},
        {"process token refused", [] { KSPlatformSetPrivilegeError(ERROR_ACCESS_DENIED); }, kNotAdministrator},
        {"groups refused", [] { KSPlatformSetTokenInformationError(ERROR_ACCESS_DENIED); }, kNotAdministrator},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.arrange();
        ExpectVerdict(row.refusal);
    }
}

TEST_F(LoaderChecksTest, VolumeFilterBusDriverAndSnapshotDevice)
{
    // A long list of other filters before ours: 600 bytes, more than a 260-byte read takes.
    std::vector<std::string> many;
    for (int i = 0; i < 59; ++i)
        many.push_back("filter" + std::to_string(1000 + i).substr(1));
    many.push_back("xZeBakUp");
    const std::string longList = MultiString(many);
    ASSERT_EQ(longList.size(), 600u);
    const std::wstring longId(300, L'x');
    struct Row {
        const char* name;
        std::function<void()> arrange;
        const char* refusal;
    };
    const Row rows[] = {
        {"key missing",
         [] { KSPlatformClearRegistry(); }, kReinstall},
        {"value missing", [] { DeleteValue(loader::kVolumeClassKey, "UpperFilters"); }, kReinstall},
        {"lower case inside the second string",
         [] {
             SetValue(loader::kVolumeClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"PartMgr", "xzebakupflt"}));
         },
         nullptr},
        {"other filters only",
         [] { SetValue(loader::kVolumeClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"PartMgr", "volsnap"})); },
         kReinstall},
        {"a 600-byte list", [&] { SetValue(loader::kVolumeClassKey, "UpperFilters", REG_MULTI_SZ, longList); }, nullptr},
        {"a list without its final NULs",
         [] { SetValue(loader::kVolumeClassKey, "UpperFilters", REG_MULTI_SZ, std::string("PartMgr\0zebakup", 15)); },
         nullptr},
        {"bus id second of a device that needs the larger buffer",
         [&] {
             KSPlatformClearSetupDevices();
             KSSetupDevice other;
             other.hardwareIds = KSSetupMultiString({L"PCI\\VEN_8086"});
             KSPlatformAddSetupDevice(other);
             KSSetupDevice bus;
             bus.hardwareIds = KSSetupMultiString({longId, L"ROOT\\ZEDISK"});
             KSPlatformAddSetupDevice(bus);
         },
         nullptr},
        {"bus id without the final NULs",
         [] {
             KSPlatformClearSetupDevices();
             KSSetupDevice bus;
             bus.hardwareIds = std::wstring(L"PCI\\X\0root\\ZeDisk", 17);
             KSPlatformAddSetupDevice(bus);
         },
         nullptr},
        {"bus id as a prefix only",
         [] {
             KSPlatformClearSetupDevices();
             KSSetupDevice bus;
             bus.hardwareIds = KSSetupMultiString({L"root\\ZeDisk2"});
             KSPlatformAddSetupDevice(bus);
         },
         kRestartOrReinstall},
        {"bus id as text of another type",
         [] {
             KSPlatformClearSetupDevices();
             KSSetupDevice bus;
             bus.hardwareIds = KSSetupMultiString({L"root\\ZeDisk"});
             bus.hardwareIdType = REG_SZ;
             KSPlatformAddSetupDevice(bus);
         },
         kRestartOrReinstall},
        {"bus driver absent", [] { KSPlatformClearSetupDevices(); }, kRestartOrReinstall},
        {"device list refused", [] { KSPlatformSetSetupListError(ERROR_ACCESS_DENIED); }, kRestartOrReinstall},
        {"snapshot device missing", [] { KSSnapshotDriverRemove(); }, kRestartOrReinstall},
        {"instance mutex cannot be made: the launcher goes on",
         [] { KSPlatformFailNamedObject(loader::kInstanceMutex, ERROR_ACCESS_DENIED); }, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.arrange();
        ExpectVerdict(row.refusal);
    }
}

TEST_F(LoaderChecksTest, AMissingVolumeClassKeyIsCreatedForQueryAccess)
{
    KSPlatformClearRegistry();
    const size_t earlier = KSPlatformRegistryOpens().size();
    ExpectVerdict(kReinstall);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, loader::kVolumeClassKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::vector<KSRegistryOpen> opens = KSPlatformRegistryOpens();
    ASSERT_GT(opens.size(), earlier);
    EXPECT_EQ(opens[earlier].path, std::string("HKLM\\") + loader::kVolumeClassKey);
    EXPECT_EQ(opens[earlier].access, static_cast<REGSAM>(KEY_QUERY_VALUE));
}

} // namespace
