// The write-protection probe of lettered volumes and the disk-access service, both
// through the platform layer's drive, device and service tables.
#include <KSPlatformControl.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "CDiskAccessService.h"
#include "ScriptedVessmar.h"

namespace {

// One small disk-image file as disk 0 of the disk map, for the volumes to live on.
class ScratchDisk {
public:
    ScratchDisk()
    {
        char pattern[] = "/tmp/censa-probe-XXXXXX";
        folder_ = mkdtemp(pattern);
        path_ = folder_ + "/disk.img";
        if (FILE* f = std::fopen(path_.c_str(), "wb")) {
            std::fseek(f, 1024 * 1024 - 1, SEEK_SET);
            std::fputc(0, f);
            std::fclose(f);
        }
        setenv("RVD_DISK_IMAGES", path_.c_str(), 1);
    }
    ~ScratchDisk()
    {
        setenv("RVD_DISK_IMAGES", "", 1);
        std::remove(path_.c_str());
        rmdir(folder_.c_str());
    }

private:
    std::string folder_, path_;
};

void AddVolumeDrive(char letter, bool writeProtected)
{
    KSDriveEntry drive;
    drive.letter = letter;
    drive.hasVolume = true;
    drive.volume.disk = 0;
    drive.volume.firstSector = 0;
    drive.volume.sectors = 2048;
    drive.volume.writeProtected = writeProtected;
    ASSERT_TRUE(KSPlatformAddDrive(drive));
}

// A volume device that answers every control code with one error.
class RefusingVolume : public KSDevice {
public:
    explicit RefusingVolume(DWORD error) : error_(error) {}
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { done = 0; return ERROR_SUCCESS; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { done = 0; return ERROR_SUCCESS; }
    DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD& returned) override
    {
        returned = 0;
        return error_;
    }
    uint64_t Size() const override { return 1024 * 1024; }

private:
    DWORD error_;
};

TEST_F(CensaScripted, OnlyAWriteProtectedVolumeThatOpensIsMarked)
{
    ScratchDisk disk;
    AddVolumeDrive('P', true);
    AddVolumeDrive('Q', false);
    KSDriveEntry folderOnly;
    folderOnly.letter = 'R';
    folderOnly.hostFolder = "/tmp";
    ASSERT_TRUE(KSPlatformAddDrive(folderOnly));
    KSPlatformRegisterDevice("S:", [](DWORD, DWORD&) { return std::make_shared<RefusingVolume>(ERROR_WRITE_PROTECT); });
    KSPlatformRegisterDevice("T:", [](DWORD, DWORD&) { return std::make_shared<RefusingVolume>(ERROR_INVALID_FUNCTION); });
    KSPlatformRegisterDevice("U:", [](DWORD, DWORD& error) {
        error = ERROR_ACCESS_DENIED;
        return std::shared_ptr<KSDevice>();
    });

    const struct {
        char letter;
        bool volume;
        uint8_t flag;
    } cases[] = {
        {'P', true, KS_PART_FLAG_WRITE_PROTECTED},
        {'p', true, KS_PART_FLAG_WRITE_PROTECTED}, // letters of either case name the drive
        {'Q', true, 0},                            // writable
        {'R', true, 0},                            // a drive without a volume does not open
        {'S', true, KS_PART_FLAG_WRITE_PROTECTED}, // any device answering "write-protected"
        {'T', true, 0},                            // another refusal is not write protection
        {'U', true, 0},                            // does not open
        {'V', true, 0},                            // no such drive
        {'1', true, 0},                            // not a letter: never probed
        {0, true, 0},                              // no letter
        {'P', false, 0},                           // no volume interface: no letter at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "letter " << (c.letter ? c.letter : '0') << " volume " << c.volume);
        ScriptedPartition plan;
        plan.letter = c.letter;
        plan.volume = c.volume;
        ScriptedDisk fake = OneDisk();
        fake.partitions = {plan};
        Script().disks = {fake};
        _KS_PARTITION_INFO info;
        ASSERT_EQ(censa_.GetPartitionInfo(0, 0, &info, nullptr), 0u);
        EXPECT_EQ(info.Flags & KS_PART_FLAG_WRITE_PROTECTED, c.flag);
        EXPECT_EQ(info.DriveLetter, c.volume ? c.letter : 0);
        EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore_) << "the probe closes its volume";
    }
}

TEST_F(CensaScripted, ServiceStartCountsARunningServiceAsStarted)
{
    const struct {
        const char* what;
        bool exists;
        DWORD state;
        DWORD startError;
        DWORD managerError;
        bool started;
    } cases[] = {
        {"stopped", true, SERVICE_STOPPED, ERROR_SUCCESS, ERROR_SUCCESS, true},
        {"running", true, SERVICE_RUNNING, ERROR_SUCCESS, ERROR_SUCCESS, true},
        {"refuses", true, SERVICE_STOPPED, ERROR_ACCESS_DENIED, ERROR_SUCCESS, false},
        {"absent", false, SERVICE_STOPPED, ERROR_SUCCESS, ERROR_SUCCESS, false},
        {"no manager", true, SERVICE_STOPPED, ERROR_SUCCESS, ERROR_ACCESS_DENIED, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KSPlatformReset();
        if (c.exists)
            KSPlatformAddService({"zedskacs", c.state, c.startError, ERROR_SUCCESS});
        KSPlatformSetServiceManagerError(c.managerError);
        EXPECT_EQ(CDiskAccessService::Start(), c.started);
        EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u);
        KSServiceRecord record;
        if (c.exists && KSPlatformFindService("zedskacs", record)) {
            EXPECT_EQ(record.state, c.started ? static_cast<DWORD>(SERVICE_RUNNING) : c.state);
        }
        KSPlatformSetServiceManagerError(ERROR_SUCCESS);
    }
}

TEST_F(CensaScripted, StopAsksTheServiceToStopAndAlwaysSucceeds)
{
    EXPECT_EQ(censa_.Stop(), 0u) << "no service at all";
    KSPlatformAddService({"zedskacs", SERVICE_RUNNING, ERROR_SUCCESS, ERROR_SUCCESS});
    EXPECT_EQ(censa_.Stop(), 0u);
    KSServiceRecord record;
    ASSERT_TRUE(KSPlatformFindService("zedskacs", record));
    EXPECT_EQ(record.stops, 1u);
    EXPECT_EQ(record.state, static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u);

    KSPlatformAddService({"zedskacs", SERVICE_RUNNING, ERROR_SUCCESS, ERROR_ACCESS_DENIED});
    EXPECT_FALSE(CDiskAccessService::Stop());
    EXPECT_EQ(censa_.Stop(), 0u) << "a refused stop is not reported";
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u);
}

} // namespace
