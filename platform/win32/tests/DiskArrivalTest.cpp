// What the layer does after a disk is plugged in: the next disk number with its
// drive layout, partition and volume names, letters after the polls a test sets,
// volumes that pass the owner's codes on and take locks, and removal undoing it all.
#include "MemoryDisk.h"
#include "PlatformTestHelpers.h"

#include <KSPlatformArrival.h>
#include <KSPlatformVolumes.h>
#include <winioctl.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

// Two primaries (63 and 200), an extended partition at 300 with one logical at 301.
std::shared_ptr<MemoryDisk> PartitionedDisk()
{
    auto disk = std::make_shared<MemoryDisk>(512, 0);
    disk->Entry(0, 0, 0x0B, 63, 100, true);
    disk->Entry(0, 1, 0x06, 200, 50);
    disk->Entry(0, 2, 0x05, 300, 100);
    disk->Entry(300, 0, 0x07, 1, 40);
    return disk;
}

HANDLE OpenArrived(const std::string& name)
{
    return CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring NameTarget(const std::wstring& name)
{
    wchar_t target[256] = {};
    return QueryDosDeviceW(name.c_str(), target, 256) != 0 ? std::wstring(target) : std::wstring();
}

std::vector<std::wstring> AllNames()
{
    std::vector<wchar_t> list(65536);
    std::vector<std::wstring> names;
    if (QueryDosDeviceW(nullptr, list.data(), static_cast<DWORD>(list.size())) == 0)
        return names;
    for (const wchar_t* name = list.data(); *name; name += std::wcslen(name) + 1)
        names.emplace_back(name);
    return names;
}

std::wstring VolumeName(unsigned disk, uint64_t first)
{
    const std::string guid = KSPlatformVolumeGuid(disk, first);
    return L"Volume" + std::wstring(guid.begin(), guid.end());
}

class DiskArrivalTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        const char* old = std::getenv("RVD_DISK_IMAGES");
        hadImages_ = old != nullptr;
        oldImages_ = old ? old : "";
        setenv("RVD_DISK_IMAGES", "", 1);   // no disk of the machine, no image
    }
    void TearDown() override
    {
        if (hadImages_)
            setenv("RVD_DISK_IMAGES", oldImages_.c_str(), 1);
        else
            unsetenv("RVD_DISK_IMAGES");
        PlatformTest::TearDown();
    }
    bool hadImages_ = false;
    std::string oldImages_;
};

TEST_F(DiskArrivalTest, DiskGetsTheNextNumberItsLayoutAndTheNamesOfItsPartitions)
{
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0);
    HANDLE disk = OpenArrived("PhysicalDrive0");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> layout(8 + 32 * 8);
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, layout.data(),
                                static_cast<DWORD>(layout.size()), &returned, nullptr));
    ASSERT_EQ(returned, 8u + 3 * 32);
    EXPECT_EQ(layout[0], 3);
    const uint64_t starts[] = {63, 200, 301};
    for (int i = 0; i < 3; ++i) {
        uint64_t offset = 0;
        std::memcpy(&offset, layout.data() + 8 + 32 * i, 8);
        EXPECT_EQ(offset, starts[i] * 512) << i;
        EXPECT_EQ(layout[8 + 32 * i + 20], i + 1) << "partition number";
    }
    EXPECT_EQ(layout[8 + 24], 0x0B);
    EXPECT_EQ(layout[8 + 25], 1) << "the first one is active";
    EXPECT_EQ(FirstByteOfSector(disk, 301), static_cast<unsigned char>(301));
    CloseHandle(disk);

    const std::vector<std::wstring> names = AllNames();
    for (unsigned partition = 1; partition <= 3; ++partition) {
        const std::wstring name = L"Harddisk0Partition" + std::to_wstring(partition);
        const std::wstring device = NameTarget(name);
        EXPECT_FALSE(device.empty()) << partition;
        EXPECT_EQ(NameTarget(VolumeName(0, starts[partition - 1])), device);
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
        EXPECT_NE(std::find(names.begin(), names.end(), VolumeName(0, starts[partition - 1])), names.end());
    }
    EXPECT_TRUE(NameTarget(L"Harddisk0Partition4").empty());

    // A second disk takes the next number; the first one's going frees its number.
    ASSERT_EQ(KSPlatformDiskArrival(std::make_shared<MemoryDisk>(16, 'e')), 1);
    ASSERT_TRUE(KSPlatformDiskRemoval(0));
    EXPECT_EQ(KSPlatformArrivedDisks(), std::vector<unsigned>{1});
    auto third = std::make_shared<MemoryDisk>(16, 'f');
    ASSERT_EQ(KSPlatformDiskArrival(third), 0);
    EXPECT_FALSE(KSPlatformDiskRemoval(7));
    // A removal meant for the disk that held the number before takes nothing away.
    const auto second = std::make_shared<MemoryDisk>(16, 'g');
    EXPECT_FALSE(KSPlatformDiskRemoval(0, second.get()));
    EXPECT_EQ(KSPlatformArrivedDisks(), (std::vector<unsigned>{0, 1}));
    EXPECT_TRUE(KSPlatformDiskRemoval(0, third.get()));
}

