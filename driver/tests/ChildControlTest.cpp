// A child disk's control codes, its identity, capabilities and bus interface, the
// requests it refuses, and the bus's WMI block.
#include <gtest/gtest.h>

#include "CoreTestSet.h"
#include "Devices.h"

#include <cstring>

namespace {

class ChildControlTest : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        ASSERT_EQ(0, Plug(set.Record(4, 0x12345678, U16("pw"))));
        disk = Disk(1);
        ASSERT_NE(nullptr, disk);
    }
    void TearDown() override
    {
        disk.reset();
        CoreTest::TearDown();
    }
    ZdStatus Control(uint32_t code, std::vector<uint8_t>& buffer, uint32_t inLength, uint32_t outLength,
                     uintptr_t* returned = nullptr)
    {
        buffer.resize(std::max<size_t>({buffer.size(), inLength, outLength}));
        return disk->Control(code, buffer.data(), inLength, buffer.data(), outLength, returned);
    }
    wdk::PnpManager::Answer SendPnp(ZdRequest request) { return pnp.Send(disk->Device(), request); }
    ZdRequest Pnp(uint8_t minor)
    {
        ZdRequest request{};
        request.Major = ZD_MJ_PNP;
        request.Minor = minor;
        return request;
    }

    SmallSet set{16002, L"pw"};
    std::shared_ptr<wdk::ChildDisk> disk;
};

TEST_F(ChildControlTest, GetRecordNeverReturnsThePassword)
{
    std::vector<uint8_t> out(1000, 0xCC);
    uintptr_t returned = 0;
    ASSERT_EQ(0, Control(IOCTL_ZEDISK_GET_RECORD, out, 0, 1000, &returned));
    EXPECT_EQ(912u, returned);
    std::vector<uint8_t> expected = set.Record(4, 0x12345678);
    EXPECT_EQ(0, std::memcmp(expected.data(), out.data(), 912));
    std::vector<uint8_t> small(911);
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, Control(IOCTL_ZEDISK_GET_RECORD, small, 0, 911));
}

TEST_F(ChildControlTest, SetLetterTakesOnlyTheLetter)
{
    std::vector<uint8_t> in = set.Record(17, 0xFFFFFFFF);
    ASSERT_EQ(0, Control(IOCTL_ZEDISK_SET_LETTER, in, 912, 0));
    std::vector<uint8_t> out(912);
    ASSERT_EQ(0, Control(IOCTL_ZEDISK_GET_RECORD, out, 0, 912));
    EXPECT_EQ(17, out[ZEDISK_RECORD_LETTER]);
    EXPECT_EQ(0x12345678u, LoadLE32(out.data() + 4));
    std::vector<uint8_t> bad = set.Record(18);
    StoreLE32(bad.data(), 900);
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, Control(IOCTL_ZEDISK_SET_LETTER, bad, 912, 0));
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, Control(IOCTL_ZEDISK_SET_LETTER, in, 911, 0));
}

TEST_F(ChildControlTest, ReadOnlyForGoodThenWritesFail)
{
    std::vector<uint8_t> sector(512);
    ASSERT_EQ(0, disk->Read(200, 1, sector.data()));
    sector[0] ^= 0xFF;
    std::vector<uint8_t> in = set.Record(4);
    ASSERT_EQ(0, Control(IOCTL_ZEDISK_SET_READONLY, in, 912, 0));
    EXPECT_EQ(ZD_STATUS_MEDIA_WRITE_PROTECTED, disk->Write(200, 1, sector.data()));
    ASSERT_EQ(0, Control(IOCTL_ZEDISK_SET_READONLY, in, 912, 0));
    EXPECT_EQ(ZD_STATUS_MEDIA_WRITE_PROTECTED, disk->Write(200, 1, sector.data()));
    std::vector<uint8_t> back(512);
    ASSERT_EQ(0, disk->Read(200, 1, back.data()));
    EXPECT_EQ(set.Expected(200, 1), back);
}

