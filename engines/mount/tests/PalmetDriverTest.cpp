// Mounts through the driver's real core on the kernel port's fake: the engine plugs a
// set's volume into "\\.\ZeDiskBus", the fake Plug and Play manager starts the child,
// its disk arrives at the Win32 layer and the volume gets the wanted letter. The
// files read back through "\\.\X:", the list shows the disk, and the unmount leaves
// no disk, name, letter, handle, device or pool block behind.
#include "BackupDisk.h"
#include "CommandOutput.h"
#include "KSZedskacs.h"
#include "MountTestSets.h"
#include "Palmet.h"
#include "PluginRecord.h"
#include "WdkFake.h"

#include "KSImageFormat.h"
#include "KSPlatformArrival.h"
#include "KSPlatformControl.h"
#include "VolumeUtils.h"
#include "KSPlatformVolumes.h"
#include "KSResult.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// The volume of a letter read whole through "\\.\X:" into a file of the work folder.
bool CutVolume(char letter, const std::string& path, uint64_t& bytes)
{
    const std::string name = std::string("\\\\.\\") + letter + ":";
    HANDLE volume = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> chunk(64 * 1024);
    bytes = 0;
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(volume, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) != FALSE) && read) {
        out.write(chunk.data(), read);
        bytes += read;
    }
    CloseHandle(volume);
    return ok && out.good();
}

std::string Mtype(const std::string& image, uint64_t offset, const std::string& file)
{
    int status = 0;
    const std::string at = offset ? "@@" + std::to_string(offset) : std::string();
    const std::string text =
        CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + image + at + "' '::" + file + "' 2>/dev/null", &status);
    EXPECT_EQ(status, 0) << file;
    return text;
}

std::string Ntfscat(const std::string& image, const std::string& file)
{
    int status = 0;
    const std::string text = CommandOutput("ntfscat '" + image + "' '" + file + "' 2>/dev/null", &status);
    EXPECT_EQ(status, 0) << file;
    return text;
}

struct LetterArrival {
    const char* what;
    KSArrivalLetters letters;
    bool serviceStarts;         // the disk-access service starts when the engine asks
    unsigned long kind;         // the mount's result kind
};

class PalmetDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BackupDisk::Get();
        wdk::Reset();
        KSPlatformReset();
        handles = KSPlatformOpenHandles();
    }
    void TearDown() override
    {
        if (mount != nullptr)
            mount->Release();
        mount = nullptr;
        wdk::PnpManager::Instance().UnloadDriver();
        KSPlatformReset();
        CloseDiskAccessControlDevice();   // held for the process once a disk of the service opened
        EXPECT_EQ(KSPlatformOpenHandles(), handles) << "every handle is closed";
        EXPECT_EQ(wdk::LiveDevices(), 0);
        EXPECT_EQ(wdk::OpenFiles(), 0);
        EXPECT_EQ(wdk::Ledger().liveBlocks, 0u) << "no pool block left";
        wdk::Reset();
    }
    // The driver loaded, the disk-access service installed (started or refusing to
    // start), the mount object made, all on the fake clock.
    void Start(bool serviceStarts)
    {
        KSPlatformSetClock(&clock);
        ASSERT_EQ(wdk::PnpManager::Instance().LoadDriver(), 0);
        KSZedskacsInstall();
        if (!serviceStarts) {
            KSServiceScript refusing;
            refusing.name = "zedskacs";
            refusing.startError = ERROR_SERVICE_DISABLED_STAND_IN;
            KSPlatformAddService(refusing);
        }
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
        mount = static_cast<IKSMount*>(object);
    }
    unsigned long Mount(const MountSet& set, unsigned letter, const wchar_t* password = nullptr)
    {
        std::wstring path = set.file;
        _KS_VOLUME volume = set.volume;
        std::wstring secret = password != nullptr ? password : L"";
        return mount->MountImage(&path[0], &volume, letter, password != nullptr ? &secret[0] : nullptr);
    }
    std::vector<std::array<uint8_t, 256>> Listed()
    {
        uint32_t count = 0;
        EXPECT_EQ(mount->GetMountedDisks(nullptr, &count), 0u);
        std::vector<std::array<uint8_t, 256>> entries(count);
        if (count != 0) {
            EXPECT_EQ(mount->GetMountedDisks(entries.data(), &count), 0u);
        }
        entries.resize(count);
        return entries;
    }
    // After an unmount: no child, no arrived disk, no name of it, no letter of it.
    void ExpectAllGone(char letter)
    {
        EXPECT_TRUE(wdk::PnpManager::Instance().Children().empty());
        EXPECT_TRUE(KSPlatformArrivedDisks().empty());
        EXPECT_EQ(GetLogicalDrives() & (1u << (letter - 'A')), 0u);
        std::vector<wchar_t> names(65536);
        ASSERT_NE(QueryDosDeviceW(nullptr, names.data(), static_cast<DWORD>(names.size())), 0u);
        for (const wchar_t* name = names.data(); *name; name += std::wcslen(name) + 1)
            EXPECT_NE(std::wcsncmp(name, L"Harddisk1", 9), 0) << "no name of disk 1";
        wchar_t target[128];
        EXPECT_EQ(QueryDosDeviceW(L"Harddisk1Partition1", target, 128), 0u);
        const std::string volumeName = KSPlatformVolumeGuid(1, 63);
        EXPECT_EQ(QueryDosDeviceW((L"Volume" + std::wstring(volumeName.begin(), volumeName.end())).c_str(), target,
                                  128),
                  0u);
        HANDLE disk = CreateFileA("\\\\.\\PhysicalDrive1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(disk, INVALID_HANDLE_VALUE);
    }

    static constexpr DWORD ERROR_SERVICE_DISABLED_STAND_IN = 1058;
    KSFakeClock clock;
    IKSMount* mount = nullptr;
    unsigned handles = 0;
};