TEST_F(DiskArrivalTest, LettersComeAfterThePollsTheTestSets)
{
    struct Case {
        const char* what;
        unsigned polls;
        char chosen;
        char taken;          // a letter in use before the disk arrives
        DWORD lettersAfter;  // the disk's letters once they came (bits)
    };
    const Case cases[] = {
        {"at once, the first free from C", 0, 0, 0, (1u << 2) | (1u << 3) | (1u << 4)},
        {"after three polls", 3, 0, 0, (1u << 2) | (1u << 3) | (1u << 4)},
        {"the chosen one for the first volume", 2, 'K', 0, (1u << 10) | (1u << 2) | (1u << 3)},
        {"the chosen one taken: the first free", 1, 'D', 'D', (1u << 2) | (1u << 4) | (1u << 5)},
        {"C taken: from D on", 0, 0, 'C', (1u << 3) | (1u << 4) | (1u << 5)},
    };
    for (const Case& c : cases) {
        KSPlatformReset();
        setenv("RVD_DISK_IMAGES", "", 1);
        DWORD before = 0;
        if (c.taken) {
            KSDriveEntry drive;
            drive.letter = c.taken;
            drive.hostFolder = "/nonexistent";
            ASSERT_TRUE(KSPlatformAddDrive(drive));
            before = 1u << (c.taken - 'A');
        }
        KSArrivalLetters letters;
        letters.polls = c.polls;
        letters.letter = c.chosen;
        KSPlatformSetArrivalLetters(letters);
        ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0) << c.what;
        for (unsigned poll = 1; poll < c.polls; ++poll)
            EXPECT_EQ(GetLogicalDrives(), before) << c.what << ", poll " << poll;
        EXPECT_EQ(GetLogicalDrives(), before | c.lettersAfter) << c.what;
        EXPECT_EQ(GetLogicalDrives(), before | c.lettersAfter) << c.what << ": the letters stay";
    }
}

TEST_F(DiskArrivalTest, NoLetterWhenToldNeverAndAVolumeLetteredMeanwhileKeepsItsLetter)
{
    KSArrivalLetters letters;
    letters.polls = KSArrivalLetters::kNever;
    KSPlatformSetArrivalLetters(letters);
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0);
    for (int poll = 0; poll < 20; ++poll)
        EXPECT_EQ(GetLogicalDrives(), 0u);

    letters.polls = 2;
    KSPlatformSetArrivalLetters(letters);
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 1);
    const std::wstring volume = L"\\\\?\\" + VolumeName(1, 63) + L"\\";
    ASSERT_TRUE(SetVolumeMountPointW(L"M:\\", volume.c_str()));
    GetLogicalDrives();
    EXPECT_EQ(GetLogicalDrives(), (1u << 12) | (1u << 2) | (1u << 3)) << "M: kept, the others from C";
    EXPECT_EQ(KSPlatformDriveLetterOf(1, 63), 'M');
}

