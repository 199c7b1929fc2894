#include "BusDouble.h"
#include "MountArrival.h"
#include "Palmet.h"
#include "PluginRecord.h"

#include "KSPlatformControl.h"
#include "KSResult.h"
#include "LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Record = std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE>;

_KS_VOLUME TestVolume(uint16_t partition = 1)
{
    _KS_VOLUME volume;
    std::memset(&volume, 0, sizeof volume);
    volume.Magic = KS_VOLUME_MAGIC;
    volume.Size = 256;
    volume.BytesPerSector = 512;
    volume.PartitionNumber = partition;
    volume.FileSystem = 3;
    volume.TotalSectors = 20000;
    return volume;
}

Record RecordOf(const _KS_VOLUME& volume, unsigned letter)
{
    uint8_t bytes[ZEDISK_PLUGIN_RECORD_SIZE];
    FillPluginRecord(bytes, volume, letter, nullptr, L"x.rvd");
    Record record;
    std::memcpy(record.data(), bytes, sizeof bytes);
    return record;
}

std::array<uint8_t, 256> EntryOf(const Record& record)
{
    std::array<uint8_t, 256> entry;
    std::memcpy(entry.data(), record.data() + ZEDISK_RECORD_VOLUME, 256);
    return entry;
}

class PalmetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        KSPlatformSetClock(&clock);
        handlesBefore = KSPlatformOpenHandles();
        KSServiceScript service;
        service.name = "zedskacs";
        KSPlatformAddService(service);
        void* object = nullptr;
        ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
        mount = static_cast<IKSMount*>(object);
    }
    void TearDown() override
    {
        if (mount != nullptr)
            mount->Release();
        EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore);
        KSPlatformReset();
    }
    static unsigned long Kind(unsigned long code) { return KSResultKind(code); }

    KSFakeClock clock;
    unsigned handlesBefore = 0;
    IKSMount* mount = nullptr;
};

