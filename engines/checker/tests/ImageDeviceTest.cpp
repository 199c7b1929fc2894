#include <gtest/gtest.h>

#include <vector>

#include "CImgDeviceCheck.h"
#include "CheckResult.h"
#include "FakeCofran.h"

namespace {

struct Device {
    FakeCofran* fake;
    CImgDeviceCheck* device;
    explicit Device(const std::wstring& folder)
        : fake(FakeCofran::OneVolumeSet(folder, 1, {1})),
          device(new CImgDeviceCheck(fake, fake->files[0].path.c_str(), fake->volumes[0]))
    {
    }
    ~Device()
    {
        delete device;
        fake->Release();
    }
};

} // namespace

TEST(ImageDevice, OpensForRandomReadingAndOnDiscsWithDiscSwitching)
{
    const struct {
        const wchar_t* folder;
        unsigned long mode;
    } cases[] = {
        {L"/images/", 0x01},
        {L"/mnt/CD0/", 0x21},
        {L"/media/mnt/CD/", 0x21},
    };
    for (const auto& k : cases) {
        Device d(k.folder);
        EXPECT_EQ(0, d.device->Open()) << "the device needs the password";
        ASSERT_EQ(1, d.device->Open(nullptr, 0));
        EXPECT_EQ(k.mode, d.fake->lastOpenMode);
        EXPECT_EQ(1, d.device->Close());
    }
}

TEST(ImageDevice, ReadsOnlyWholeRequestsAndDropsWrites)
{
    Device d(L"/images/");
    std::vector<unsigned char> buffer(8 * 512);
    EXPECT_EQ(0, d.device->ReadSector(buffer.data(), 0, 1)) << "closed";
    ASSERT_EQ(1, d.device->Open(nullptr, 0));
    d.fake->sectorsServed = 8;
    EXPECT_EQ(1, d.device->ReadSector(buffer.data(), 63, 8));
    EXPECT_EQ(63, d.fake->lastFirstSector);
    EXPECT_EQ(0xA5, buffer[8 * 512 - 1]);
    d.fake->sectorsServed = 7;
    EXPECT_EQ(0, d.device->ReadSector(buffer.data(), 0, 8)) << "a short read fails";
    EXPECT_EQ(0, d.device->ReadSector(buffer.data(), 0, 1ll << 32)) << "more than the container can count";
    EXPECT_EQ(1, d.device->WriteSector(buffer.data(), 0, 8));

    d.fake->sectorsServed = 8;
    EXPECT_EQ(0u, CImgDeviceCheck::ReadForReader(d.device, 0, 8, buffer.data()));
    EXPECT_EQ(CheckResult::DeviceReadNullArgument, CImgDeviceCheck::ReadForReader(nullptr, 0, 8, buffer.data()));
    EXPECT_EQ(CheckResult::DeviceReadNullArgument, CImgDeviceCheck::ReadForReader(d.device, 0, 8, nullptr));
    d.fake->sectorsServed = 0;
    EXPECT_EQ(0x0097A106u, CImgDeviceCheck::ReadForReader(d.device, 0, 8, buffer.data()));
    EXPECT_EQ(0u, CImgDeviceCheck::DiscardForReader(d.device, 0, 8, buffer.data(), 1));
}

TEST(ImageDevice, AVolumeNotInTheFileClosesTheImageAgain)
{
    Device d(L"/images/");
    _KS_VOLUME other = d.fake->volumes[0];
    other.VolumeNumber = 5;
    CImgDeviceCheck device(d.fake, d.fake->files[0].path.c_str(), other);
    EXPECT_EQ(0, device.Open(nullptr, 0));
    _KS_IMG_FILE_INFO info;
    EXPECT_EQ(0x005u, d.fake->GetCofranInfo(&info) & 0xFFF) << "the image was closed";
}