TEST_F(DiskArrivalTest, VolumeReadsItsPartitionAndPassesOtherCodesToTheOwner)
{
    auto owner = PartitionedDisk();
    ASSERT_EQ(KSPlatformDiskArrival(owner), 0);
    HANDLE volume = OpenArrived("C:");
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteOfSector(volume, 0), 63);
    EXPECT_EQ(FirstByteOfSector(volume, 99), 162);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(volume, &size));
    EXPECT_EQ(size.QuadPart, 100 * 512);

    // A write inside lands in the partition; one past its end writes nothing.
    std::vector<unsigned char> data(1024, 0x5C);
    LARGE_INTEGER to;
    to.QuadPart = 98 * 512;
    ASSERT_TRUE(SetFilePointerEx(volume, to, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(volume, data.data(), 1024, &written, nullptr));
    EXPECT_EQ(owner->bytes[(63 + 98) * 512], 0x5C);
    EXPECT_FALSE(WriteFile(volume, data.data(), 1024, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_SECTOR_NOT_FOUND);
    EXPECT_EQ(owner->bytes[(63 + 100) * 512], static_cast<unsigned char>(163));

    char answer[4] = {};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(volume, MemoryDisk::kOwnerCode, nullptr, 0, answer, 4, &returned, nullptr));
    EXPECT_EQ(std::string(answer, 4), "OWNR");
    CloseHandle(volume);
}

