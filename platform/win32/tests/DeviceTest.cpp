// "\\.\..." devices: the disk map's disks, the drive table's volumes and registered
// stand-ins, read and written by sectors and asked through DeviceIoControl.
#include "PlatformTestHelpers.h"
#include "TempFolder.h"

#include <winioctl.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

constexpr DWORD kSector = 512;
constexpr unsigned kDiskSectors = 64;

// Disk 0 of the disk map: a small image whose every sector is filled with its own
// number, so a read shows where it came from.
class DeviceTest : public PlatformTest {
protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        const char* old = std::getenv("RVD_DISK_IMAGES");
        hadImages_ = old != nullptr;
        oldImages_ = old ? old : "";
        image_ = folder_.Path("disk0.img");
        std::ofstream out(image_, std::ios::binary);
        for (unsigned sector = 0; sector < kDiskSectors; ++sector)
            out << std::string(kSector, static_cast<char>(sector));
        out.close();
        setenv("RVD_DISK_IMAGES", image_.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadImages_)
            setenv("RVD_DISK_IMAGES", oldImages_.c_str(), 1);
        else
            unsetenv("RVD_DISK_IMAGES");
        PlatformTest::TearDown();
    }
    void AddVolume(char letter, uint64_t first, uint64_t sectors, bool writeProtected)
    {
        KSDriveEntry drive;
        drive.letter = letter;
        drive.hasVolume = true;
        drive.volume = {0, first, sectors, writeProtected};
        ASSERT_TRUE(KSPlatformAddDrive(drive));
    }
    static unsigned char FirstByteAt(HANDLE device, LONGLONG offset)
    {
        LARGE_INTEGER to;
        to.QuadPart = offset;
        EXPECT_TRUE(SetFilePointerEx(device, to, nullptr, FILE_BEGIN));
        std::vector<unsigned char> sector(kSector, 0xEE);
        DWORD read = 0;
        EXPECT_TRUE(ReadFile(device, sector.data(), kSector, &read, nullptr));
        EXPECT_EQ(read, kSector);
        return sector[0];
    }

    TempFolder folder_;
    std::string image_;
    bool hadImages_ = false;
    std::string oldImages_;
};

TEST_F(DeviceTest, APhysicalDriveReadsTheDiskMapsBytesBySector)
{
    HANDLE disk = CreateFileA("\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteAt(disk, 5 * kSector), 5);
    EXPECT_EQ(FirstByteAt(disk, 63 * kSector), 63);

    GET_LENGTH_INFORMATION length{};
    DWORD returned = 0;
    ASSERT_TRUE(
        DeviceIoControl(disk, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned, nullptr));
    EXPECT_EQ(returned, sizeof length);
    EXPECT_EQ(length.Length.QuadPart, static_cast<LONGLONG>(kDiskSectors * kSector));
    EXPECT_TRUE(DeviceIoControl(disk, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));

    // Written in place at the file pointer.
    LARGE_INTEGER to;
    to.QuadPart = 7 * kSector;
    ASSERT_TRUE(SetFilePointerEx(disk, to, nullptr, FILE_BEGIN));
    const std::vector<unsigned char> fill(kSector, 0xAB);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(disk, fill.data(), kSector, &written, nullptr));
    EXPECT_EQ(written, kSector);
    LARGE_INTEGER now;
    to.QuadPart = 0;
    EXPECT_TRUE(SetFilePointerEx(disk, to, &now, FILE_CURRENT));
    EXPECT_EQ(now.QuadPart, 8 * kSector);
    EXPECT_EQ(FirstByteAt(disk, 7 * kSector), 0xAB);
    EXPECT_TRUE(CloseHandle(disk));
}

