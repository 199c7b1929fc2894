// "\\.\ZEDSKACS" and "\\.\ZEDSKACS\N" while the service runs and while it does not,
// over a disk-map image and a disk that arrived through the layer.
#include "KSZedskacs.h"

#include "MemoryDisk.h"

#include "KSPlatformArrival.h"
#include "KSPlatformControl.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kOwnerCode = MemoryDisk::kOwnerCode;

HANDLE Open(const std::string& name, DWORD access = GENERIC_READ | GENERIC_WRITE)
{
    return CreateFileA(("\\\\.\\" + name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class ZedskacsTest : public testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        handles_ = KSPlatformOpenHandles();
        char folder[] = "/tmp/zedskacs-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        image_ = folder_ + "/disk0.img";
        std::ofstream out(image_, std::ios::binary);
        for (unsigned s = 0; s < 32; ++s)
            out << static_cast<char>(s) << std::string(511, 'i');
        out.close();
        const char* old = std::getenv("RVD_DISK_IMAGES");
        hadImages_ = old != nullptr;
        oldImages_ = old != nullptr ? old : "";
        setenv("RVD_DISK_IMAGES", image_.c_str(), 1);
    }
    void TearDown() override
    {
        KSPlatformReset();
        EXPECT_EQ(KSPlatformOpenHandles(), handles_);
        if (hadImages_)
            setenv("RVD_DISK_IMAGES", oldImages_.c_str(), 1);
        else
            unsetenv("RVD_DISK_IMAGES");
        std::remove(image_.c_str());
        rmdir(folder_.c_str());
    }
    std::string folder_, image_, oldImages_;
    bool hadImages_ = false;
    unsigned handles_ = 0;
};

TEST_F(ZedskacsTest, DevicesOpenOnlyWhileTheServiceRuns)
{
    KSZedskacsInstall();
    for (const char* name : {"ZEDSKACS", "ZEDSKACS\\0"}) {
        EXPECT_EQ(Open(name), INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, "zedskacs", SERVICE_ALL_ACCESS);
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(StartServiceA(service, 0, nullptr));
    for (const char* name : {"ZEDSKACS", "zedskacs\\0"}) {
        HANDLE device = Open(name);
        EXPECT_NE(device, INVALID_HANDLE_VALUE) << name;
        CloseHandle(device);
    }
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(Open("ZEDSKACS\\0"), INVALID_HANDLE_VALUE);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
}

TEST_F(ZedskacsTest, DiskDeviceReadsAndWritesTheDisksSectors)
{
    KSZedskacsInstall(SERVICE_RUNNING);
    HANDLE disk = Open("ZEDSKACS\\0");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteOfSector(disk, 7), 7);
    std::vector<unsigned char> data(1024, 0xA5);
    LARGE_INTEGER to;
    to.QuadPart = 3 * 512;
    ASSERT_TRUE(SetFilePointerEx(disk, to, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(disk, data.data(), 1024, &written, nullptr));
    EXPECT_EQ(written, 1024u);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(disk, &size));
    EXPECT_EQ(size.QuadPart, 32 * 512);
    CloseHandle(disk);

    std::ifstream in(image_, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(image.size(), 32u * 512);
    EXPECT_EQ(static_cast<unsigned char>(image[3 * 512]), 0xA5);
    EXPECT_EQ(static_cast<unsigned char>(image[5 * 512 - 1]), 0xA5);
    EXPECT_EQ(image[5 * 512], 5);
}

TEST_F(ZedskacsTest, ArrivedDiskPassesItsOwnersCodesAndGoesWithIt)
{
    KSZedskacsInstall(SERVICE_RUNNING);
    const int number = KSPlatformDiskArrival(std::make_shared<MemoryDisk>(64, 'm'));
    ASSERT_EQ(number, 1);
    HANDLE disk = Open("ZEDSKACS\\1");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FirstByteOfSector(disk, 40), 40);
    char answer[4] = {};
    DWORD returned = 0;
    EXPECT_TRUE(DeviceIoControl(disk, kOwnerCode, nullptr, 0, answer, 4, &returned, nullptr));
    EXPECT_EQ(std::string(answer, 4), "OWNR");
    ASSERT_TRUE(KSPlatformDiskRemoval(1));
    unsigned char sector[512];
    DWORD read = 0;
    EXPECT_FALSE(ReadFile(disk, sector, 512, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
    CloseHandle(disk);
    EXPECT_EQ(Open("ZEDSKACS\\1"), INVALID_HANDLE_VALUE);
}

TEST_F(ZedskacsTest, NamesThatAreNoDiskNumberOpenNothing)
{
    KSZedskacsInstall(SERVICE_RUNNING);
    for (const char* name : {"ZEDSKACS\\", "ZEDSKACS\\00", "ZEDSKACS\\x", "ZEDSKACS\\1001", "ZEDSKACS\\-1",
                             "ZEDSKACS\\0\\", "ZEDSKACS\\2"}) {
        EXPECT_EQ(Open(name), INVALID_HANDLE_VALUE) << name;
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << name;
    }
}

TEST_F(ZedskacsTest, ANameRegisteredOnItsOwnComesBeforeTheFamily)
{
    KSZedskacsInstall(SERVICE_RUNNING);
    auto own = std::make_shared<MemoryDisk>(8, 'o');
    KSPlatformRegisterDevice("ZEDSKACS\\0", [own](DWORD, DWORD&) { return own; });
    HANDLE disk = Open("ZEDSKACS\\0");
    ASSERT_NE(disk, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    ASSERT_TRUE(GetFileSizeEx(disk, &size));
    EXPECT_EQ(size.QuadPart, 8 * 512);
    CloseHandle(disk);
    KSZedskacsRemove();
    EXPECT_EQ(Open("ZEDSKACS"), INVALID_HANDLE_VALUE);
}

} // namespace
