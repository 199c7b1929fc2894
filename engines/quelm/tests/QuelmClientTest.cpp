// The snapshot client over the driver's stand-in: the factory, opening a volume,
// the cache-size attempts, the process-wide control device, and the chunked sector
// transfers.
#include <cstring>

#include "IQuelm.h"
#include "KSResult.h"
#include "KSSnapRecords.h"
#include "KSSnapshotDriver.h"
#include "KSPlatformControl.h"
#include "QuelmControlDevice.h"
#include "QuelmTestVolume.h"

namespace {

using QuelmClient = QuelmVolumeTest;

unsigned long Kind(unsigned long code) { return KSResultKind(code); }

std::vector<uint32_t> SentCounts(uint32_t code)
{
    std::vector<uint32_t> counts;
    for (const KSSnapshotDriverCall& call : KSSnapshotDriverCalls())
        if (call.code == code)
            counts.push_back(call.sectorCount);
    return counts;
}

TEST_F(QuelmClient, FactoryChecksItsArguments)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(0x009u, Kind(KSCreateObjectQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, nullptr)));
    EXPECT_EQ(0x002u, Kind(KSCreateObjectQuelm(1001, KS_QUELM_KIND, &object)));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(0x006u, Kind(KSCreateObjectQuelm(KS_QUELM_VERSION, 4, &object)));
    ASSERT_EQ(0u, KSCreateObjectQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, &object));
    IKSQuelm* client = static_cast<IKSQuelm*>(object);
    EXPECT_EQ(4u, KSResultModule(client->CreateSnapshot(0, 8, 8)));
    EXPECT_EQ(0x005u, Kind(client->CreateSnapshot(0, 8, 8))) << "not open";
    EXPECT_EQ(client->CreateSnapshot(0, 8, 8), client->GetLastError()) << "the object's last result";
    EXPECT_EQ(0u, client->SendControl());
    client->Release();
}

TEST_F(QuelmClient, OpenRefusals)
{
    KSDriveEntry bare;
    bare.letter = 'Q';
    ASSERT_TRUE(KSPlatformAddDrive(bare)); // a drive without a volume device
    KSDriveEntry unserved;
    unserved.letter = 'U';
    unserved.hasVolume = true;
    unserved.volume.firstSector = kVolumeSStart;
    unserved.volume.sectors = 64;
    ASSERT_TRUE(KSPlatformAddDrive(unserved)); // added after the driver: it has no volume id
    const std::wstring longFolder(260, L'x');
    const struct {
        const wchar_t* name;
        const wchar_t* folder;
        unsigned long kind;
    } cases[] = {
        {nullptr, nullptr, 0x009},
        {L"", nullptr, 0x009},
        {L"VolumeNameOfThirtyTwoCharacters_", nullptr, 0x009},
        {L"S:", longFolder.c_str(), 0x009},
        {L"R:", nullptr, 0x05A},
        {L"Q:", nullptr, 0x104},
        {L"U:", nullptr, 0x066},
    };
    for (const auto& c : cases) {
        void* object = nullptr;
        ASSERT_EQ(0u, KSCreateObjectQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, &object));
        IKSQuelm* client = static_cast<IKSQuelm*>(object);
        EXPECT_EQ(c.kind, Kind(client->Open(c.name, c.folder))) << (c.name ? c.name[0] : L'-');
        EXPECT_EQ(0x005u, Kind(client->StartSnapshot()));
        client->Release();
        EXPECT_EQ(0u, QuelmControlDevice::Users());
    }
    KSSnapshotDriverRemove();
    IKSQuelm* client = nullptr;
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectQuelm(KS_QUELM_VERSION, KS_QUELM_KIND, &object));
    client = static_cast<IKSQuelm*>(object);
    EXPECT_EQ(0x10Fu, Kind(client->Open(L"S:", nullptr))) << "no driver";
    client->Release();
}

TEST_F(QuelmClient, CacheSizesAreTriedFromLargestAndOneDrainThreadRuns)
{
    KSSnapshotDriverRefuseCacheSize(0x2000000);
    KSSnapshotDriverRefuseCacheSize(0x1800000);
    IKSQuelm* client = OpenClient('S');
    const unsigned handlesOpen = KSPlatformOpenHandles();
    ASSERT_EQ(0u, client->CreateSnapshot(0, kVolumeSSectors, 8));
    EXPECT_EQ(0x1000000u, static_cast<IQuelm*>(client)->Context()->CacheBytes());
    std::vector<uint32_t> tried;
    for (const KSSnapshotDriverCall& call : KSSnapshotDriverCalls())
        if (call.code == IOCTL_SNAP_CREATE)
            tried.push_back(call.ringSize);
    EXPECT_EQ((std::vector<uint32_t>{0x2000000, 0x1800000, 0x1000000}), tried);
    EXPECT_EQ(handlesOpen + 1, KSPlatformOpenHandles()) << "the failed attempts' drain threads are gone";
    EXPECT_EQ(1u, KSSnapshotDriverLiveSnapshots());
    client->Release();
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
}

