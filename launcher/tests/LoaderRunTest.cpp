// After the checks: the incompatible-software warning, Main, its crash and the
// reporter, the single-instance mutexes.
#include "LoaderMachine.h"

#include "KSPlatformControl.h"
#include "LoaderRun.h"
#include "LoaderTexts.h"

#include <chrono>
#include <functional>
#include <thread>

namespace {

using Crash = KSProcessScript::Crash;

std::string Warning(const std::string& list)
{
    return "Zendrel Kivra Backup Detects some incompatible software(s) installed on the computer as blow.\n" + list +
           "\nIf Zendrel Kivra Backup fails to run, please close or uninstall it and try again.";
}

class LoaderRunTest : public LoaderMachine {};

TEST_F(LoaderRunTest, IncompatibleSoftwareWarnings)
{
    struct Row {
        const char* name;
        std::function<void()> arrange;
        const char* warning; // null: no warning
    };
    const Row rows[] = {
        {"none", [] {}, nullptr},
        {"BitDefender and the COMODO filter on one line",
         [] {
             SetValue(loader::kBitDefenderKey, "ProductName", REG_SZ, std::string("BitDefender 2009", 17));
             SetValue(loader::kDiskClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"PartMgr", "CDEEDFD"}));
         },
         "\n    BitDefender 2009COMODO Disk Encryption\n"},
        {"the COMODO raw filter alone",
         [] { SetValue(loader::kDiskClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"cderaw"})); },
         "\n    COMODO Disk Encryption\n"},
        {"a filter whose name only begins like COMODO's",
         [] { SetValue(loader::kDiskClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"cderawx"})); }, nullptr},
        {"ZoneAlarm alone, opened", [] { RegisterFirewallDevice(ERROR_SUCCESS); }, "\n    ZoneAlarm\n"},
        {"ZoneAlarm refusing access", [] { RegisterFirewallDevice(ERROR_ACCESS_DENIED); }, "\n    ZoneAlarm\n"},
        {"ZoneAlarm busy", [] { RegisterFirewallDevice(ERROR_SHARING_VIOLATION); }, "\n    ZoneAlarm\n"},
        {"no ZoneAlarm device", [] { RegisterFirewallDevice(ERROR_FILE_NOT_FOUND); }, nullptr},
        {"all three",
         [] {
             SetValue(loader::kBitDefenderKey, "ProductName", REG_SZ, std::string("BD", 3));
             SetValue(loader::kDiskClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"cderaw"}));
             RegisterFirewallDevice(ERROR_ACCESS_DENIED);
         },
         "\n    BDCOMODO Disk Encryption\n\n    ZoneAlarm\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        row.arrange();
        const LoaderOutcome outcome = Run();
        EXPECT_EQ(outcome.exitCode, 0);
        // A warning never stops the start.
        ASSERT_EQ(outcome.starts.size(), 1u);
        if (row.warning)
            ExpectOnlyBox(outcome, Warning(row.warning));
        else
            EXPECT_TRUE(outcome.boxes.empty());
    }
}

TEST_F(LoaderRunTest, ALongProductNameIsCutAtTheWarningsBuffer)
{
    // 512 bytes, none of them a NUL: the launcher ends the text itself.
    const std::string name(512, 'B');
    SetValue(loader::kBitDefenderKey, "ProductName", REG_SZ, name);
    const LoaderOutcome outcome = Run();
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    const std::string full = Warning("\n    " + name + "\n");
    EXPECT_EQ(outcome.boxes[0].text, full.substr(0, loader::kWarningBytes - 1));
}

TEST_F(LoaderRunTest, SoftwareKeysAreReadInThe64BitViewExceptOnWindows2000)
{
    struct Row {
        DWORD minor;
        REGSAM access;
    };
    const Row rows[] = {{0, KEY_QUERY_VALUE}, {1, KEY_QUERY_VALUE | KEY_WOW64_64KEY}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.minor);
        TearDown();
        SetUp();
        SetVersion(5, row.minor, VER_PLATFORM_WIN32_NT, 4);
        SetValue(loader::kBitDefenderKey, "ProductName", REG_SZ, std::string("BD", 3));
        SetValue(loader::kDiskClassKey, "UpperFilters", REG_MULTI_SZ, MultiString({"cderaw"}));
        const size_t earlier = KSPlatformRegistryOpens().size();
        const LoaderOutcome outcome = Run();
        ASSERT_EQ(outcome.boxes.size(), 1u);
        unsigned seen = 0;
        const std::vector<KSRegistryOpen> opens = KSPlatformRegistryOpens();
        for (size_t i = earlier; i < opens.size(); ++i)
            if (opens[i].path == std::string("HKLM\\") + loader::kBitDefenderKey ||
                opens[i].path == std::string("HKLM\\") + loader::kDiskClassKey) {
                EXPECT_EQ(opens[i].access, row.access) << opens[i].path;
                ++seen;
            }
        EXPECT_EQ(seen, 2u);
    }
}

