// The bus's control codes: plug-in and its refusals, serials and letters, unplug,
// eject and the list.
#include <gtest/gtest.h>

#include "CoreTestSet.h"
#include "Devices.h"

#include <atomic>
#include <cstring>
#include <algorithm>
#include <functional>
#include <set>
#include <thread>

namespace {

class BusControlTest : public CoreTest {
protected:
    std::vector<uint8_t> List(uint32_t outLength, ZdStatus& status, uintptr_t& returned)
    {
        std::vector<uint8_t> out(outLength, 0xEE);
        status = pnp.BusControl(IOCTL_ZEDISK_LIST, nullptr, 0, out.data(), outLength, &returned);
        return out;
    }
    SmallSet set;
};

TEST_F(BusControlTest, SerialIsTheSmallestFreeNumber)
{
    ASSERT_EQ(0, Plug(set.Record(3)));
    ASSERT_EQ(0, Plug(set.Record(4)));
    ASSERT_EQ(0, Plug(set.Record(5)));
    ASSERT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 4));
    EXPECT_EQ((std::vector<uint32_t>{1, 3}), pnp.Children());
    ASSERT_EQ(0, Plug(set.Record(6)));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3}), pnp.Children());
}

TEST_F(BusControlTest, ALetterInUseIsRefusedWhilePresentOrOnlyMarkedMissing)
{
    ASSERT_EQ(0, Plug(set.Record(7)));
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, Plug(set.Record(7)));
    // Unplugged but not yet re-enumerated: the child still holds its letter.
    uint8_t target[16] = {};
    StoreLE32(target, 16);
    StoreLE32(target + 4, 1u << 7);
    ZdRequest unplug{};
    unplug.Major = ZD_MJ_DEVICE_CONTROL;
    unplug.Code = IOCTL_ZEDISK_UNPLUG;
    unplug.Buffer = target;
    unplug.InputLength = 16;
    ASSERT_EQ(0, pnp.Send(pnp.Bus(), unplug).status);
    ZdRequest relations{};
    relations.Major = ZD_MJ_PNP;
    relations.Minor = ZD_MN_QUERY_DEVICE_RELATIONS;
    relations.RelationType = ZD_BUS_RELATIONS;
    EXPECT_TRUE(pnp.Send(pnp.Bus(), relations).relations.empty());
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, Plug(set.Record(7)));   // plug-in settles: the child is removed now
    EXPECT_EQ(0, Plug(set.Record(7)));
}

TEST_F(BusControlTest, PlugInsAtOnceNeverShareASerialOrALetter)
{
    std::atomic<int> succeeded{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&, i] {
            // Two plug-ins ask for letter 10, two for 11.
            if (Plug(set.Record(static_cast<uint8_t>(10 + i % 2))) == 0)
                ++succeeded;
        });
    for (std::thread& t : threads)
        t.join();
    pnp.Settle();
    EXPECT_EQ(2, succeeded.load());
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), pnp.Children());
    std::set<uint8_t> letters;
    for (uint32_t serial : pnp.Children())
        letters.insert(static_cast<zedisk::ZdChild*>(ZdPortDeviceContext(pnp.Child(serial)))->Letter());
    EXPECT_EQ((std::set<uint8_t>{10, 11}), letters);
}

TEST_F(BusControlTest, PlugInRefusesRecordsItCannotServe)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> change;
        uint32_t length;
    };
    const Case cases[] = {
        {"short", [](std::vector<uint8_t>&) {}, 911},
        {"size field", [](std::vector<uint8_t>& r) { StoreLE32(r.data(), 911); }, 912},
        {"password without end",
         [](std::vector<uint8_t>& r) { std::memset(r.data() + ZEDISK_RECORD_PASSWORD, 'p', 128); }, 912},
        {"path without end", [](std::vector<uint8_t>& r) { std::memset(r.data() + ZEDISK_RECORD_PATH, 'q', 520); },
         912},
        {"sector size 0", [](std::vector<uint8_t>& r) { StoreLE32(r.data() + ZEDISK_RECORD_SECTOR_SIZE, 0); }, 912},
        {"sector size 520", [](std::vector<uint8_t>& r) { StoreLE32(r.data() + ZEDISK_RECORD_SECTOR_SIZE, 520); },
         912},
        {"sector size 4096",
         [](std::vector<uint8_t>& r) { StoreLE32(r.data() + ZEDISK_RECORD_SECTOR_SIZE, 4096); }, 912},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> record = set.Record(2);
        c.change(record);
        EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, pnp.BusControl(IOCTL_ZEDISK_PLUGIN, record.data(), c.length, nullptr, 0))
            << c.what;
    }
    EXPECT_TRUE(pnp.Children().empty());
    // A record longer than 912 bytes is taken.
    std::vector<uint8_t> longer = set.Record(2);
    longer.resize(1000);
    EXPECT_EQ(0, pnp.BusControl(IOCTL_ZEDISK_PLUGIN, longer.data(), 1000, nullptr, 0));
}

