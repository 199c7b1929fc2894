// The live-source device over a failing per-volume reader: no reader is used or kept
// after a failed open, and its codes reach the worker.
#include <gtest/gtest.h>

#include "CDriverDevice.h"
#include "CRestore.h"
#include "KSResult.h"

namespace {
// A reader whose InitVolume fails with the code it is given.
class FailingVolume final : public IKSVolume {
public:
    explicit FailingVolume(unsigned long code) : code_(code) {}
    unsigned long Release() override
    {
        ++released;
        delete this;
        return 0;
    }
    unsigned long GetCancel() override { return 0; }
    unsigned long SetCancel(unsigned long) override { return 0; }
    _KS_VOLUME* GetVolumeInfo() override { return nullptr; }
    unsigned long InitVolume(_KS_VOLUME_ITEM item, const wchar_t* folder) override
    {
        lastItem = item;
        lastFolder = folder;
        return code_;
    }
    unsigned long PrepareVolume(unsigned long) override { return 0; }
    unsigned long ReadSectors(unsigned long long, unsigned long, void*) override { return code_; }
    unsigned long CallBack(unsigned long long, unsigned long, void*, unsigned long) override { return 0; }
    unsigned long ReadVolumeSectors(unsigned long long, unsigned long, void*, unsigned long) override { return 0; }
    static int released;
    static _KS_VOLUME_ITEM lastItem;
    static const wchar_t* lastFolder;

private:
    unsigned long code_;
};
int FailingVolume::released = 0;
_KS_VOLUME_ITEM FailingVolume::lastItem{};
const wchar_t* FailingVolume::lastFolder = nullptr;

unsigned long g_code = 0;
unsigned long MakeFailing(unsigned long, unsigned long, void** out)
{
    *out = static_cast<IKSVolume*>(new FailingVolume(g_code));
    return 0;
}
unsigned long FactoryFails(unsigned long, unsigned long, void** out)
{
    *out = nullptr;
    return KS_RESULT(KS_MODULE_BACKUP, 0x10F);
}

TEST(RestoreLiveDevice, AFailedOpenKeepsNoReaderAndReportsItsCode)
{
    CRestore engine(DefaultRestoreServices());
    engine.SetStringParam(L"/tmp/work");
    uint32_t item[19] = {};
    item[16] = 3; // disk
    item[17] = 2; // partition index
    struct Case {
        CDriverDevice::ReaderFactory factory;
        unsigned long code;
        unsigned long expectedKind;
    } cases[] = {
        {FactoryFails, 0, 0x10F},
        {MakeFailing, KS_RESULT(KS_MODULE_BACKUP, 0x258), 0x261},
        {MakeFailing, KS_RESULT(KS_MODULE_BACKUP, 0x104), 0x104},
    };
    for (const Case& c : cases) {
        g_code = c.code;
        FailingVolume::released = 0;
        CDriverDevice device(item, engine, 0, c.factory);
        EXPECT_EQ(device.Open(), 0);
        EXPECT_EQ(KSResultKind(device.LastResult()), c.expectedKind);
        unsigned char sector[512];
        EXPECT_EQ(device.ReadSector(sector, 0, 1), 0) << "no reader left to read through";
        EXPECT_EQ(device.WriteSector(sector, 0, 1), 0);
        if (c.factory == MakeFailing) {
            EXPECT_EQ(FailingVolume::released, 1);
            EXPECT_EQ(FailingVolume::lastItem.DiskNumber, 3u);
            EXPECT_EQ(FailingVolume::lastItem.PartitionNumber, 2u);
            EXPECT_STREQ(FailingVolume::lastFolder, L"/tmp/work");
        }
    }
}
}