TEST_F(ChildControlTest, StandardQueriesAnswerWithTheirFixedRecords)
{
    struct Case {
        uint32_t code;
        uint32_t outLength;
        ZdStatus status;
        uint32_t returned;
    } cases[] = {
        {0x00041010, 24, 0, 24}, {0x00041010, 23, ZD_STATUS_INVALID_DEVICE_REQUEST, 0},
        {0x00041018, 8, 0, 8},   {0x00041018, 7, ZD_STATUS_INVALID_DEVICE_REQUEST, 0},
        {0x00070000, 24, 0, 24}, {0x00070C00, 24, 0, 24},
        {0x00070000, 23, ZD_STATUS_INVALID_DEVICE_REQUEST, 0},
        {0x00070024, 0, ZD_STATUS_MEDIA_WRITE_PROTECTED, 0},
        {0x00070048, 64, ZD_STATUS_INVALID_DEVICE_REQUEST, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(64, 0xCC);
        uintptr_t returned = 99;
        EXPECT_EQ(c.status, Control(c.code, out, 0, c.outLength, &returned)) << std::hex << c.code;
        EXPECT_EQ(c.returned, returned) << std::hex << c.code;
    }
    std::vector<uint8_t> out(64);
    ASSERT_EQ(0, Control(0x00070000, out, 0, 24));
    EXPECT_EQ((16002u + 63) / 16065, LoadLE64(out.data()));
    EXPECT_EQ(12u, LoadLE32(out.data() + 8));
    EXPECT_EQ(255u, LoadLE32(out.data() + 12));
    EXPECT_EQ(63u, LoadLE32(out.data() + 16));
    EXPECT_EQ(512u, LoadLE32(out.data() + 20));
    ASSERT_EQ(0, Control(0x00041018, out, 0, 8));
    EXPECT_EQ((std::vector<uint8_t>{8, 0, 0, 0, 0, 0, 1, 0}), std::vector<uint8_t>(out.begin(), out.begin() + 8));
    ASSERT_EQ(0, Control(0x00041010, out, 0, 24));
    EXPECT_EQ(0x10000u, LoadLE32(out.data() + 4));
    EXPECT_EQ(16u, LoadLE32(out.data() + 8));
    EXPECT_EQ(1, out[22]);
}

TEST_F(ChildControlTest, StoragePropertyQueryChecksBothBuffers)
{
    struct Case {
        uint32_t property;
        uint32_t inLength;
        uint32_t outLength;
        ZdStatus status;
        uint32_t returned;
    } cases[] = {
        {0, 12, 40, 0, 40}, {0, 12, 39, 0, 8},  {0, 12, 8, 0, 8},   {0, 12, 7, ZD_STATUS_BUFFER_TOO_SMALL, 0},
        {1, 12, 32, 0, 32}, {1, 12, 31, 0, 8},  {0, 11, 40, ZD_STATUS_INVALID_PARAMETER, 0},
        {2, 12, 40, ZD_STATUS_INVALID_DEVICE_REQUEST, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer(64, 0);
        StoreLE32(buffer.data(), c.property);
        uintptr_t returned = 99;
        EXPECT_EQ(c.status, Control(0x002D1400, buffer, c.inLength, c.outLength, &returned))
            << c.property << " " << c.outLength;
        EXPECT_EQ(c.returned, returned) << c.property << " " << c.outLength;
        if (c.status == 0) {
            const uint32_t size = c.property == 0 ? 40 : 32;
            EXPECT_EQ(size, LoadLE32(buffer.data()));
            EXPECT_EQ(size, LoadLE32(buffer.data() + 4));
        }
    }
    std::vector<uint8_t> device(64, 0);
    ASSERT_EQ(0, Control(0x002D1400, device, 12, 40));
    EXPECT_EQ(1, device[11]);
    EXPECT_EQ(0xFFFFFFFFu, LoadLE32(device.data() + 36));
    std::vector<uint8_t> adapter(64, 0);
    StoreLE32(adapter.data(), 1);
    ASSERT_EQ(0, Control(0x002D1400, adapter, 12, 32));
    EXPECT_EQ(0x10000u, LoadLE32(adapter.data() + 8));
    EXPECT_EQ(0x8000u, LoadLE16(adapter.data() + 26));
}

TEST_F(ChildControlTest, PlainReadsAndWritesMoveNothingAndSayNothingMoved)
{
    struct Case {
        bool bus;
        uint8_t major;
        ZdStatus status;
    } cases[] = {
        {false, ZD_MJ_READ, ZD_STATUS_INVALID_DEVICE_REQUEST}, {false, ZD_MJ_WRITE, ZD_STATUS_INVALID_DEVICE_REQUEST},
        {true, ZD_MJ_READ, ZD_STATUS_INVALID_DEVICE_REQUEST},  {true, ZD_MJ_WRITE, ZD_STATUS_INVALID_DEVICE_REQUEST},
        {false, ZD_MJ_FLUSH_BUFFERS, 0},      {true, ZD_MJ_FLUSH_BUFFERS, ZD_STATUS_INVALID_DEVICE_REQUEST},
        {false, ZD_MJ_CREATE, 0},             {true, ZD_MJ_CLEANUP, 0},
    };
    for (const Case& c : cases) {
        ZdRequest request{};
        request.Major = c.major;
        request.Length = 4096;
        const wdk::PnpManager::Answer answer = pnp.Send(c.bus ? pnp.Bus() : disk->Device(), request);
        EXPECT_EQ(c.status, answer.status) << int(c.major) << c.bus;
        EXPECT_EQ(0u, answer.information) << int(c.major) << c.bus;
    }
}

TEST_F(ChildControlTest, BusInterfaceIsGivenOnlyForItsOwnSizeAndVersion)
{
    struct Case {
        uint16_t size;
        uint16_t version;
        ZdStatus status;
    } cases[] = {{28, 1, 0}, {64, 1, 0}, {27, 1, ZD_STATUS_INVALID_PARAMETER}, {28, 2, ZD_STATUS_INVALID_PARAMETER},
                 {8, 0, ZD_STATUS_INVALID_PARAMETER}};
    for (const Case& c : cases) {
        ZdRequest query = Pnp(ZD_MN_QUERY_INTERFACE);
        const ZeDiskGuid& g = ZEDISK_GUID_BUS_INTERFACE;
        StoreLE32(query.InterfaceType, g.Data1);
        StoreLE16(query.InterfaceType + 4, g.Data2);
        StoreLE16(query.InterfaceType + 6, g.Data3);
        std::memcpy(query.InterfaceType + 8, g.Data4, 8);
        query.InterfaceSize = c.size;
        query.InterfaceVersion = c.version;
        const wdk::PnpManager::Answer answer = SendPnp(query);
        EXPECT_EQ(c.status, answer.status) << c.size << "/" << c.version;
        EXPECT_EQ(c.status == 0, answer.interfaceFilled) << c.size << "/" << c.version;
        if (answer.interfaceFilled)
            ZdCoreInterfaceDereference(ZdPortDeviceContext(disk->Device()));
    }
    ZdRequest other = Pnp(ZD_MN_QUERY_INTERFACE);
    other.InterfaceSize = 28;
    other.InterfaceVersion = 1;
    const wdk::PnpManager::Answer answer = SendPnp(other);
    EXPECT_FALSE(answer.interfaceFilled);
    EXPECT_EQ(static_cast<ZdStatus>(0xC00000BB), answer.status) << "another GUID completes unchanged";
}

TEST_F(ChildControlTest, IdentityTexts)
{
    struct Case {
        uint8_t minor;
        uint32_t type;
        std::u16string text;
    } cases[] = {
        {ZD_MN_QUERY_ID, ZD_ID_DEVICE, std::u16string(ZEDISK_CHILD_DEVICE_ID) + u'\0'},
        {ZD_MN_QUERY_ID, ZD_ID_HARDWARE, std::u16string(ZEDISK_CHILD_DEVICE_ID) + u'\0' + u'\0'},
        {ZD_MN_QUERY_ID, ZD_ID_COMPATIBLE, std::u16string(u"GenDisk") + u'\0' + u'\0'},
        {ZD_MN_QUERY_ID, ZD_ID_INSTANCE, std::u16string(u"01") + u'\0'},
        {ZD_MN_QUERY_DEVICE_TEXT, ZD_TEXT_DESCRIPTION, std::u16string(u"Zendrel_ZeDisk_01") + u'\0'},
        {ZD_MN_QUERY_DEVICE_TEXT, ZD_TEXT_LOCATION, std::u16string(u"Zendrel(01)") + u'\0'},
    };
    for (const Case& c : cases) {
        ZdRequest request = Pnp(c.minor);
        request.IdType = c.type;
        request.TextType = c.type;
        const wdk::PnpManager::Answer answer = SendPnp(request);
        EXPECT_EQ(0, answer.status) << int(c.minor) << "/" << c.type;
        EXPECT_EQ(c.text, answer.text) << int(c.minor) << "/" << c.type;
    }
    EXPECT_EQ(94u, (std::u16string(ZEDISK_CHILD_DEVICE_ID).size() + 2) * 2) << "the identifier buffer's size";
    ZdRequest kept = Pnp(ZD_MN_QUERY_DEVICE_TEXT);
    kept.HasInformation = 1;
    EXPECT_TRUE(SendPnp(kept).text.empty()) << "a lower layer's text stays";
}

TEST_F(ChildControlTest, CapabilitiesMapPowerStatesFromTheBus)
{
    ZdCapabilities caps{};
    caps.Size = 64;
    caps.Version = 1;
    caps.UniqueID = 1;
    caps.DeviceD2 = 1;
    ZdRequest request = Pnp(ZD_MN_QUERY_CAPABILITIES);
    request.Capabilities = &caps;
    const uint32_t mapping[7] = {0, 1, 1, 4, 4, 4, 4};   // the bus keeps S1 in D0
    pnp.SetBusPowerMapping(mapping);
    ASSERT_EQ(0, SendPnp(request).status);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 1, 4, 4, 4, 4}),
              std::vector<uint32_t>(caps.DeviceState, caps.DeviceState + 7));
    EXPECT_EQ(1, caps.DeviceD1);
    EXPECT_EQ(0, caps.DeviceD2);
    EXPECT_EQ(0, caps.UniqueID);
    EXPECT_EQ(1, caps.EjectSupported);
    EXPECT_EQ(1, caps.Removable);
    EXPECT_EQ(1, caps.SurpriseRemovalOK);
    EXPECT_EQ(1, caps.WakeFromD1);
    EXPECT_EQ(2u, caps.DeviceWake);
    EXPECT_EQ(1u, caps.Address);
    EXPECT_EQ(1u, caps.UINumber);
    const uint32_t plain[7] = {0, 1, 4, 4, 4, 4, 4};
    pnp.SetBusPowerMapping(plain);
    ASSERT_EQ(0, SendPnp(request).status);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 4, 4, 4, 4}),
              std::vector<uint32_t>(caps.DeviceState, caps.DeviceState + 7));
    for (auto sizeVersion : {std::make_pair(63, 1), std::make_pair(64, 2)}) {
        caps.Size = static_cast<uint16_t>(sizeVersion.first);
        caps.Version = static_cast<uint16_t>(sizeVersion.second);
        EXPECT_EQ(ZD_STATUS_UNSUCCESSFUL, SendPnp(request).status) << sizeVersion.first << "/" << sizeVersion.second;
    }
}