TEST_F(QuelmClient, CreationFailuresLeaveNoRingStoreOrThread)
{
    const struct {
        const char* what;
        bool refuseAll;
        uint32_t sectorSize;
        unsigned long kind;
    } cases[] = {
        {"every cache size refused", true, 512, 0x20A},
        {"the driver counts 4096-byte sectors", false, 4096, 0x009},
    };
    for (const auto& c : cases) {
        KSSnapshotDriverInstall();
        if (c.refuseAll)
            for (uint32_t size : {0x2000000u, 0x1800000u, 0x1000000u, 0x800000u})
                KSSnapshotDriverRefuseCacheSize(size);
        KSSnapshotDriverSetSectorSize(c.sectorSize);
        IKSQuelm* client = OpenClient('S');
        const unsigned handlesOpen = KSPlatformOpenHandles();
        EXPECT_EQ(c.kind, Kind(client->CreateSnapshot(0, kVolumeSSectors, 8))) << c.what;
        EXPECT_EQ(handlesOpen, KSPlatformOpenHandles()) << c.what;
        EXPECT_FALSE(static_cast<IQuelm*>(client)->Context()->HasStore()) << c.what;
        EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots()) << c.what;
        EXPECT_TRUE(SpillFiles().empty()) << c.what;
        client->Release();
    }
}

TEST_F(QuelmClient, SectorTransfersGoInChunksOf128)
{
    IKSQuelm* client = OpenClient('S');
    KSSnapshotDriverFailControl(IOCTL_SNAP_QUERY_INFO, ERROR_GEN_FAILURE);
    KS_QUELM_DRIVER_INFO info{};
    const unsigned long failed = client->GetDriverInfo(&info);
    EXPECT_EQ(0x066u, Kind(failed));
    std::vector<unsigned char> buffer(300 * kSector);
    EXPECT_EQ(failed, client->ReadSectors(10, 0, buffer.data())) << "a count of 0 gives the last result";
    EXPECT_TRUE(SentCounts(IOCTL_SNAP_READ_SECTORS).empty()) << "and sends nothing";

    ASSERT_EQ(0u, client->ReadSectors(10, 300, buffer.data()));
    EXPECT_EQ((std::vector<uint32_t>{128, 128, 44}), SentCounts(IOCTL_SNAP_READ_SECTORS));
    EXPECT_EQ(Sectors(10, 300, 0), buffer);

    const std::vector<unsigned char> changed = Sectors(1000, 300, 7);
    ASSERT_EQ(0u, client->WriteSectors(1000, 300, changed.data()));
    EXPECT_EQ((std::vector<uint32_t>{128, 128, 44}), SentCounts(IOCTL_SNAP_WRITE_SECTORS));
    EXPECT_EQ(changed, ImageSectors('S', 1000, 300));

    KSSnapshotDriverFailControl(IOCTL_SNAP_READ_SECTORS, ERROR_IO_DEVICE);
    EXPECT_EQ(0x066u, Kind(client->ReadSectors(10, 300, buffer.data())));
    EXPECT_EQ(4u, SentCounts(IOCTL_SNAP_READ_SECTORS).size()) << "a failed request stops the loop";
    KSSnapshotDriverFailControl(IOCTL_SNAP_QUERY_INFO, ERROR_SUCCESS);
    ASSERT_EQ(0u, client->GetDriverInfo(&info));
    EXPECT_EQ(0, std::wcsncmp(info.Name, L"zendbakdrv1", 11));
    EXPECT_EQ(0x009u, Kind(client->GetDriverInfo(nullptr)));
    client->Release();
}

TEST_F(QuelmClient, ContextsShareTheControlDeviceAndCloseOnce)
{
    IKSQuelm* first = OpenClient('S');
    IKSQuelm* second = OpenClient('T');
    EXPECT_EQ(2u, QuelmControlDevice::Users());
    StartSnapshot(first);
    ASSERT_EQ(0u, second->CreateSnapshot(0, kVolumeTSectors, 8));

    EXPECT_EQ(0u, first->Close());
    EXPECT_EQ(0u, first->Close());
    EXPECT_EQ(1u, QuelmControlDevice::Users()) << "a second Close does not drop the count again";
    EXPECT_EQ(1u, KSSnapshotDriverLiveSnapshots()) << "the other context's snapshot lives on";
    ASSERT_EQ(0u, second->StartSnapshot());
    KS_QUELM_DRIVER_INFO info{};
    EXPECT_EQ(0u, second->GetDriverInfo(&info)) << "the device is still open for the other context";
    first->Release();
    EXPECT_EQ(1u, QuelmControlDevice::Users());

    second->Release();
    EXPECT_EQ(0u, QuelmControlDevice::Users());
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
    unsigned stops = 0;
    for (const KSSnapshotDriverCall& call : KSSnapshotDriverCalls())
        stops += call.code == IOCTL_SNAP_STOP ? 1 : 0;
    EXPECT_EQ(2u, stops) << "one STOP per snapshot, however often Close runs";
}

} // namespace
