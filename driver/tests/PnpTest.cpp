// Plug and Play of bus and children on the fake port: what starts, what is
// reported, what removal deletes, and the child's identity and capabilities.
#include <gtest/gtest.h>

#include "CoreTestSet.h"
#include "Devices.h"

#include <algorithm>

namespace {

using Answer = wdk::PnpManager::Answer;

ZdRequest Pnp(uint8_t minor)
{
    ZdRequest request{};
    request.Major = ZD_MJ_PNP;
    request.Minor = minor;
    return request;
}

zedisk::ZdChild* CoreChild(ZdPortDevice* device)
{
    return static_cast<zedisk::ZdChild*>(ZdPortDeviceContext(device));
}

class PnpTest : public CoreTest {};

TEST_F(PnpTest, StartedBusPublishesItsInterfaceAndAPluggedDiskStarts)
{
    EXPECT_TRUE(pnp.InterfaceEnabled());
    SmallSet set;
    ASSERT_EQ(0, Plug(set.Record(5)));
    EXPECT_EQ(std::vector<uint32_t>{1}, pnp.Children());
    ZdPortDevice* child = pnp.Child(1);
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(zedisk::ZD_PNP_STARTED, CoreChild(child)->pnpState);
    EXPECT_EQ(1, pnp.Events().back().serial);
    EXPECT_EQ("start", pnp.Events().back().what);
}

TEST_F(PnpTest, RemovingTheBusDeletesEveryChild)
{
    SmallSet set;
    ASSERT_EQ(0, Plug(set.Record(5)));
    ASSERT_EQ(0, Plug(set.Record(6)));
    ASSERT_EQ(2u, pnp.Children().size());
    EXPECT_EQ(0, pnp.UnloadDriver());
    EXPECT_FALSE(pnp.InterfaceEnabled());
    EXPECT_EQ(0, wdk::LiveDevices());
}

TEST_F(PnpTest, SurpriseRemovedBusLeavesChildrenToTheirOwnRemoval)
{
    SmallSet set;
    ASSERT_EQ(0, Plug(set.Record(5)));
    EXPECT_EQ(0, pnp.UnloadDriver(true));
    EXPECT_EQ(0, wdk::LiveDevices());
}

TEST_F(PnpTest, UnpluggedChildGoesAtTheNextRelationsAndIsDeletedAtItsRemove)
{
    SmallSet set;
    ASSERT_EQ(0, Plug(set.Record(5)));
    ASSERT_EQ(0, Plug(set.Record(6)));
    const int before = wdk::LiveDevices();
    ASSERT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 1u << 5));
    EXPECT_EQ(std::vector<uint32_t>{2}, pnp.Children());
    EXPECT_EQ(before - 1, wdk::LiveDevices());
    const std::vector<wdk::PnpEvent> events = pnp.Events();
    EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                            [](const wdk::PnpEvent& e) { return e.what == "remove" && e.serial == 1; }));
}

TEST_F(PnpTest, QueryRemoveFailsWhileTheBusInterfaceIsHeld)
{
    SmallSet set;
    ASSERT_EQ(0, Plug(set.Record(5)));
    ZdPortDevice* child = pnp.Child(1);
    ZdRequest query = Pnp(ZD_MN_QUERY_INTERFACE);
    const ZeDiskGuid& g = ZEDISK_GUID_BUS_INTERFACE;
    StoreLE32(query.InterfaceType, g.Data1);
    StoreLE16(query.InterfaceType + 4, g.Data2);
    StoreLE16(query.InterfaceType + 6, g.Data3);
    std::memcpy(query.InterfaceType + 8, g.Data4, 8);
    query.InterfaceSize = 28;
    query.InterfaceVersion = 1;
    Answer got = pnp.Send(child, query);
    ASSERT_EQ(0, got.status);
    EXPECT_TRUE(got.interfaceFilled);
    ZdRequest queryRemove = Pnp(ZD_MN_QUERY_REMOVE_DEVICE);
    EXPECT_EQ(static_cast<ZdStatus>(0xC0000001), pnp.Send(child, queryRemove).status);
    ZdCoreInterfaceDereference(CoreChild(child));
    ZdRequest again = Pnp(ZD_MN_QUERY_REMOVE_DEVICE);
    EXPECT_EQ(0, pnp.Send(child, again).status);
    ZdRequest cancel = Pnp(ZD_MN_CANCEL_REMOVE_DEVICE);
    EXPECT_EQ(0, pnp.Send(child, cancel).status);
    EXPECT_EQ(zedisk::ZD_PNP_STARTED, CoreChild(child)->pnpState);
}

} // namespace