TEST_F(ChildControlTest, WmiBlockIsReadWholeAndSetsOnlyTheDebugLevel)
{
    ZdPortDevice* bus = pnp.Bus();
    uint8_t block[8] = {};
    uint32_t used = 0;
    EXPECT_EQ(ZD_STATUS_BUFFER_TOO_SMALL, ZdCoreWmiQuery(bus, block, 7, &used));
    EXPECT_EQ(8u, used);
    uint8_t set[8] = {};
    StoreLE32(set + 4, 3);
    EXPECT_EQ(ZD_STATUS_BUFFER_TOO_SMALL, ZdCoreWmiSetBlock(bus, set, 7)) << "a short block is not read past its end";
    ASSERT_EQ(0, ZdCoreWmiSetBlock(bus, set, 8));
    ASSERT_EQ(0, ZdCoreWmiQuery(bus, block, 8, &used));
    EXPECT_EQ(3u, LoadLE32(block + 4));
    uint8_t item[4] = {9, 0, 0, 0};
    EXPECT_EQ(ZD_STATUS_BUFFER_TOO_SMALL, ZdCoreWmiSetItem(bus, 2, item, 3));
    EXPECT_EQ(ZD_STATUS_WMI_READ_ONLY, ZdCoreWmiSetItem(bus, 1, item, 4)) << "the error count is read-only";
    ASSERT_EQ(0, ZdCoreWmiSetItem(bus, 2, item, 4));
    ASSERT_EQ(0, ZdCoreWmiQuery(bus, block, 8, &used));
    EXPECT_EQ(9u, LoadLE32(block + 4));
}

} // namespace
