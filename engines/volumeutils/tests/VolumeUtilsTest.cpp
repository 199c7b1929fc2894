// The volume utilities over a disk image of the disk map: partition numbers, volume
// names and letters as the platform layer's volume table gives them, and locks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "CDiskMap.h"
#include "FixtureImage.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "VolumeUtils.h"

#include <winioctl.h>

namespace {

class VolumeUtilsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        disk_ = MakeFixtureImage("backup/backup-disk.sh", "backup-disk.img");
        ASSERT_FALSE(disk_.empty());
        setenv(CDiskMap::kImagesVariable, disk_.c_str(), 1);
    }
    void TearDown() override { KSPlatformReset(); }
    std::string disk_;
};

TEST_F(VolumeUtilsTest, PartitionsAreNumberedPrimariesFirstThenLogicals)
{
    // The fixture: primaries at 2048, 36864, 106496, an extended one, a logical at 118784.
    const struct {
        uint64_t start;
        bool found;
        unsigned number;
    } cases[] = {{2048, true, 1}, {36864, true, 2}, {106496, true, 3}, {118784, true, 4}, {116736, false, 0},
                 {2049, false, 0}};
    for (const auto& c : cases) {
        unsigned number = 0;
        EXPECT_EQ(c.found, GetPartitionNumber(0, c.start, number)) << c.start;
        if (c.found) {
            EXPECT_EQ(c.number, number) << c.start;
        }
    }
    unsigned number = 0;
    EXPECT_FALSE(GetPartitionNumber(7, 2048, number)) << "no such disk";
}

TEST_F(VolumeUtilsTest, AVolumeNameGetsALetterThatIsFoundAgainAndRemoved)
{
    wchar_t name[39] = {};
    ASSERT_TRUE(GetVolumeOfPartition(name, 0, 36864));
    const std::string guid = KSPlatformVolumeGuid(0, 36864);
    EXPECT_EQ(std::wstring(name), std::wstring(guid.begin(), guid.end()));
    char letter = 0;
    EXPECT_FALSE(GetLetterOfPartition(letter, 0, 36864));
    const std::wstring volume = std::wstring(L"\\\\?\\Volume") + name + L"\\";
    ASSERT_TRUE(SetVolumeMountPointW(L"K:\\", volume.c_str()));
    EXPECT_FALSE(SetVolumeMountPointW(L"K:\\", volume.c_str())) << "the letter is taken";
    ASSERT_TRUE(GetLetterOfPartition(letter, 0, 36864));
    EXPECT_EQ('K', letter);
    EXPECT_FALSE(GetLetterOfPartition(letter, 0, 2048)) << "another partition has no letter";

    HANDLE locked = LockVolume('K');
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_TRUE(DismountVolume(locked, 'K'));
    UnlockAndCloseVolume(locked);
    EXPECT_TRUE(DismountVolume(INVALID_HANDLE_VALUE, 'K'));

    EXPECT_TRUE(RemoveDriveLetter('K'));
    EXPECT_FALSE(GetLetterOfPartition(letter, 0, 36864));
    EXPECT_FALSE(RemoveDriveLetter('K'));
    EXPECT_EQ(INVALID_HANDLE_VALUE, LockVolume('K')) << "nothing to open";
    EXPECT_FALSE(DismountVolume(INVALID_HANDLE_VALUE, 'K'));
    EXPECT_EQ(0u, KSPlatformOpenHandles());
}

// A machine has many more names in its device namespace than volumes; a list longer
// than any first guess is read whole, and the volume is still found and lettered.
TEST_F(VolumeUtilsTest, AVolumeIsFoundAmongMoreNamesThanAFirstBufferHolds)
{
    KSFakeClock clock;
    KSPlatformSetClock(&clock);
    for (unsigned i = 0; i < 3000; ++i) {
        const std::wstring name = L"SerialPortOfAMachineWithManyDevices" + std::to_wstring(i);
        KSPlatformAddObjectName(name, L"\\Device\\Serial" + std::to_wstring(i));
    }
    wchar_t name[39] = {};
    ASSERT_TRUE(GetVolumeOfPartition(name, 0, 36864));
    const std::string guid = KSPlatformVolumeGuid(0, 36864);
    EXPECT_EQ(std::wstring(name), std::wstring(guid.begin(), guid.end()));
    EXPECT_EQ(0u, AssignDriveLetter('K', 0, 36864));
    EXPECT_EQ('K', KSPlatformDriveLetterOf(0, 36864));
    EXPECT_EQ(0u, KSPlatformOpenHandles());
    KSPlatformSetClock(nullptr);
}

// A volume whose lock is refused is offered 11 tries, 100 ms apart, and reported as
// an invalid handle, closed again.
class RefusingVolume : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_SUCCESS; }
    DWORD Control(DWORD code, const void*, DWORD, void*, DWORD, DWORD& returned) override
    {
        returned = 0;
        ++tries[code];
        return ERROR_ACCESS_DENIED;
    }
    uint64_t Size() const override { return 0; }
    static std::map<DWORD, int> tries;
};
std::map<DWORD, int> RefusingVolume::tries;

TEST_F(VolumeUtilsTest, ALockThatIsRefusedIsTriedElevenTimes)
{
    KSFakeClock clock;
    KSPlatformSetClock(&clock);
    RefusingVolume::tries.clear();
    KSPlatformRegisterDevice("Q:", [](DWORD, DWORD&) { return std::make_shared<RefusingVolume>(); });
    EXPECT_EQ(INVALID_HANDLE_VALUE, LockVolume('Q'));
    EXPECT_EQ(11, RefusingVolume::tries[FSCTL_LOCK_VOLUME]);
    EXPECT_EQ(1100u, clock.Slept());
    EXPECT_FALSE(DismountVolume(nullptr, 'Q'));
    EXPECT_EQ(11, RefusingVolume::tries[FSCTL_DISMOUNT_VOLUME]);
    EXPECT_EQ(0u, KSPlatformOpenHandles());
    KSPlatformSetClock(nullptr);
}

} // namespace
