// Burns over the drive model: the real ISO builder behind Pip, the model writer for
// the tools that need a drive, the files read back from the disc with isoinfo.
#include "BurnerTestBench.h"

#include <windows.h>

#include <sys/stat.h>

#include <atomic>
#include <thread>

namespace {

class BurnTest : public BurnerTestBench {
protected:
    bool HostExists(const std::string& path) const
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0;
    }
};

TEST_F(BurnTest, AFolderGoesToEachKindOfDiscAndReadsBack)
{
    struct Case {
        const char* what;
        optical::Disc disc;
        unsigned long type;
    } cases[] = {
        {"CD-R", optical::BlankCdR(), BURN_MEDIA_CD_R},
        {"DVD+RW", optical::BlankDvdPlusRw(true), BURN_MEDIA_DVD_PLUS_RW},
        {"DVD-R", optical::BlankDvdR(), BURN_MEDIA_DVD_R},
    };
    const std::wstring folder = MakeFolder("Temp Folder", {{"set.rvd", 300000}, {"set_2.rvd", 5000}});
    SearchDrives();
    for (const Case& c : cases) {
        Insert(c.disc);
        IPyrelle* burner = OpenBurner();
        ASSERT_EQ(burner->GetMediaType(0), c.type) << c.what;
        EXPECT_EQ(burner->Burn(folder.c_str(), 1, L"label"), 0u) << c.what;
        burner->Release();
        const optical::Drive drive = Drive();
        ASSERT_EQ(drive.disc.tracks.size(), 1u) << c.what;
        EXPECT_TRUE(OnDiscAsIn(0, "set.rvd", HostOf(folder) + "/set.rvd")) << c.what;
        EXPECT_TRUE(OnDiscAsIn(0, "set_2.rvd", HostOf(folder) + "/set_2.rvd")) << c.what;
        EXPECT_FALSE(HostExists(HostOf(folder) + "/Temp.iso")) << c.what;
    }
    EXPECT_TRUE(DebugLinesMention("Pip -h "));
    // Autoplay was switched off before the burns: the two values, nothing else.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    BYTE types[8] = {};
    DWORD type = 0, size = sizeof types;
    EXPECT_EQ(RegQueryValueExA(key, "NoDriveTypeAutoRun", nullptr, &type, types, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(types[0], 0xB5);
    EXPECT_EQ(types[1] | types[2] | types[3], 0);
    size = sizeof types;
    EXPECT_NE(RegQueryValueExA(key, "DisableAutoplay", nullptr, &type, types, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers", 0, KEY_READ,
                            &key),
              ERROR_SUCCESS);
    DWORD disable = 0;
    size = sizeof disable;
    EXPECT_EQ(RegQueryValueExA(key, "DisableAutoplay", nullptr, &type, reinterpret_cast<BYTE*>(&disable), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(disable, 1u);
    RegCloseKey(key);
}

TEST_F(BurnTest, ARewritableCdWithDataIsBlankedFirstAndASessionIsAppended)
{
    optical::Disc used = optical::BlankCdRw();
    used.tracks = {{0, 2048}};
    Insert(used);
    SearchDrives();
    const std::wstring first = MakeFolder("first", {{"one.rvd", 100000}});
    const std::wstring second = MakeFolder("second", {{"two.rvd", 70000}});
    IPyrelle* burner = OpenBurner();
    BURN_DISC_INFO info{};
    ASSERT_EQ(burner->GetDiscInfo(&info), 0u);
    ASSERT_EQ(burner->HasData(), 1u);
    EXPECT_EQ(burner->Burn(first.c_str(), 1, L"label"), 0u);
    optical::Drive drive = Drive();
    ASSERT_EQ(drive.disc.tracks.size(), 1u) << "the old track was blanked away";
    EXPECT_EQ(burner->Append(second.c_str()), 0u);
    drive = Drive();
    ASSERT_EQ(drive.disc.tracks.size(), 2u);
    const uint32_t session = drive.disc.tracks[1].start;
    EXPECT_TRUE(OnDiscAsIn(session, "two.rvd", HostOf(second) + "/two.rvd"));
    EXPECT_TRUE(OnDiscAsIn(session, "one.rvd", HostOf(first) + "/one.rvd"))
        << "a further session carries the earlier files";
    EXPECT_FALSE(HostExists(HostOf(second) + "/Temp.iso"));
    burner->Release();
}

TEST_F(BurnTest, AReadyImageBesideTheProgramIsWritten)
{
    const std::wstring folder = MakeFolder("iso-source", {{"inside.bin", 40000}});
    ASSERT_EQ(std::system(("genisoimage -quiet -r -o '" + program_ + "/image.iso' '" + HostOf(folder) + "'").c_str()),
              0);
    SearchDrives();
    for (const optical::Disc& disc : {optical::BlankCdR(), optical::BlankDvdPlusRw(true)}) {
        Insert(disc);
        IPyrelle* burner = OpenBurner();
        EXPECT_EQ(burner->Burn(nullptr, 1, L"label"), 0u);
        burner->Release();
        EXPECT_TRUE(OnDiscAsIn(0, "inside.bin", HostOf(folder) + "/inside.bin"));
    }
    ASSERT_EQ(std::remove((program_ + "/image.iso").c_str()), 0);
    Insert(optical::BlankCdR());
    IPyrelle* burner = OpenBurner();
    EXPECT_EQ(KSResultKind(burner->Burn(nullptr, 1, L"label")), KS_KIND_ISO_MISSING);
    burner->Release();
}

TEST_F(BurnTest, ARewritableDvdMinusIsFormattedFirst)
{
    optical::Disc disc = optical::BlankDvdR();
    disc.profile = 0x13;
    Insert(disc);
    const std::wstring folder = MakeFolder("dvd", {{"a.rvd", 1000}});
    IPyrelle* burner = OpenBurner();
    ASSERT_EQ(burner->GetMediaType(0), BURN_MEDIA_DVD_RW);
    EXPECT_EQ(burner->Burn(folder.c_str(), 1, L"label"), 0u);
    EXPECT_TRUE(Drive().disc.formatted);
    EXPECT_TRUE(OnDiscAsIn(0, "a.rvd", HostOf(folder) + "/a.rvd"));
    burner->Release();
}

TEST_F(BurnTest, RefusedBurnsStartNoTool)
{
    const std::wstring folder = MakeFolder("src", {{"a.rvd", 1000}});
    optical::Drive drive = Drive();
    drive.disc.profile = 0x08; // a pressed CD
    SaveDrive(drive);
    IPyrelle* burner = OpenBurner();
    EXPECT_EQ(burner->GetMediaType(0), BURN_MEDIA_UNSUPPORTED);
    EXPECT_EQ(KSResultKind(burner->Burn(folder.c_str(), 1, L"label")), KS_KIND_MEDIA_UNSUPPORTED);
    EXPECT_EQ(KSResultKind(burner->Append(folder.c_str())), KS_KIND_MEDIA_UNSUPPORTED);
    burner->Release();

    Insert(optical::BlankDvdR());
    burner = OpenBurner();
    const std::wstring file = folder + L"\\a.rvd";
    EXPECT_EQ(KSResultKind(burner->Burn(file.c_str(), 1, L"label")), KS_KIND_NOT_A_FOLDER);
    EXPECT_EQ(KSResultKind(burner->Append(file.c_str())), KS_KIND_NOT_A_FOLDER);
    burner->Release();
    EXPECT_FALSE(DebugLinesMention("Pip -h "));

    // A further CD session needs the disc a burn of the object began.
    Insert(optical::BlankCdR());
    burner = OpenBurner();
    EXPECT_EQ(KSResultKind(burner->Append(folder.c_str())), KS_KIND_BURN_FAILED);
    burner->Release();
    EXPECT_FALSE(DebugLinesMention("Pip -h "));
}

TEST_F(BurnTest, FailingToolsAreReportedAndTheSourceStays)
{
    const std::wstring folder = MakeFolder("keep", {{"a.rvd", 20000}});
    SearchDrives();
    struct Case {
        const char* tool;
        optical::Disc disc;
    } cases[] = {
        {"cdrecord", optical::BlankCdR()},
        {"growisofs", optical::BlankDvdPlusRw(true)},
        {"dvd+rw-format", [] {
             optical::Disc d = optical::BlankDvdR();
             d.profile = 0x14;
             return d;
         }()},
    };
    for (const Case& c : cases) {
        Insert(c.disc);
        optical::Drive drive = Drive();
        drive.failingTool = c.tool;
        SaveDrive(drive);
        IPyrelle* burner = OpenBurner();
        EXPECT_EQ(KSResultKind(burner->Burn(folder.c_str(), 1, L"label")), KS_KIND_BURN_FAILED) << c.tool;
        burner->Release();
        EXPECT_TRUE(Drive().disc.tracks.empty()) << c.tool;
        EXPECT_TRUE(HostExists(HostOf(folder) + "/a.rvd")) << c.tool;
    }
    // A disc too small for the files: the writer refuses it and says so by its code.
    Insert(optical::BlankCdR(1));
    const std::wstring big = MakeFolder("big", {{"big.rvd", 3 << 20}});
    IPyrelle* burner = OpenBurner();
    EXPECT_EQ(KSResultKind(burner->Burn(big.c_str(), 1, L"label")), KS_KIND_BURN_FAILED);
    burner->Release();
}

TEST_F(BurnTest, ProgressIsZeroBeforeAnyWriterAndReadableWhileOneRuns)
{
    IPyrelle* burner = OpenBurner();
    int value = -1, total = -1, stage = -1;
    EXPECT_EQ(burner->GetProgress(&value, &total, &stage), 0u);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(total, 0);
    EXPECT_EQ(stage, BURN_STAGE_IDLE);

    // Polled from another thread while the burn appends the tools' output.
    SearchDrives();
    const std::wstring folder = MakeFolder("poll", {{"a.rvd", 4 << 20}});
    std::atomic<bool> done{false};
    std::thread poll([&] {
        while (!done) {
            int v = 0, t = 0, s = 0;
            burner->GetProgress(&v, &t, &s);
            EXPECT_LE(v, t > 0 ? t : 100);
        }
    });
    EXPECT_EQ(burner->Burn(folder.c_str(), 1, L"label"), 0u);
    done = true;
    poll.join();
    burner->Release();
}

} // namespace

namespace {

TEST_F(BurnTest, AnUnreadableDriveAddressReachesTheCdToolWhole)
{
    optical::Drive drive = Drive();
    drive.failingOps = {0x101};
    drive.scsiId = "255,255,255";
    SaveDrive(drive);
    ASSERT_EQ(std::remove((program_ + "/scanbus").c_str()), 0);
    SearchDrives();
    const std::wstring folder = MakeFolder("whole", {{"a.rvd", 3000}});
    IPyrelle* burner = OpenBurner();
    EXPECT_EQ(burner->Burn(folder.c_str(), 1, L"label"), 0u);
    burner->Release();
    EXPECT_TRUE(DebugLinesMention("dev=255,255,255 "));
    EXPECT_TRUE(OnDiscAsIn(0, "a.rvd", HostOf(folder) + "/a.rvd"));
}

} // namespace