TEST_F(DeviceTest, DeviceCallsFailAsWindowsDoes)
{
    AddVolume('P', 16, 8, true);
    HANDLE disk = CreateFileW(L"\\\\.\\physicaldrive0", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE guarded = CreateFileW(L"\\\\.\\P:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    ASSERT_NE(guarded, INVALID_HANDLE_VALUE);
    std::vector<unsigned char> buffer(2 * kSector);
    GET_LENGTH_INFORMATION length;
    DWORD count = 0;
    LARGE_INTEGER odd;
    odd.QuadPart = 100;

    const struct {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"part of a sector", [&] { return ReadFile(disk, buffer.data(), 100, &count, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"unaligned position",
         [&] {
             return SetFilePointerEx(disk, odd, nullptr, FILE_BEGIN) &&
                    ReadFile(disk, buffer.data(), kSector, &count, nullptr);
         },
         ERROR_INVALID_PARAMETER},
        {"write without write access", [&] { return WriteFile(disk, buffer.data(), kSector, &count, nullptr); },
         ERROR_ACCESS_DENIED},
        {"unknown control code",
         [&] { return DeviceIoControl(disk, 0x12345678, nullptr, 0, nullptr, 0, &count, nullptr); },
         ERROR_INVALID_FUNCTION},
        {"length into a small buffer",
         [&] { return DeviceIoControl(disk, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, 4, &count, nullptr); },
         ERROR_INSUFFICIENT_BUFFER},
        {"write-protected volume asked",
         [&] { return DeviceIoControl(guarded, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &count, nullptr); },
         ERROR_WRITE_PROTECT},
        {"write-protected volume written", [&] { return WriteFile(guarded, buffer.data(), kSector, &count, nullptr); },
         ERROR_WRITE_PROTECT},
        {"set end of a device", [&] { return SetEndOfFile(disk); }, ERROR_INVALID_FUNCTION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(CloseHandle(disk));
    EXPECT_TRUE(CloseHandle(guarded));
}

TEST_F(DeviceTest, OpeningAMissingDeviceFailsWithFileNotFound)
{
    AddVolume('Q', 0, 8, false);
    KSDriveEntry folderOnly;
    folderOnly.letter = 'R';
    folderOnly.hostFolder = folder_.Root();
    ASSERT_TRUE(KSPlatformAddDrive(folderOnly));
    const wchar_t* missing[] = {L"\\\\.\\PhysicalDrive1",
                                L"\\\\.\\PhysicalDrive",
                                L"\\\\.\\PhysicalDrive-1",
                                L"\\\\.\\PhysicalDrive0x",
                                L"\\\\.\\R:",
                                L"\\\\.\\S:",
                                L"\\\\.\\Nothing"};
    for (const wchar_t* name : missing) {
        SetLastError(0);
        EXPECT_EQ(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
    // A volume on a disk the disk map no longer has does not open either.
    setenv("RVD_DISK_IMAGES", "", 1);
    EXPECT_EQ(CreateFileW(L"\\\\.\\Q:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(DeviceTest, AVolumeIsItsStretchOfTheDisk)
{
    AddVolume('V', 16, 8, false);
    HANDLE volume = CreateFileW(L"\\\\.\\v:", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(volume, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteAt(volume, 0), 16);
    EXPECT_EQ(FirstByteAt(volume, 7 * kSector), 23);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(volume, &size));
    EXPECT_EQ(size.QuadPart, 8 * kSector);

    // Reading at the end gives nothing; a read that runs over it stops there.
    LARGE_INTEGER to;
    to.QuadPart = 7 * kSector;
    ASSERT_TRUE(SetFilePointerEx(volume, to, nullptr, FILE_BEGIN));
    std::vector<unsigned char> buffer(2 * kSector);
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(volume, buffer.data(), 2 * kSector, &read, nullptr));
    EXPECT_EQ(read, kSector);
    EXPECT_TRUE(ReadFile(volume, buffer.data(), kSector, &read, nullptr));
    EXPECT_EQ(read, 0u);
    to.QuadPart = -static_cast<LONGLONG>(kSector);
    EXPECT_TRUE(SetFilePointerEx(volume, to, &size, FILE_END));
    EXPECT_EQ(size.QuadPart, 7 * kSector);
    to.QuadPart = -1;
    SetLastError(0);
    EXPECT_FALSE(SetFilePointerEx(volume, to, nullptr, FILE_BEGIN));
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_TRUE(CloseHandle(volume));

    EXPECT_EQ(KSPlatformDriveLetterOfPath(image_, 16), 'V');
    EXPECT_EQ(KSPlatformDriveLetterOfPath(image_ + "x", 16), 0);
}

TEST_F(DeviceTest, RegisteredDevicesComeFirstAndSeeEveryCall)
{
    struct Recorder : KSDevice {
        DWORD lastCode = 0;
        std::vector<unsigned char> lastIn;
        DWORD Read(uint64_t, void*, DWORD, DWORD& done) override
        {
            done = 0;
            return ERROR_SUCCESS;
        }
        DWORD Write(uint64_t offset, const void*, DWORD size, DWORD& done) override
        {
            done = offset == 0 ? size : 0;
            return ERROR_SUCCESS;
        }
        DWORD Control(DWORD code, const void* in, DWORD inSize, void*, DWORD outSize, DWORD& returned) override
        {
            lastCode = code;
            lastIn.assign(static_cast<const unsigned char*>(in), static_cast<const unsigned char*>(in) + inSize);
            returned = outSize;
            return ERROR_SUCCESS;
        }
        uint64_t Size() const override { return 0; }
    };
    auto recorder = std::make_shared<Recorder>();
    DWORD seenAccess = 0;
    KSPlatformRegisterDevice("PhysicalDrive0", [&](DWORD access, DWORD&) {
        seenAccess = access;
        return recorder;
    });
    HANDLE device =
        CreateFileA("\\\\.\\PHYSICALDRIVE0", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(seenAccess, GENERIC_READ | GENERIC_WRITE);
    const unsigned char in[3] = {1, 2, 3};
    unsigned char out[5];
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(device, 0x2D1400, const_cast<unsigned char*>(in), 3, out, 5, &returned, nullptr));
    EXPECT_EQ(recorder->lastCode, 0x2D1400u);
    EXPECT_EQ(recorder->lastIn, std::vector<unsigned char>(in, in + 3));
    EXPECT_EQ(returned, 5u);
    EXPECT_TRUE(CloseHandle(device));

    KSPlatformUnregisterDevice("physicaldrive0");
    device = CreateFileA("\\\\.\\PhysicalDrive0", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteAt(device, 3 * kSector), 3) << "the disk map's disk again";
    EXPECT_TRUE(CloseHandle(device));

    KSPlatformRegisterDevice("Refuser", [](DWORD, DWORD& error) {
        error = ERROR_ACCESS_DENIED;
        return std::shared_ptr<KSDevice>();
    });
    SetLastError(0);
    EXPECT_EQ(CreateFileA("\\\\.\\refuser", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(DeviceTest, DeviceControlOnAFileIsAnInvalidFunction)
{
    HANDLE file = CreateFileW(folder_.WidePath("plain").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 5;
    SetLastError(0);
    EXPECT_FALSE(DeviceIoControl(file, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(DeviceIoControl(file, IOCTL_DISK_IS_WRITABLE, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

} // namespace
