// The 64-bit install way with a stand-in installer beside the program: its exit code
// is the result, and an installer that is not there is the install failure.
#include "Installer64.h"

#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"
#include "KSResult.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Installer64Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        root = fs::path(::testing::TempDir()) / ("palmet-inst-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "tools" / "x64");
        fs::copy_file(INST_STAND_IN, root / "tools" / "x64" / "Inst.exe");
        KSDriveEntry drive;
        drive.letter = 'C';
        drive.hostFolder = root.string();
        KSPlatformAddDrive(drive);
        KSPlatformSetModuleFileName("C:\\tools\\Loader.exe");
        handles = KSPlatformOpenHandles();
    }
    void TearDown() override
    {
        EXPECT_EQ(KSPlatformOpenHandles(), handles);
        KSPlatformReset();
        fs::remove_all(root);
    }
    fs::path root;
    unsigned handles = 0;
};

TEST_F(Installer64Test, TheExitCodeIsTheResult)
{
    const struct {
        const wchar_t* folder;
        unsigned long result;
    } cases[] = {{L"D:\\drivers\\0", 0}, {L"D:\\drivers\\5", 5}, {L"D:\\drivers\\95", 95}};
    for (const auto& c : cases)
        EXPECT_EQ(RunInstaller64(c.folder, 0), c.result);
}

// The installer is a console program: started as it is, its console window would
// flash over the user interface.
TEST_F(Installer64Test, TheInstallerStartsWithoutAWindow)
{
    KSProcessScript script;
    script.commandLine = "\"C:\\tools\\x64\\Inst.exe\" -I D:\\drivers";
    script.exitCode = 0;
    KSPlatformAddProcessScript(script);
    EXPECT_EQ(RunInstaller64(L"D:\\drivers", 0), 0u);
    const std::vector<KSProcessStart> starts = KSPlatformProcessStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_TRUE(starts[0].started);
    EXPECT_EQ(starts[0].creationFlags & CREATE_NO_WINDOW, static_cast<unsigned long>(CREATE_NO_WINDOW));
}

TEST_F(Installer64Test, AnInstallerThatDoesNotStartIsTheInstallFailure)
{
    fs::remove(root / "tools" / "x64" / "Inst.exe");
    const unsigned long rc = RunInstaller64(L"D:\\drivers\\0", 0);
    EXPECT_EQ(KSResultKind(rc), 0x100u);
    EXPECT_EQ(KSResultModule(rc), 6u);
}

// A stand-in that runs longer than the waits given: still running is no result, and
// the same installer waited for long enough gives its exit code.
TEST_F(Installer64Test, AnInstallerStillRunningAfterEveryWaitIsTheInstallFailure)
{
    KSFakeClock clock;   // the pauses between looks at the exit code
    KSPlatformSetClock(&clock);
    KSProcessScript script;
    script.commandLine = "\"C:\\tools\\x64\\Inst.exe\" -I D:\\slow drivers";
    script.runMilliseconds = 300;
    script.exitCode = 42;
    KSPlatformAddProcessScript(script);
    Installer64Waits waits;
    waits.slices = 2;
    waits.sliceMilliseconds = 10;
    waits.reads = 3;
    const unsigned long rc = RunInstaller64(L"D:\\slow drivers", 0, waits);
    EXPECT_EQ(KSResultKind(rc), 0x100u);
    EXPECT_EQ(KSResultModule(rc), 6u);
    EXPECT_EQ(clock.Slept(), 3u * 2000u) << "three looks, 2 s apart";

    waits.sliceMilliseconds = 5000;
    EXPECT_EQ(RunInstaller64(L"D:\\slow drivers", 0, waits), 42u);
    const std::vector<KSProcessStart> starts = KSPlatformProcessStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(starts[0].started);
    EXPECT_FALSE(starts[0].inheritHandles);
    KSPlatformSetClock(nullptr);
}

} // namespace
