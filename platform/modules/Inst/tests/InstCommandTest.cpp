// Inst's commands over the platform layer's device installer, with the driver's own
// package file, and the program's exit codes when it runs as a process of its own.
#include "InstCommand.h"

#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"
#include "KSResult.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class InstCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        root_ = fs::path(::testing::TempDir()) / ("inst-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        for (const char* folder : {"pkg", "my drivers"}) {
            fs::create_directories(root_ / folder);
            fs::copy_file(DRIVER_PACKAGE_INF, root_ / folder / "zedisk.inf");
        }
        AddDrive('C', root_);
        AddDrive('B', fs::path(INST_PROGRAM).parent_path().parent_path());
    }
    void TearDown() override
    {
        EXPECT_EQ(KSPlatformOpenSetupLists(), 0u);
        KSPlatformReset();
        fs::remove_all(root_);
    }
    static void AddDrive(char letter, const fs::path& folder)
    {
        KSDriveEntry drive;
        drive.letter = letter;
        drive.hostFolder = folder.string();
        KSPlatformAddDrive(drive);
    }
    fs::path root_;
};

TEST_F(InstCommandTest, OnlyTheInstallCommandInstalls)
{
    const struct {
        std::vector<std::wstring> arguments;
        unsigned long kind;
        const wchar_t* inf;   // the package the bus device got, or none
    } cases[] = {
        {{}, 0x009, nullptr},
        {{L"-X", L"C:\\pkg"}, 0x009, nullptr},
        {{L"-I"}, 0x009, nullptr},
        {{L"-I", L"C:\\none"}, 0x100, nullptr},
        {{L"-I", L"C:\\pkg"}, 0, L"C:\\pkg\\zedisk.inf"},
        {{L"-i", L"C:\\pkg\\"}, 0, L"C:\\pkg\\zedisk.inf"},
        {{L"-I", L"C:\\my", L"drivers"}, 0, L"C:\\my drivers\\zedisk.inf"},
    };
    for (const auto& c : cases) {
        const std::wstring words = c.arguments.empty() ? L"" : c.arguments.back();
        SCOPED_TRACE(std::string(words.begin(), words.end()));
        KSPlatformClearSetupDevices();
        const unsigned long rc = RunInstCommand(c.arguments);
        EXPECT_EQ(KSResultKind(rc), c.kind);
        if (rc != 0) {
            EXPECT_EQ(KSResultModule(rc), 6u);
        }
        const std::vector<KSSetupDevice> devices = KSPlatformSetupDevices();
        ASSERT_EQ(devices.size(), c.inf ? 1u : 0u) << "nothing half-installed";
        if (c.inf) {
            EXPECT_EQ(devices[0].hardwareIds, KSSetupMultiString({L"root\\ZeDisk"}));
            EXPECT_EQ(devices[0].driverInf, c.inf);
        }
    }
}

TEST_F(InstCommandTest, ExitCodesNeverReadAFailureAsSuccess)
{
    const struct {
        unsigned long result;
        int exitCode;
    } cases[] = {
        {0, 0},
        {KSMakeResult(77, 6, 0x100), 255},
        {KSMakeResult(12, 6, 0x05F), 0x5F},
        {KSMakeResult(3, 6, 0x009), 9},
        {KSMakeResult(0, 6, 0x000), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstExitCode(c.result), c.exitCode) << c.result;
}

TEST_F(InstCommandTest, TheProgramEndsWithItsResult)
{
    const struct {
        const wchar_t* line;
        DWORD exitCode;
    } cases[] = {
        {L"\"B:\\x64\\Inst.exe\" -I C:\\pkg", 0},
        {L"\"B:\\x64\\Inst.exe\" -I C:\\my drivers", 0},
        {L"\"B:\\x64\\Inst.exe\" -I C:\\none", 255},
        {L"\"B:\\x64\\Inst.exe\" /install C:\\pkg", 9},
    };
    const unsigned handles = KSPlatformOpenHandles();
    for (const auto& c : cases) {
        std::wstring line = c.line;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &code));
        EXPECT_EQ(code, c.exitCode) << std::string(line.begin(), line.end());
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    EXPECT_EQ(KSPlatformOpenHandles(), handles);
    EXPECT_TRUE(KSPlatformSetupDevices().empty()) << "the program installs on its own machine";
}

} // namespace