TEST_F(LoaderRunTest, MainAndTheCrashReporter)
{
    struct Row {
        const char* name;
        KSProcessScript main;
        int exitCode;
        std::vector<std::string> started;
        const char* box;
    };
    KSProcessScript fails;
    fails.startError = ERROR_FILE_NOT_FOUND;
    KSProcessScript ends;
    ends.exitCode = 3;
    KSProcessScript crashes;
    crashes.crash = Crash::WhileRunning;
    KSProcessScript crashesAsItEnds;
    crashesAsItEnds.crash = Crash::AsItEnds;
    KSProcessScript crashesLater = crashes;
    crashesLater.runMilliseconds = 50;
    const std::string main = loader::kMainCommandLine, reporter = loader::kCrashReporterCommandLine;
    const Row rows[] = {
        // Main not starting is a failure of the launcher: exit code 1.
        {"Main fails to start", fails, 1, {}, loader::kMainFailed},
        {"Main ends normally", ends, 0, {main}, nullptr},
        {"a crash while Main runs", crashes, 0, {main, reporter}, nullptr},
        {"a crash after a while", crashesLater, 0, {main, reporter}, nullptr},
        {"the event set just before Main ends", crashesAsItEnds, 0, {main, reporter}, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        ScriptMain(row.main);
        const LoaderOutcome outcome = Run();
        EXPECT_EQ(outcome.exitCode, row.exitCode);
        if (row.box)
            ExpectOnlyBox(outcome, row.box);
        else
            EXPECT_TRUE(outcome.boxes.empty());
        std::vector<std::string> started;
        for (const KSProcessStart& start : outcome.starts) {
            EXPECT_TRUE(start.inheritHandles) << start.commandLine;
            if (start.started)
                started.push_back(start.commandLine);
        }
        EXPECT_EQ(started, row.started);
    }
}

TEST_F(LoaderRunTest, AWaitThatTimesOutWaitsAgain)
{
    // Main outlives one five-second wait, then crashes.
    KSProcessScript slow;
    slow.runMilliseconds = 5300;
    slow.crash = Crash::WhileRunning;
    ScriptMain(slow);
    const LoaderOutcome outcome = Run();
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.starts.size(), 2u);
    EXPECT_EQ(outcome.starts[1].commandLine, loader::kCrashReporterCommandLine);
}

TEST_F(LoaderRunTest, ACrashReporterThatCannotStartEndsTheLauncherQuietly)
{
    KSProcessScript crashes;
    crashes.crash = Crash::WhileRunning;
    ScriptMain(crashes);
    KSProcessScript reporter;
    reporter.commandLine = loader::kCrashReporterCommandLine;
    reporter.startError = ERROR_FILE_NOT_FOUND;
    KSPlatformAddProcessScript(reporter);
    const LoaderOutcome outcome = Run();
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.boxes.empty());
    ASSERT_EQ(outcome.starts.size(), 2u);
    EXPECT_FALSE(outcome.starts[1].started);
}

TEST_F(LoaderRunTest, WithoutTheCrashEventMainIsStillWatched)
{
    KSPlatformFailNamedObject(loader::kCrashEvent, ERROR_ACCESS_DENIED);
    KSProcessScript crashes;
    crashes.crash = Crash::WhileRunning;
    ScriptMain(crashes);
    const LoaderOutcome outcome = Run();
    EXPECT_EQ(outcome.exitCode, 0);
    ASSERT_EQ(outcome.starts.size(), 1u);
}

TEST_F(LoaderRunTest, ASecondLauncherIsRefusedWhileTheFirstLives)
{
    KSProcessScript slow;
    slow.runMilliseconds = 1500;
    ScriptMain(slow);
    int firstExit = -1;
    std::thread first([&firstExit] { firstExit = loader::RunLoader(); });
    // The first launcher is past its checks once it has started Main.
    while (KSPlatformProcessStarts().empty())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    EXPECT_EQ(loader::RunLoader(), 1);
    // The first one still holds its own mutex while Main runs.
    HANDLE loaderMutex = CreateMutexA(nullptr, FALSE, loader::kLoaderMutex);
    ASSERT_NE(loaderMutex, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(loaderMutex);
    first.join();
    EXPECT_EQ(firstExit, 0);
    const std::vector<KSMessageBox> boxes = KSPlatformMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, loader::kAlreadyRunning);
    EXPECT_EQ(KSPlatformProcessStarts().size(), 1u);
    EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore_);

    // Both names are free again once the first has ended.
    for (const char* name : {loader::kInstanceMutex, loader::kLoaderMutex}) {
        HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
        EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS) << name;
        CloseHandle(mutex);
    }
}

} // namespace