TEST_F(PalmetDriverTest, FatVolumeMountsReadsBackListsAndUnmountsWhateverLetterItArrivesWith)
{
    const BackupDisk& source = BackupDisk::Get();
    const MountSet set = BackUpOneVolume("driver-fat16", source.fat16.index, L"");
    const LetterArrival cases[] = {
        {"a letter at once, moved to the wanted one", {0, 0}, true, 0},
        {"the wanted letter at once", {0, 'K'}, true, 0},
        {"no letter of the system's: the engine gives it", {KSArrivalLetters::kNever, 0}, true, 0},
        {"no disk-access service: the letter after 40 polls, then moved", {40, 0}, false, 0},
        {"no service and never a letter", {KSArrivalLetters::kNever, 0}, false, 0x015},
    };
    const unsigned wanted = 10;   // K:
    for (const LetterArrival& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Start(c.serviceStarts);
        KSPlatformSetArrivalLetters(c.letters);
        const unsigned long rc = Mount(set, wanted);
        EXPECT_EQ(KSResultKind(rc), c.kind);
        if (c.kind != 0) {
            ExpectAllGone('K');
            EXPECT_TRUE(Listed().empty());
            continue;
        }
        ASSERT_EQ(rc, 0u);
        EXPECT_EQ(GetLogicalDrives(), 1u << wanted) << "the volume holds K: and no other letter";
        KSDriveEntry drive;
        ASSERT_TRUE(KSPlatformFindDrive('K', drive));
        EXPECT_EQ(drive.volume.disk, 1u) << "the next disk after the fixture disk";
        EXPECT_EQ(drive.volume.firstSector, 63u);

        const std::vector<std::array<uint8_t, 256>> listed = Listed();
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0][ZEDISK_VOLUME_LETTER], wanted);

        const std::string cut = MakeWorkFolder("driver-fat16-cut") + "/volume.img";
        uint64_t bytes = 0;
        ASSERT_TRUE(CutVolume('K', cut, bytes));
        EXPECT_EQ(bytes, MountDiskSectors(set.volume.TotalSectors) * 512) << "the partition the record asked for";
        for (const char* file : {"/DOCS/FILE1.TXT", "/DOCS/FILE5.TXT", "/BIG.BIN"}) {
            const std::string got = Mtype(cut, 0, file);
            EXPECT_FALSE(got.empty()) << file;
            EXPECT_TRUE(got == Mtype(source.Path(), source.fat16.start * 512, file)) << file;
        }
        std::remove(cut.c_str());

        ASSERT_EQ(mount->UnmountImage(1u << wanted), 0u);
        ExpectAllGone('K');
        EXPECT_TRUE(Listed().empty());
    }
}

