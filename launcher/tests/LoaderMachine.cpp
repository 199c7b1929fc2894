#include "LoaderMachine.h"

#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "KSSnapshotDriver.h"
#include "LoaderRun.h"
#include "LoaderTexts.h"

#include <memory>

namespace {

class OpenOnlyDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD& returned) override
    {
        return returned = 0, ERROR_INVALID_FUNCTION;
    }
    uint64_t Size() const override { return 0; }
};

} // namespace

void LoaderMachine::SetUp()
{
    KSPlatformReset();
    KSSnapshotDriverInstall();
    SetValue(loader::kVolumeClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"zebakup"}));
    KSSetupDevice bus;
    bus.hardwareIds = KSSetupMultiString({L"root\\ZeDisk"});
    KSPlatformAddSetupDevice(bus);
    KSProcessScript main;
    main.commandLine = loader::kMainCommandLine;
    ScriptMain(main);
    KSProcessScript reporter;
    reporter.commandLine = loader::kCrashReporterCommandLine;
    KSPlatformAddProcessScript(reporter);
    handlesBefore_ = KSPlatformOpenHandles();
}

void LoaderMachine::TearDown()
{
    KSPlatformClearProcessScripts();
    KSSnapshotDriverRemove();
    KSPlatformReset();
}

LoaderOutcome LoaderMachine::Run()
{
    LoaderOutcome outcome;
    outcome.exitCode = loader::RunLoader();
    outcome.boxes = KSPlatformMessageBoxes();
    outcome.starts = KSPlatformProcessStarts();
    // Whatever the launcher opened it closed, however it ended.
    EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore_);
    EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
    EXPECT_EQ(KSPlatformLiveSids(), 0u);
    return outcome;
}

void LoaderMachine::SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                             const std::string& bytes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void LoaderMachine::DeleteValue(const std::string& keyPath, const std::string& name)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

std::string LoaderMachine::MultiString(const std::vector<std::string>& strings)
{
    std::string data;
    for (const std::string& text : strings)
        data += text + '\0';
    return data + '\0';
}

void LoaderMachine::SetVersion(DWORD major, DWORD minor, DWORD platform, WORD servicePack)
{
    OSVERSIONINFOA version{};
    version.dwMajorVersion = major;
    version.dwMinorVersion = minor;
    version.dwPlatformId = platform;
    KSPlatformSetVersion(version);
    KSPlatformSetServicePack(servicePack, 0);
}

void LoaderMachine::RegisterFirewallDevice(DWORD error)
{
    KSPlatformRegisterDevice("vsdatant", [error](DWORD, DWORD& refusal) -> std::shared_ptr<KSDevice> {
        refusal = error;
        if (error != ERROR_SUCCESS)
            return nullptr;
        return std::make_shared<OpenOnlyDevice>();
    });
}

void LoaderMachine::ScriptMain(const KSProcessScript& script)
{
    KSProcessScript main = script;
    main.commandLine = loader::kMainCommandLine;
    main.crashEvent = loader::kCrashEvent;
    KSPlatformAddProcessScript(main);
}

void ExpectOnlyBox(const LoaderOutcome& outcome, const std::string& text)
{
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, text);
    EXPECT_EQ(outcome.boxes[0].caption, loader::kCaption);
    EXPECT_EQ(outcome.boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(outcome.boxes[0].owner, nullptr);
}
