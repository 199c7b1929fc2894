// The burner's view of the disc through pass-through, over the drive model.
#include "BurnerTestBench.h"

#include "DriveRequests.h"

namespace {

class DiscStateTest : public BurnerTestBench {};

optical::Disc WithTracks(optical::Disc disc, std::initializer_list<optical::Track> tracks, bool closed = false)
{
    disc.tracks = tracks;
    disc.closed = closed;
    return disc;
}

optical::Disc CdRwWithLeadOut(uint8_t m, uint8_t s, uint8_t f)
{
    optical::Disc disc = optical::BlankCdRw(600);
    disc.leadOut[0] = m;
    disc.leadOut[1] = s;
    disc.leadOut[2] = f;
    return disc;
}

TEST_F(DiscStateTest, DiscsReportTheirTypeSizesAndStatus)
{
    struct Case {
        const char* what;
        optical::Disc disc;
        unsigned long type;
        uint64_t totalKiB, usedKiB, freeKiB;
        uint32_t status;
        unsigned long hasData;
    } cases[] = {
        {"blank CD-R: always 700 MiB", optical::BlankCdR(650), BURN_MEDIA_CD_R, 716800, 0, 650 * 1024, 0, 0},
        {"CD-R with a session", WithTracks(optical::BlankCdR(650), {{0, 5120}}), BURN_MEDIA_CD_R, 716800, 10240,
         650 * 1024 - 10240, 1, 1},
        {"80-minute CD-RW", CdRwWithLeadOut(79, 59, 74), BURN_MEDIA_CD_RW, 701 * 1024, 0, 600 * 1024, 0, 0},
        {"74-minute CD-RW", CdRwWithLeadOut(74, 0, 0), BURN_MEDIA_CD_RW, 648 * 1024, 0, 600 * 1024, 0, 0},
        {"closed CD-R", WithTracks(optical::BlankCdR(700), {{0, 512}}, true), BURN_MEDIA_CD_R, 716800, 1024, 0, 2, 1},
        {"formatted DVD+RW", optical::BlankDvdPlusRw(true, 4000), BURN_MEDIA_DVD_PLUS_RW, 4000 * 1024, 0,
         4000 * 1024, 0, 0},
        {"unformatted DVD+RW", optical::BlankDvdPlusRw(false, 4000), BURN_MEDIA_DVD_PLUS_RW, 4000 * 1024, 0,
         4000 * 1024, 0, 0},
        {"DVD-R with data", WithTracks(optical::BlankDvdR(4000), {{0, 1024}}), BURN_MEDIA_DVD_R, 4000 * 1024, 2048,
         4000 * 1024 - 2048, 1, 1},
    };
    for (const Case& c : cases) {
        Insert(c.disc);
        IPyrelle* burner = OpenBurner();
        ASSERT_NE(burner, nullptr);
        EXPECT_EQ(burner->GetMediaType(0), c.type) << c.what;
        BURN_DISC_INFO info{};
        EXPECT_EQ(burner->GetDiscInfo(&info), 0u) << c.what;
        EXPECT_EQ(info.TotalKiB, c.totalKiB) << c.what;
        EXPECT_EQ(info.UsedKiB, c.usedKiB) << c.what;
        EXPECT_EQ(info.FreeKiB, c.freeKiB) << c.what;
        EXPECT_EQ(info.Status, c.status) << c.what;
        EXPECT_EQ(burner->HasData(), c.hasData) << c.what;
        burner->Release();
    }
}

TEST_F(DiscStateTest, FailedRequestsAndUnsettledCapacities)
{
    optical::Drive drive = Drive();
    drive.failingOps = {0x51};
    SaveDrive(drive);
    IPyrelle* burner = OpenBurner();
    BURN_DISC_INFO info{};
    EXPECT_EQ(KSResultKind(burner->GetDiscInfo(&info)), KS_KIND_DISC_INFO);
    burner->Release();

    // A failed profile probe reads as an unsupported disc.
    drive.failingOps = {0x46};
    SaveDrive(drive);
    burner = OpenBurner();
    EXPECT_EQ(burner->GetMediaType(0), BURN_MEDIA_UNSUPPORTED);
    burner->Release();

    // A capacity list that changes between its two reads gives no capacity.
    drive.failingOps.clear();
    drive.capacityListChanges = true;
    drive.disc = optical::BlankDvdPlusRw(true, 4000);
    SaveDrive(drive);
    burner = OpenBurner();
    EXPECT_EQ(burner->GetDiscInfo(&info), 0u);
    EXPECT_EQ(info.TotalKiB, 0u);
    burner->Release();
}

TEST_F(DiscStateTest, TheTrayIsLockedUnlockedAndEjected)
{
    IPyrelle* burner = OpenBurner();
    EXPECT_EQ(burner->LockTray(1), 0u);
    EXPECT_TRUE(Drive().locked);
    EXPECT_EQ(burner->LockTray(0), 0u);
    EXPECT_FALSE(Drive().locked);
    EXPECT_EQ(burner->Eject(), 0u);
    EXPECT_EQ(Drive().ejectCount, 1u);
    optical::Drive drive = Drive();
    drive.failingOps = {0x1E, 0x1B};
    SaveDrive(drive);
    EXPECT_EQ(KSResultKind(burner->LockTray(1)), KS_KIND_TRAY_LOCK);
    EXPECT_EQ(KSResultKind(burner->Eject()), KS_KIND_EJECT);
    burner->Release();
}

TEST_F(DiscStateTest, ANameThatIsNoDriveDoesNotOpen)
{
    IPyrelle* burner = nullptr;
    ASSERT_EQ(CreateObjectPyrelle(1, KS_PYRELLE_ID, reinterpret_cast<void**>(&burner)), 0u);
    EXPECT_FALSE(burner->Open(L"Q:"));
    burner->Release();
    EXPECT_EQ(KSResultKind(CreateObjectPyrelle(1, KS_PYRELLE_ID, nullptr)), KS_KIND_NO_OUT_POINTER);
    EXPECT_EQ(KSResultKind(CreateObjectPyrelle(1, 16, reinterpret_cast<void**>(&burner))), KS_KIND_BAD_ARGUMENT);
}

} // namespace