TEST_F(DiskArrivalTest, OneHandleHoldsAVolumesLockUntilItUnlocksOrCloses)
{
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0);
    HANDLE first = OpenArrived("C:");
    HANDLE second = OpenArrived("C:");
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(first, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_FALSE(DeviceIoControl(second, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeviceIoControl(second, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_TRUE(DeviceIoControl(first, FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    KSArrivedVolumeControls controls;
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(0, 1, controls));
    EXPECT_TRUE(controls.locked);
    EXPECT_EQ(controls.dismounts, 1u);
    CloseHandle(first);   // closing lets go of the lock
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(0, 1, controls));
    EXPECT_FALSE(controls.locked);
    EXPECT_TRUE(DeviceIoControl(second, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_TRUE(DeviceIoControl(second, FSCTL_UNLOCK_VOLUME, nullptr, 0, nullptr, 0, &returned, nullptr));
    ASSERT_TRUE(KSPlatformArrivedVolumeControls(0, 1, controls));
    EXPECT_EQ(controls.locks, 3u);
    EXPECT_EQ(controls.unlocks, 2u);
    EXPECT_FALSE(controls.locked);
    CloseHandle(second);
    EXPECT_FALSE(KSPlatformArrivedVolumeControls(0, 4, controls));
}

TEST_F(DiskArrivalTest, RemovalUndoesItAllAndOpenHandlesNeverReachTheOwnerAgain)
{
    auto owner = PartitionedDisk();
    ASSERT_EQ(KSPlatformDiskArrival(owner), 0);
    ASSERT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));
    HANDLE volume = OpenArrived("D:");
    HANDLE disk = OpenArrived("PhysicalDrive0");
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(KSPlatformDiskRemoval(0));
    const unsigned requests = owner->requests;

    EXPECT_EQ(GetLogicalDrives(), 0u);
    EXPECT_TRUE(NameTarget(L"Harddisk0Partition1").empty());
    EXPECT_TRUE(NameTarget(VolumeName(0, 63)).empty());
    EXPECT_TRUE(AllNames().empty());
    EXPECT_EQ(OpenArrived("PhysicalDrive0"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenArrived("C:"), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(KSPlatformArrivedDisks().empty());

    unsigned char sector[512];
    DWORD done = 0;
    for (HANDLE handle : {volume, disk}) {
        EXPECT_FALSE(ReadFile(handle, sector, 512, &done, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
        EXPECT_FALSE(WriteFile(handle, sector, 512, &done, nullptr));
        EXPECT_FALSE(DeviceIoControl(handle, MemoryDisk::kOwnerCode, nullptr, 0, sector, 4, &done, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    }
    EXPECT_FALSE(DeviceIoControl(volume, FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &done, nullptr));
    EXPECT_EQ(owner->requests, requests) << "nothing reached the owner after removal";
    CloseHandle(volume);
    CloseHandle(disk);
}

TEST_F(DiskArrivalTest, RemovalWhileAnotherThreadReadsEndsItsReadsCleanly)
{
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0);
    HANDLE volume = OpenArrived("C:");
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    std::atomic<bool> removed{false};
    std::atomic<unsigned> wrong{0}, afterRemoval{0};
    std::thread reader([&] {
        unsigned char sector[512];
        for (unsigned i = 0; i < 4000; ++i) {
            const bool wasRemoved = removed;
            LARGE_INTEGER to;
            to.QuadPart = (i % 100) * 512;
            DWORD read = 0;
            const bool ok = SetFilePointerEx(volume, to, nullptr, FILE_BEGIN) &&
                            ReadFile(volume, sector, 512, &read, nullptr);
            if (ok && (read != 512 || sector[0] != static_cast<unsigned char>(63 + i % 100)))
                ++wrong;
            if (!ok && GetLastError() != ERROR_NOT_READY)
                ++wrong;
            if (ok && wasRemoved)
                ++afterRemoval;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(KSPlatformDiskRemoval(0));
    removed = true;
    reader.join();
    EXPECT_EQ(wrong, 0u) << "each read gave the sector or ERROR_NOT_READY";
    EXPECT_EQ(afterRemoval, 0u) << "no read succeeded once the removal had returned";
    CloseHandle(volume);
}

TEST_F(DiskArrivalTest, AnImageNamedLaterNeverStandsInForAnArrivedDisksNumber)
{
    // The arrived disk takes number 0; then the disk map is given an image, whose
    // number is 0 as well. The arrived disk's names and files stay its own.
    ASSERT_EQ(KSPlatformDiskArrival(PartitionedDisk()), 0);
    char folder[] = "/tmp/arrival-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string image = std::string(folder) + "/late.img";
    auto late = std::make_shared<MemoryDisk>(512, 0);
    late->Entry(0, 0, 0x0C, 63, 400);
    late->bytes[63 * 512] = 0xEB;
    std::FILE* out = std::fopen(image.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(late->bytes.data(), 1, late->bytes.size(), out);
    std::fclose(out);
    setenv("RVD_DISK_IMAGES", image.c_str(), 1);

    EXPECT_FALSE(KSVolumeFilePath("C:\\boot.ini")) << "the arrived volume's files are not the image's";
    std::string bytes;
    EXPECT_NE(KSVolumeFileRead("C:\\boot.ini", bytes), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE disk = OpenArrived("PhysicalDrive0");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteOfSector(disk, 63), 63) << "the arrived disk, not the image";
    CloseHandle(disk);
    EXPECT_EQ(NameTarget(L"Harddisk0Partition3"), NameTarget(VolumeName(0, 301)));
    const std::vector<std::wstring> names = AllNames();
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::wstring& n) { return n.compare(0, 8, L"Harddisk") == 0; }),
              3);

    ASSERT_TRUE(KSPlatformDiskRemoval(0));
    std::remove(image.c_str());
    rmdir(folder);
}

TEST_F(DiskArrivalTest, DiskThatCannotBeReadDoesNotArrive)
{
    class Unreadable : public MemoryDisk {
    public:
        Unreadable() : MemoryDisk(8, 0) {}
        DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_IO_DEVICE; }
    };
    EXPECT_EQ(KSPlatformDiskArrival(std::make_shared<Unreadable>()), -1);
    EXPECT_EQ(KSPlatformDiskArrival(std::make_shared<MemoryDisk>(0, 0)), -1);
    EXPECT_EQ(KSPlatformDiskArrival(nullptr), -1);
    EXPECT_TRUE(KSPlatformArrivedDisks().empty());
    EXPECT_EQ(GetLogicalDrives(), 0u);

    // A disk without a partition table arrives with no names and no letter.
    ASSERT_EQ(KSPlatformDiskArrival(std::make_shared<MemoryDisk>(8, 0)), 0);
    EXPECT_TRUE(AllNames().empty());
    EXPECT_EQ(GetLogicalDrives(), 0u);
}

} // namespace