TEST_F(BusControlTest, AnImageThatCannotBeOpenedUndoesThePlugIn)
{
    std::vector<uint8_t> missing = MakeRecord(set.volume, 8, 1, std::u16string(), set.dir.WPath("none.rvd"));
    EXPECT_EQ(ZD_STATUS_DEVICE_DATA_ERROR, Plug(missing));
    SmallSet locked(16002, L"secret");
    EXPECT_EQ(ZD_STATUS_DEVICE_DATA_ERROR, Plug(locked.Record(8, 1, U16("wrong"))));
    EXPECT_TRUE(pnp.Children().empty());
    EXPECT_EQ(0, wdk::LiveDevices() - 1) << "only the bus is left";
    // The letter and serial were given back.
    EXPECT_EQ(0, Plug(locked.Record(8, 1, U16("secret"))));
    EXPECT_EQ(std::vector<uint32_t>{1}, pnp.Children());
}

TEST_F(BusControlTest, UnplugAndEjectFailWithoutAMatchAndChangeNothing)
{
    EXPECT_EQ(ZD_STATUS_NO_SUCH_DEVICE, TargetCall(IOCTL_ZEDISK_UNPLUG, 0));
    EXPECT_EQ(ZD_STATUS_NO_SUCH_DEVICE, TargetCall(IOCTL_ZEDISK_EJECT, 0));
    ASSERT_EQ(0, Plug(set.Record(3)));
    ASSERT_EQ(0, Plug(set.Record(4)));
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 9));
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, TargetCall(IOCTL_ZEDISK_EJECT, 1u << 9));
    uint8_t target[20] = {};
    StoreLE32(target, 16);
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, pnp.BusControl(IOCTL_ZEDISK_UNPLUG, target, 15, nullptr, 0));
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, pnp.BusControl(IOCTL_ZEDISK_UNPLUG, target, 17, nullptr, 0));
    StoreLE32(target, 20);
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, pnp.BusControl(IOCTL_ZEDISK_UNPLUG, target, 16, nullptr, 0));
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), pnp.Children());
    EXPECT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 0));
    EXPECT_TRUE(pnp.Children().empty());
}

TEST_F(BusControlTest, EjectRemovesTheChildUnlessItsInterfaceIsHeld)
{
    ASSERT_EQ(0, Plug(set.Record(3)));
    ASSERT_EQ(0, Plug(set.Record(4)));
    ZdCoreInterfaceReference(ZdPortDeviceContext(pnp.Child(2)));
    EXPECT_EQ(0, TargetCall(IOCTL_ZEDISK_EJECT, 0));
    EXPECT_EQ(std::vector<uint32_t>{2}, pnp.Children());
    const std::vector<wdk::PnpEvent> events = pnp.Events();
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const wdk::PnpEvent& e) { return e.what == "eject-refused" && e.serial == 2; }));
    ZdCoreInterfaceDereference(ZdPortDeviceContext(pnp.Child(2)));
}

TEST_F(BusControlTest, ListGivesTheHeadAndTheEntriesThatFit)
{
    ZdStatus status;
    uintptr_t returned = 0;
    List(15, status, returned);
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, status);
    ASSERT_EQ(0, Plug(set.Record(3)));
    ASSERT_EQ(0, Plug(set.Record(25)));
    struct Case {
        uint32_t outLength;
        uint32_t entries;
    } cases[] = {{16, 0}, {16 + 255, 0}, {16 + 256, 1}, {16 + 511, 1}, {16 + 512, 2}, {4096, 2}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> out = List(c.outLength, status, returned);
        ASSERT_EQ(0, status) << c.outLength;
        EXPECT_EQ(16u + 256 * c.entries, returned) << c.outLength;
        EXPECT_EQ(16u, LoadLE32(out.data()));
        EXPECT_EQ((1u << 3) | (1u << 25), LoadLE32(out.data() + 4));
        EXPECT_EQ(2u, LoadLE32(out.data() + 8));
        EXPECT_EQ(c.entries, LoadLE32(out.data() + 12));
        if (c.entries >= 1) {
            const std::vector<uint8_t> record = set.Record(3);
            EXPECT_EQ(0, std::memcmp(out.data() + 16, record.data() + 8, 256));
            EXPECT_EQ(3, out[16 + 16]);
        }
    }
}

TEST_F(BusControlTest, OtherCodesAreRefusedOnTheBus)
{
    uint8_t buffer[1024] = {};
    EXPECT_EQ(ZD_STATUS_INVALID_PARAMETER, pnp.BusControl(0x002AC0FC, buffer, 16, buffer, 16));
    for (uint32_t code : {uint32_t(IOCTL_ZEDISK_GET_RECORD), uint32_t(IOCTL_ZEDISK_SET_LETTER),
                          uint32_t(IOCTL_ZEDISK_SET_READONLY)}) {
        StoreLE32(buffer, 912);
        EXPECT_EQ(ZD_STATUS_INVALID_DEVICE_REQUEST, pnp.BusControl(code, buffer, 912, buffer, 912)) << std::hex << code;
    }
}

} // namespace
