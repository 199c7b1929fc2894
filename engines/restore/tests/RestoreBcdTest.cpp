// The BCD store of a restored Vista-style system: after a restore that moves its
// partition, and after a clone onto another disk, the store's device elements that
// named the partition's old place name the new one (disk signature and byte offset),
// and nothing else in the store changed, as hivexregedit exports it. A store that
// cannot be rewritten fails the fix-up and stays as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CRestore.h"
#include "CommandOutput.h"
#include "FixupDisk.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "KSResult.h"
#include "RestoreFixture.h"
#include "SystemFixups.h"
#include "restore/BcdStoreCheck.h"

namespace {

std::string StoreOn(const std::string& disk, uint64_t start, uint64_t sectors, bool ntfs)
{
    return BcdStoreOn(disk, start, sectors, ntfs, FixupDisk::Get().Folder());
}

void ExpectStoreMoved(const std::string& sourceStore, const std::string& targetStore, uint64_t oldStart,
                      uint64_t newStart)
{
    ExpectBcdStoreMoved(sourceStore, targetStore, kFixtureSignature, oldStart, kTargetSignature, newStart,
                        FixupDisk::Get().Folder());
}

std::string SaveFile(const std::string& bytes, const std::string& name)
{
    const std::string file = FixupDisk::Get().Folder() + "/" + name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

class RestoreBcd : public FixupDiskTest {};

// Backs the fixture's system volumes at places up and restores them there (the NTFS
// system without a letter: its store is reached by its volume name), by partition
// or as a disk run.
void RestoreSystems(const std::vector<const FixupPlace*>& places, bool diskRun)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.Partition(TargetTable());
    const std::string folder = MakeWorkFolder(diskRun ? "bcd-disk-run" : "bcd-restore");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    for (const FixupPlace* place : places)
        request.partitions.push_back(disk.IndexOf(place->source));
    ASSERT_EQ(0u, RunBackup(request).last.Result);

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    std::vector<_KS_VOLUME> volumes(places.size());
    ASSERT_EQ(0u, engine->GetImgVolumes(volumes.data(), static_cast<unsigned long>(volumes.size()), &count, &version));
    ASSERT_EQ(places.size(), count);
    if (diskRun)
        engine->SetDiskMode(1);
    for (const FixupPlace* place : places)
        for (_KS_VOLUME& volume : volumes)
            if (volume.PartitionStart == place->source.start) {
                const char letter = place->source.start == kSystemNtfs.start ? 0 : 'H';
                _KS_RESTORE_TARGET target = TargetRecord(*place, letter, true);
                ASSERT_EQ(0u, engine->AddRestore(&volume, &target, 0));
            }
    const _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    ASSERT_EQ(0u, record.Result) << std::hex << record.Result;

    for (const FixupPlace* place : places) {
        SCOPED_TRACE(place->start);
        const bool ntfs = place->source.start == kSystemNtfs.start;
        ExpectStoreMoved(StoreOn(disk.Fixture(), place->source.start, place->source.sectors, ntfs),
                         StoreOn(disk.Target(), place->start, place->sectors, ntfs), place->source.start,
                         place->start);
    }
}

TEST_F(RestoreBcd, APartitionRestoreToAnotherOffsetPointsTheStoreAtTheNewPlace)
{
    RestoreSystems({&kPlaces[0], &kPlaces[1]}, false);
}

TEST_F(RestoreBcd, ADiskRunPointsTheStoreAtTheNewPlace)
{
    RestoreSystems({&kPlaces[1]}, true);
}

TEST_F(RestoreBcd, ACloneOntoAnotherDiskPointsTheStoreAtTheTargetDisksSignature)
{
    FixupDisk& disk = FixupDisk::Get();
    disk.Partition(TargetTable());
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    _KS_RESTORE_TARGET source = TargetRecord({kSystemFat32, kSystemFat32.start, kSystemFat32.sectors,
                                              kSystemFat32.start, 2, true},
                                             0, false);
    source.DiskNumber = 0;
    _KS_RESTORE_TARGET target = TargetRecord(kPlaces[1], 'H', true);
    ASSERT_EQ(0u, engine->AddDiskRestore(&source, &target, 0));
    const _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    ASSERT_EQ(0u, record.Result) << std::hex << record.Result;
    ExpectStoreMoved(StoreOn(disk.Fixture(), kSystemFat32.start, kSystemFat32.sectors, false),
                     StoreOn(disk.Target(), kPlaces[1].start, kPlaces[1].sectors, false), kSystemFat32.start,
                     kPlaces[1].start);
}

TEST_F(RestoreBcd, AStoreThatCannotBeRewrittenFailsTheFixupAndStaysAsItWas)
{
    FixupDisk& disk = FixupDisk::Get();
    enum Fault { kDamagedStore, kWriteRefused };
    for (const Fault fault : {kDamagedStore, kWriteRefused}) {
        SCOPED_TRACE(fault);
        SetUp();
        disk.CopyFixture();
        const std::string at = disk.Target() + "@@" + std::to_string(kSystemFat32.start * 512);
        // boot.ini names the new place already, so that nothing is written before the store.
        std::string bootIni = CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + at + "' ::/boot.ini");
        for (size_t pos; (pos = bootIni.find("rdisk(0)partition(2)")) != std::string::npos;)
            bootIni.replace(pos, 20, "rdisk(1)partition(2)");
        const std::string bootFile = SaveFile(bootIni, "boot.ini");
        ASSERT_EQ(0, std::system(("MTOOLS_SKIP_CHECK=1 mcopy -o -i '" + at + "' '" + bootFile + "' ::/boot.ini").c_str()));
        if (fault == kDamagedStore) {
            std::string bytes = StoreOn(disk.Target(), kSystemFat32.start, kSystemFat32.sectors, false);
            bytes[0] = 'X';
            const std::string damaged = SaveFile(bytes, "damaged");
            ASSERT_EQ(0, std::system(("MTOOLS_SKIP_CHECK=1 mcopy -o -i '" + at + "' '" + damaged + "' ::/Boot/BCD").c_str()));
        }
        const std::string before = StoreOn(disk.Target(), kSystemFat32.start, kSystemFat32.sectors, false);
        ASSERT_FALSE(before.empty());
        if (fault == kWriteRefused)
            KSPlatformSetVolumeWriteError(ERROR_WRITE_PROTECT);
        CRestore engine(DefaultRestoreServices());
        _KS_VOLUME source = SourceVolume(kSystemFat32);
        FixupPlace place = kPlaces[1];
        place.start = kSystemFat32.start;
        _KS_RESTORE_TARGET target = TargetRecord(place, 'H', true);
        _KS_RESTORE_OPERATION operation{&source, &target, 0};
        const unsigned long result = UpdateSystemForPartOpt(engine, operation);
        EXPECT_EQ(0x611u, KSResultKind(result)) << std::hex << result;
        KSPlatformSetVolumeWriteError(ERROR_SUCCESS);
        EXPECT_EQ(before, StoreOn(disk.Target(), kSystemFat32.start, kSystemFat32.sectors, false));
    }
    SetUp();
}

} // namespace