TEST_F(PalmetDriverTest, AVolumeBeginningInALaterFileOfASplitSetReadsBack)
{
    const BackupDisk& source = BackupDisk::Get();
    const MountSet set = BackUpSplitVolume("driver-split", source.fat32.index, 3, 50, 1);
    ASSERT_EQ(set.volume.Magic, KS_VOLUME_MAGIC);
    ASSERT_GE(set.files.size(), 3u);
    Start(true);
    ASSERT_EQ(Mount(set, 11), 0u);
    // The disk was plugged in with the file holding the volume's start: a middle one.
    HANDLE volume = CreateFileA("\\\\.\\L:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> record(ZEDISK_PLUGIN_RECORD_SIZE);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(volume, IOCTL_ZEDISK_GET_RECORD, nullptr, 0, record.data(),
                                static_cast<DWORD>(record.size()), &returned, nullptr));
    CloseHandle(volume);
    std::wstring path;
    for (size_t at = ZEDISK_RECORD_PATH; at + 1 < record.size() && (record[at] | record[at + 1]); at += 2)
        path += static_cast<wchar_t>(record[at] | (record[at + 1] << 8));
    EXPECT_NE(std::find(set.files.begin(), set.files.end(), path), set.files.end()) << "a file of the set";
    EXPECT_NE(path, set.files.front());
    EXPECT_NE(path, set.files.back());
    const std::string cut = MakeWorkFolder("driver-split-cut") + "/volume.img";
    uint64_t bytes = 0;
    ASSERT_TRUE(CutVolume('L', cut, bytes));
    EXPECT_EQ(bytes, MountDiskSectors(set.volume.TotalSectors) * 512);
    for (const char* file : {"/DOCS/FILE2.TXT", "/BIG.BIN"}) {
        const std::string got = Mtype(cut, 0, file);
        EXPECT_FALSE(got.empty()) << file;
        EXPECT_TRUE(got == Mtype(source.Path(), source.fat32.start * 512, file)) << file;
    }
    std::remove(cut.c_str());
    ASSERT_EQ(mount->UnmountImage(1u << 11), 0u);
    ExpectAllGone('L');
}

TEST_F(PalmetDriverTest, TwoMountsAreListedAndAListTooSmallIsRefused)
{
    const BackupDisk& source = BackupDisk::Get();
    const MountSet fat16 = BackUpOneVolume("driver-two-16", source.fat16.index, L"");
    const MountSet fat12 = BackUpOneVolume("driver-two-12", source.fat12.index, L"");
    Start(true);
    ASSERT_EQ(Mount(fat16, 10), 0u);
    ASSERT_EQ(Mount(fat12, 11), 0u);
    EXPECT_EQ(GetLogicalDrives(), (1u << 10) | (1u << 11));
    EXPECT_EQ(KSPlatformArrivedDisks(), (std::vector<unsigned>{1, 2}));

    uint32_t count = 0;
    ASSERT_EQ(mount->GetMountedDisks(nullptr, &count), 0u);
    EXPECT_EQ(count, 2u);
    std::vector<std::array<uint8_t, 256>> entries(2);
    count = 1;
    EXPECT_EQ(KSResultKind(mount->GetMountedDisks(entries.data(), &count)), 0x00Eu);
    count = 2;
    ASSERT_EQ(mount->GetMountedDisks(entries.data(), &count), 0u);
    ASSERT_EQ(count, 2u);
    const unsigned letters = (1u << entries[0][ZEDISK_VOLUME_LETTER]) | (1u << entries[1][ZEDISK_VOLUME_LETTER]);
    EXPECT_EQ(letters, (1u << 10) | (1u << 11));

    // A mask of 0 unplugs every disk of the bus.
    ASSERT_EQ(mount->UnmountImage(0), 0u);
    ExpectAllGone('K');
    EXPECT_EQ(GetLogicalDrives(), 0u);
    EXPECT_TRUE(Listed().empty());
}

TEST_F(PalmetDriverTest, NoBusAndARefusedPlugInLeaveNothingBehind)
{
    const MountSet set = BackUpOneVolume("driver-refused", BackupDisk::Get().fat16.index, L"");
    // The driver not loaded: no bus device.
    KSZedskacsInstall();
    void* object = nullptr;
    ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
    mount = static_cast<IKSMount*>(object);
    EXPECT_EQ(KSResultKind(Mount(set, 10)), 0x104u);
    mount->Release();
    mount = nullptr;

    // The core still holds K: for a disk whose letter was moved outside: it refuses a
    // second plug-in for K:, and nothing more arrives.
    const MountSet other = BackUpOneVolume("driver-refused-12", BackupDisk::Get().fat12.index, L"");
    Start(true);
    ASSERT_EQ(Mount(set, 10), 0u);
    wchar_t volume[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeNameForVolumeMountPointW(L"K:\\", volume, MAX_PATH));
    ASSERT_TRUE(DeleteVolumeMountPointW(L"K:\\"));
    ASSERT_TRUE(SetVolumeMountPointW(L"M:\\", volume));
    EXPECT_EQ(KSResultKind(Mount(other, 10)), 0x050u);
    EXPECT_EQ(KSPlatformArrivedDisks(), std::vector<unsigned>{1});
    EXPECT_EQ(wdk::PnpManager::Instance().Children().size(), 1u);
    EXPECT_EQ(GetLogicalDrives(), 1u << 12);
    ASSERT_EQ(mount->UnmountImage(0), 0u);
    ExpectAllGone('M');
}

