// The 64-bit install way with a stand-in installer beside the program: its exit code
// is the result, and an installer that is not there is the install failure.
#include "Installer64.h"

#include "KSPlatformControl.h"
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
        EXPECT_EQ(RunInstaller64(c.folder), c.result);
}

TEST_F(Installer64Test, AnInstallerThatDoesNotStartIsTheInstallFailure)
{
    fs::remove(root / "tools" / "x64" / "Inst.exe");
    const unsigned long rc = RunInstaller64(L"D:\\drivers\\0");
    EXPECT_EQ(KSResultKind(rc), 0x100u);
    EXPECT_EQ(KSResultModule(rc), 6u);
}

} // namespace
