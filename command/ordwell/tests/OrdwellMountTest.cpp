// Commands 44 to 47 reach the mount engine made by the executor's own engine set,
// and its answers come back unchanged; the bus behind it is a recording stand-in.
#include <gtest/gtest.h>

#include <cstring>

#include "BusDouble.h"
#include "COrdwell.h"
#include "IKSMount.h"
#include "KSPlatformControl.h"
#include "KSResult.h"
#include "LittleEndian.h"

namespace {

template <class T>
unsigned long RunCommand(COrdwell& executor, T& record, _KS_CMD_PACKET* reply = nullptr)
{
    _KS_CMD_PACKET* held = reply;
    return executor.Execute(&record.Header, reply != nullptr ? &held : nullptr, 0);
}

class OrdwellMountTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        KSPlatformSetClock(&clock);
        OrdwellEngines engines;
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0, KS_MOUNT_KIND, &object), 0u);
        engines.mount = static_cast<IKSMount*>(object);
        executor = new COrdwell(engines, OrdwellModules());
    }
    void TearDown() override
    {
        delete executor;
        KSPlatformReset();
    }

    KSFakeClock clock;
    COrdwell* executor = nullptr;
};

TEST_F(OrdwellMountTest, MountCommandsAnswerWithTheEngineCodes)
{
    KS_CMD_VALUE_REQUEST unplug{};
    KSCmdFillHeader(unplug, 45);
    unplug.Value = 1u << 6;
    // No bus yet: the engine's own code (module 6), not the channel's.
    unsigned long rc = RunCommand(*executor, unplug);
    EXPECT_EQ(KSResultKind(rc), 0x104u);
    EXPECT_EQ(KSResultModule(rc), 6u);

    auto bus = InstallBusDouble();
    EXPECT_EQ(RunCommand(*executor, unplug), 0u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);
    EXPECT_EQ(LoadLE32(bus->requests.back().input.data() + 4), 1u << 6);

    KS_CMD_VALUE_REQUEST eject{};
    KSCmdFillHeader(eject, 46);
    eject.Value = 1u << 7;
    bus->refuseTarget = true;
    rc = RunCommand(*executor, eject);
    EXPECT_EQ(KSResultKind(rc), 0x051u);
    EXPECT_EQ(KSResultModule(rc), 6u);

    std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE> record{};
    StoreLE32(record.data() + 8, KS_VOLUME_MAGIC);
    std::array<uint8_t, 256> entry{};
    std::memcpy(entry.data(), record.data() + 8, 256);
    bus->children = {entry, entry};
    uint32_t callerCount = 1;
    uint32_t replyCount = 0;
    uint8_t entries[2 * 256] = {};
    KS_CMD_MOUNTED_REQUEST list{};
    KSCmdFillHeader(list, 47);
    list.Count = &callerCount;
    KS_CMD_MOUNTED_REPLY reply{};
    KSCmdFillHeader(reply, 47);
    reply.Entries = entries;
    reply.Count = &replyCount;
    EXPECT_EQ(KSResultKind(RunCommand(*executor, list, &reply.Header)), 0x00Eu);
    callerCount = 2;
    EXPECT_EQ(RunCommand(*executor, list, &reply.Header), 0u);
    EXPECT_EQ(replyCount, 2u);
    EXPECT_EQ(LoadLE32(entries + 256), KS_VOLUME_MAGIC);

    KS_CMD_MOUNT_REQUEST mount{};
    KSCmdFillHeader(mount, 44);
    wchar_t image[] = L"C:\\a.rvd";
    _KS_VOLUME volume{};
    volume.Magic = KS_VOLUME_MAGIC;
    volume.BytesPerSector = 512;
    mount.Image = image;
    mount.Volume = &volume;
    mount.Letter = 26;
    rc = RunCommand(*executor, mount);
    EXPECT_EQ(KSResultKind(rc), 0x009u);
    EXPECT_EQ(KSResultModule(rc), 6u);
}

} // namespace