TEST_F(PalmetDriverTest, WritesReadBackAndEjectTakesTheDiskAwayWithItsNamesAndLetter)
{
    const MountSet set = BackUpOneVolume("driver-eject", BackupDisk::Get().fat16.index, L"");
    Start(true);
    ASSERT_EQ(Mount(set, 9), 0u);
    ASSERT_EQ(KSPlatformArrivedDisks().size(), 1u);

    // A write through the letter reaches the disk's own sectors and reads back.
    HANDLE volume = CreateFileA("\\\\.\\J:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    std::vector<char> pattern(4096), back(4096);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<char>(i * 7 + 3);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(set.volume.TotalSectors - 8) * 512;
    DWORD done = 0;
    ASSERT_TRUE(SetFilePointerEx(volume, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(volume, pattern.data(), 4096, &done, nullptr));
    ASSERT_TRUE(SetFilePointerEx(volume, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(ReadFile(volume, back.data(), 4096, &done, nullptr));
    CloseHandle(volume);
    EXPECT_TRUE(back == pattern);
    HANDLE disk = CreateFileA("\\\\.\\PhysicalDrive1", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    at.QuadPart += 63 * 512;
    std::fill(back.begin(), back.end(), 0);
    ASSERT_TRUE(SetFilePointerEx(disk, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(ReadFile(disk, back.data(), 4096, &done, nullptr));
    CloseHandle(disk);
    EXPECT_TRUE(back == pattern) << "the same sectors seen through the whole disk";
    ASSERT_EQ(mount->EjectImage(1u << 9), 0u);
    ExpectAllGone('J');
    EXPECT_TRUE(Listed().empty());
}

TEST_F(PalmetDriverTest, NtfsVolumeOfAnEncryptedSetReadsBackThroughItsLetter)
{
    const BackupDisk& source = BackupDisk::Get();
    const MountSet set = BackUpOneVolume("driver-ntfs", source.ntfs.index, L"pa55");
    Start(true);
    const unsigned long wrong = Mount(set, 6, L"wrong");
    EXPECT_EQ(KSResultKind(wrong), static_cast<unsigned long>(KS_KIND_WRONG_PASSWORD));
    EXPECT_EQ(KSResultModule(wrong), static_cast<unsigned long>(KS_MODULE_CONTAINER));
    EXPECT_TRUE(KSPlatformArrivedDisks().empty()) << "nothing plugged in";
    ASSERT_EQ(Mount(set, 6, L"pa55"), 0u);

    // The volume answers the driver's own code: the record, its password zeroed.
    HANDLE volume = CreateFileA("\\\\.\\G:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> record(ZEDISK_PLUGIN_RECORD_SIZE, 0xEE);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(volume, IOCTL_ZEDISK_GET_RECORD, nullptr, 0, record.data(),
                                static_cast<DWORD>(record.size()), &returned, nullptr));
    CloseHandle(volume);
    EXPECT_EQ(returned, ZEDISK_PLUGIN_RECORD_SIZE);
    EXPECT_EQ(record[ZEDISK_RECORD_LETTER], 6);
    EXPECT_EQ(std::count(record.begin() + ZEDISK_RECORD_PASSWORD, record.begin() + ZEDISK_RECORD_PATH, 0), 128)
        << "no byte of the password leaves the driver";

    const std::string folder = MakeWorkFolder("driver-ntfs-cut");
    uint64_t bytes = 0;
    ASSERT_TRUE(CutVolume('G', folder + "/volume.img", bytes));
    ASSERT_EQ(bytes, MountDiskSectors(set.volume.TotalSectors) * 512);
    const std::string original = folder + "/original.img";
    const std::vector<uint8_t> part = source.ReadSectors(source.ntfs.start, source.ntfs.sectors);
    std::ofstream(original, std::ios::binary).write(reinterpret_cast<const char*>(part.data()),
                                                    static_cast<std::streamsize>(part.size()));
    for (const char* file : {"file1.bin", "file3.bin"}) {
        const std::string got = Ntfscat(folder + "/volume.img", file);
        EXPECT_EQ(got.size(), std::string(file) == "file1.bin" ? 300000u : 900000u) << file;
        EXPECT_TRUE(got == Ntfscat(original, file)) << file;
    }
    ASSERT_EQ(mount->UnmountImage(1u << 6), 0u);
    ExpectAllGone('G');
}

} // namespace