TEST_F(PalmetTest, FactoryChecksAndObjectCount)
{
    void* object = nullptr;
    EXPECT_EQ(KSResultKind(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, nullptr)), 0x009u);
    EXPECT_EQ(KSResultKind(KSCreateObjectMount(0x10001, KS_MOUNT_KIND, &object)), 0x002u);
    EXPECT_EQ(KSResultKind(KSCreateObjectMount(0x10000, 8, &object)), 0x006u);
    EXPECT_EQ(object, nullptr);
    const unsigned long code = KSCreateObjectMount(0x10000, KS_MOUNT_KIND, nullptr);
    EXPECT_EQ(KSResultModule(code), 6u);

    const long before = Palmet::LiveObjects();
    ASSERT_EQ(KSCreateObjectMount(0x10000, KS_MOUNT_KIND, &object), 0u);
    EXPECT_EQ(Palmet::LiveObjects(), before + 1);
    EXPECT_EQ(static_cast<IKSMount*>(object)->Release(), 0u);
    EXPECT_EQ(Palmet::LiveObjects(), before);
    // Each object started the disk-access service (the fixture's and this one).
    KSServiceRecord service;
    ASSERT_TRUE(KSPlatformFindService("zedskacs", service));
    EXPECT_EQ(service.starts, 2u);
    EXPECT_EQ(service.state, static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(PalmetTest, MountRefusesBadArgumentsBeforeOpeningAnything)
{
    auto bus = InstallBusDouble();
    InstallChildVolume('F', RecordOf(TestVolume(), 5));
    wchar_t image[] = L"C:\\set\\a.rvd";
    struct Case {
        const char* what;
        bool nullImage, nullVolume;
        unsigned long letter;
        uint32_t magic, sectorSize;
    } cases[] = {
        {"null image", true, false, 6, KS_VOLUME_MAGIC, 512},
        {"null volume", false, true, 6, KS_VOLUME_MAGIC, 512},
        {"letter 26", false, false, 26, KS_VOLUME_MAGIC, 512},
        {"letter in use", false, false, 5, KS_VOLUME_MAGIC, 512},
        {"no VOLM", false, false, 6, 0x4D4C4F57, 512},
        {"sector size 0", false, false, 6, KS_VOLUME_MAGIC, 0},
        {"sector size 520", false, false, 6, KS_VOLUME_MAGIC, 520},
    };
    for (const Case& c : cases) {
        _KS_VOLUME volume = TestVolume();
        volume.Magic = c.magic;
        volume.BytesPerSector = c.sectorSize;
        const unsigned long rc =
            mount->MountImage(c.nullImage ? nullptr : image, c.nullVolume ? nullptr : &volume, c.letter, nullptr);
        EXPECT_EQ(Kind(rc), 0x009u) << c.what;
        EXPECT_EQ(KSResultModule(rc), 6u) << c.what;
    }
    EXPECT_TRUE(bus->requests.empty());
}

TEST_F(PalmetTest, UnmountTouchesOnlyTheBusDisks)
{
    auto bus = InstallBusDouble();
    // C: is an ordinary drive of the machine, F: a disk of the bus.
    auto machine = InstallChildVolume('C', RecordOf(TestVolume(7), 2));
    machine->answersRecord = false;
    auto child = InstallChildVolume('F', RecordOf(TestVolume(), 5));
    bus->letterMask = 1u << 5;

    ASSERT_EQ(mount->UnmountImage(0), 0u);
    EXPECT_EQ(machine->locks, 0u);
    EXPECT_EQ(machine->dismounts, 0u);
    EXPECT_EQ(child->locks, 1u);
    EXPECT_EQ(child->dismounts, 1u);
    EXPECT_EQ(child->unlocks, 1u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);
    const std::vector<uint8_t>& target = bus->requests.back().input;
    ASSERT_EQ(target.size(), 16u);
    EXPECT_EQ(LoadLE32(target.data()), 16u);
    EXPECT_EQ(LoadLE32(target.data() + 4), 0u);
    EXPECT_EQ(LoadLE64(target.data() + 8), 0u);

    // A mask names letters; a letter of the machine in it is still left alone.
    ASSERT_EQ(mount->UnmountImage((1u << 2) | (1u << 5)), 0u);
    EXPECT_EQ(machine->locks, 0u);
    EXPECT_EQ(child->locks, 2u);
    EXPECT_EQ(LoadLE32(bus->requests.back().input.data() + 4), (1u << 2) | (1u << 5));
    EXPECT_EQ(child->openHandles, 0);
}

TEST_F(PalmetTest, UnmountDoesNotDismountAVolumeThatWouldNotLock)
{
    auto bus = InstallBusDouble();
    auto child = InstallChildVolume('F', RecordOf(TestVolume(), 5));
    child->lockFails = true;
    bus->letterMask = 1u << 5;
    ASSERT_EQ(mount->UnmountImage(1u << 5), 0u);
    EXPECT_EQ(child->locks, 11u);
    EXPECT_EQ(child->dismounts, 0u);
    EXPECT_EQ(child->unlocks, 0u);
    EXPECT_EQ(bus->Count(IOCTL_ZEDISK_UNPLUG), 1u);   // the unplug goes on
}

TEST_F(PalmetTest, UnplugAndEjectFailures)
{
    struct Case {
        const char* what;
        bool busPresent, refuse;
        unsigned long kind;
    } cases[] = {
        {"no bus", false, false, 0x104},
        {"refused", true, true, 0x051},
        {"accepted", true, false, 0},
    };
    for (const Case& c : cases) {
        KSPlatformClearDevices();
        if (c.busPresent)
            InstallBusDouble()->refuseTarget = c.refuse;
        EXPECT_EQ(Kind(mount->UnmountImage(1)), c.kind) << c.what;
        EXPECT_EQ(Kind(mount->EjectImage(1)), c.kind) << c.what;
    }
    auto bus = InstallBusDouble();
    ASSERT_EQ(mount->EjectImage(1u << 7), 0u);
    ASSERT_EQ(bus->Count(IOCTL_ZEDISK_EJECT), 1u);
    EXPECT_EQ(LoadLE32(bus->requests.back().input.data() + 4), 1u << 7);
}

TEST_F(PalmetTest, MountedDisksCountsAndEntries)
{
    uint32_t count = 0;
    EXPECT_EQ(Kind(mount->GetMountedDisks(nullptr, nullptr)), 0x009u);
    EXPECT_EQ(Kind(mount->GetMountedDisks(nullptr, &count)), 0x104u);

    auto bus = InstallBusDouble();
    const Record first = RecordOf(TestVolume(1), 5);
    const Record second = RecordOf(TestVolume(2), 6);
    InstallChildVolume('F', first);
    InstallChildVolume('G', second);
    bus->children = {EntryOf(first), EntryOf(second)};
    bus->letterMask = (1u << 5) | (1u << 6);

    ASSERT_EQ(mount->GetMountedDisks(nullptr, &count), 0u);
    EXPECT_EQ(count, 2u);
    std::vector<uint8_t> entries(2 * 256, 0xEE);
    count = 1;
    EXPECT_EQ(Kind(mount->GetMountedDisks(entries.data(), &count)), 0x00Eu);
    count = 2;
    ASSERT_EQ(mount->GetMountedDisks(entries.data(), &count), 0u);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(std::memcmp(entries.data(), first.data() + 8, 256), 0);
    EXPECT_EQ(std::memcmp(entries.data() + 256, second.data() + 8, 256), 0);

    bus->refuseList = true;
    EXPECT_EQ(Kind(mount->GetMountedDisks(nullptr, &count)), 0x100u);
}

TEST_F(PalmetTest, MountedDisksRepairALetterChangedOutside)
{
    auto bus = InstallBusDouble();
    // The driver recorded G: for the disk, but its volume is H: now.
    const Record recorded = RecordOf(TestVolume(1), 6);
    auto moved = InstallChildVolume('H', recorded);
    // A fixed drive that is not a disk of the bus is skipped.
    auto other = InstallChildVolume('K', RecordOf(TestVolume(9), 10));
    other->answersRecord = false;
    // A disk whose letter is right stays as it is.
    const Record steady = RecordOf(TestVolume(2), 5);
    InstallChildVolume('F', steady);
    bus->children = {EntryOf(steady), EntryOf(recorded)};

    std::vector<uint8_t> entries(2 * 256);
    uint32_t count = 2;
    ASSERT_EQ(mount->GetMountedDisks(entries.data(), &count), 0u);
    EXPECT_EQ(entries[16], 5);
    EXPECT_EQ(entries[256 + 16], 7);   // H
    EXPECT_EQ(moved->letterSets, 1u);
    EXPECT_EQ(moved->letterSent, 7);
    EXPECT_EQ(other->letterSets, 0u);
}

// The arrival, with the disk brought up by the test between the notes and the wait.
TEST_F(PalmetTest, ArrivalWithTheWantedLetterChangesNothing)
{
    const _KS_VOLUME volume = TestVolume();
    MountArrival arrival(6, MountDiskId(volume, 6));
    arrival.NoteBefore();
    auto ours = InstallChildVolume('G', RecordOf(volume, 6));
    EXPECT_EQ(arrival.Wait(400), 0u);
    KSDriveEntry drive;
    EXPECT_TRUE(KSPlatformFindDrive('G', drive));
    EXPECT_EQ(ours->openHandles, 0);
}

TEST_F(PalmetTest, AForeignDiskArrivingMeanwhileKeepsItsLetter)
{
    const _KS_VOLUME volume = TestVolume();
    MountArrival arrival(6, MountDiskId(volume, 6));
    arrival.NoteBefore();
    // Another program's disk comes up as E: and shows a disk-access device; ours never.
    InstallChildVolume('E', RecordOf(TestVolume(3), 4));
    InstallDiskAccess(2, RecordOf(TestVolume(3), 4));
    const unsigned long rc = arrival.Wait(400);
    EXPECT_EQ(KSResultKind(rc), 0x015u);
    KSDriveEntry drive;
    EXPECT_TRUE(KSPlatformFindDrive('E', drive));
    EXPECT_FALSE(KSPlatformFindDrive('G', drive));
    // 400 passes of three 50 ms looks and a 100 ms pause.
    EXPECT_GE(clock.Slept(), 400u * 250u);
}

TEST_F(PalmetTest, ADiskWithoutAVolumeYetIsRetriedUntilItsLetterComes)
{
    const _KS_VOLUME volume = TestVolume();
    const Record record = RecordOf(volume, 6);
    MountArrival arrival(6, MountDiskId(volume, 6));
    arrival.NoteBefore();
    // Our disk's device opens but no partition of it is known yet: the letter step
    // answers "no volume yet" and the letters are looked at instead.
    InstallDiskAccess(3, record);
    InstallChildVolume('G', record);
    EXPECT_EQ(arrival.Wait(400), 0u);
}

} // namespace
