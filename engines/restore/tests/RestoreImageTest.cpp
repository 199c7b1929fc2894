// Restores of sets made by the backup engine from the fixture disk into a fresh
// disk-image file with the same partition table: the restored volumes pass the
// file-system tools' checks and hold the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "CDiskMapRestoreDisks.h"
#include "CImgDevice.h"
#include "CRestore.h"
#include "CommandOutput.h"
#include "IKSRestore.h"
#include "KSResult.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
TEST(RestoreImage, SameSizeVolumesOfEveryFileSystemPassTheirChecksAndHoldTheSameFiles)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-same");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {disk.ntfs.index, disk.fat32.index, disk.fat12.index, disk.fat16.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    const std::wstring setPath = Wide(folder + "/" + files[0]);
    const std::string target = MakeTargetDisk(folder);

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    const RestoreOutcome outcome = RunRestore(engine.get(), setPath, {disk.ntfs, disk.fat32, disk.fat12, disk.fat16});
    ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
    EXPECT_EQ(outcome.last.State, RESTORE_STATE_FINISH);
    EXPECT_EQ(outcome.last.OverallPercent, 100u);
    EXPECT_EQ(outcome.last.ItemCount, 4u);

    // The table of the target is the one it had.
    const std::string table = " | grep -v '^device:' | sed 's/^[^:]*:/:/'";
    EXPECT_EQ(CommandOutput("sfdisk -d '" + disk.Path() + "'" + table), CommandOutput("sfdisk -d '" + target + "'" + table));
    int i = 0;
    for (const FixturePartition* p : {&disk.ntfs, &disk.fat32, &disk.fat12, &disk.fat16}) {
        SCOPED_TRACE(p->start);
        const std::string restored = folder + "/restored" + std::to_string(i);
        const std::string original = folder + "/original" + std::to_string(i++);
        ASSERT_FALSE(ExtractPartition(target, p->start, p->sectors, restored).empty());
        ASSERT_FALSE(ExtractPartition(disk.Path(), p->start, p->sectors, original).empty());
        if (p == &disk.ntfs)
            ExpectSameNtfs(restored, original);
        else
            ExpectSameFat(restored, original, folder);
    }
}

TEST(RestoreImage, ASectorBySectorSetRestoresEverySectorOfThePartition)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-sectors");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.sectorBySector = 1;
    request.partitions = {disk.fat16.index, disk.ntfs.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    const std::string target = MakeTargetDisk(folder);
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    const RestoreOutcome outcome = RunRestore(engine.get(), Wide(folder + "/" + files[0]), {disk.fat16, disk.ntfs});
    ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
    for (const FixturePartition* p : {&disk.fat16, &disk.ntfs}) {
        const std::string a = folder + "/a", b = folder + "/b";
        ASSERT_FALSE(ExtractPartition(target, p->start, p->sectors, a).empty());
        ASSERT_FALSE(ExtractPartition(disk.Path(), p->start, p->sectors, b).empty());
        EXPECT_EQ(0, std::system(("cmp -s '" + a + "' '" + b + "'").c_str())) << p->start;
    }
}
}

namespace {
TEST(RestoreImage, EveryVersionOfAnAppendedSetEqualsTheVolumeAsItWasThen)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-versions");
    const std::string source = folder + "/source.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + source + "'").c_str()));
    const std::string target = MakeTargetDisk(folder);
    setenv(CDiskMap::kImagesVariable, (source + ":" + target).c_str(), 1);
    const FixturePartition& p = disk.fat16;
    const std::string at = "'" + source + "@@" + std::to_string(p.start * 512) + "'";
    std::vector<std::string> states;

    BackupRequest request;
    request.imagePath = Wide(folder + "/set/versions.RVD");
    ASSERT_EQ(0, std::system(("mkdir -p '" + folder + "/set'").c_str()));
    request.partitions = {p.index};
    for (int version = 0; version < 3; ++version) {
        if (version != 0) {
            // Each later version changes a file, adds one and removes one.
            const std::string changed = folder + "/changed";
            ASSERT_EQ(0, std::system(("head -c " + std::to_string(70000 + version * 1000) + " /dev/urandom > '" +
                                      changed + "' && MTOOLS_SKIP_CHECK=1 mcopy -o -i " + at + " '" + changed +
                                      "' ::/DOCS/FILE1.TXT && MTOOLS_SKIP_CHECK=1 mcopy -o -i " + at + " '" + changed +
                                      "' ::/NEW" + std::to_string(version) + ".BIN && MTOOLS_SKIP_CHECK=1 mdel -i " + at +
                                      " ::/DOCS/FILE" + std::to_string(version + 2) + ".TXT").c_str()));
        }
        states.push_back(folder + "/state" + std::to_string(version));
        ASSERT_FALSE(ExtractPartition(source, p.start, p.sectors, states.back()).empty());
        request.setMode = version == 0 ? 0 : 1;
        ASSERT_EQ(0u, RunBackup(request).last.Result) << version;
    }
    const std::vector<std::string> files = FilesIn(folder + "/set");
    ASSERT_EQ(files.size(), 3u);
    for (size_t version = 0; version < states.size(); ++version) {
        SCOPED_TRACE(version);
        void* object = nullptr;
        ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
        RestoreEngine engine(static_cast<IKSRestore*>(object));
        const RestoreOutcome outcome =
            RunRestore(engine.get(), Wide(folder + "/set/" + files.back()), {p}, L"", false, version);
        ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
        const std::string restored = folder + "/restored";
        ASSERT_FALSE(ExtractPartition(target, p.start, p.sectors, restored).empty());
        ExpectSameFat(restored, states[version], folder);
    }
}
}

namespace {
TEST(RestoreImage, TheImageDeviceReadsAVolumeOfTheSetAndClosesOnce)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-device");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.RVD");
    request.partitions = {disk.fat32.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    std::unique_ptr<IKSCofran, CofranDeleter> listing(OpenSet(path, L""));
    ASSERT_TRUE(listing);
    _KS_VOLUME volume{};
    ASSERT_EQ(0u, listing->GetVolumes(&volume, 1));
    listing.reset();

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectImg(0x10000, 1, &object));
    std::unique_ptr<IKSCofran, CofranDeleter> image(static_cast<IKSCofran*>(object));
    CRestore engine(DefaultRestoreServices());
    CImgDevice device(&volume, image.get(), path.c_str(), engine);
    unsigned char sectors[1024];
    EXPECT_EQ(device.ReadSector(sectors, 0, 2), 0) << "closed";
    ASSERT_EQ(device.Open(), 1);
    ASSERT_EQ(device.ReadSector(sectors, 0, 2), 1);
    EXPECT_EQ(std::vector<uint8_t>(sectors, sectors + 1024), disk.ReadSectors(disk.fat32.start, 2));
    EXPECT_EQ(device.WriteSector(sectors, 0, 1), 1) << "writes nothing and says so";
    EXPECT_EQ(device.Close(), 1);
    EXPECT_EQ(device.Close(), 0);
}
}

namespace {
struct FixupCalls {
    std::vector<_KS_RESTORE_TARGET> partitions;
    int disks = 0;
    int bootIni = 0;
} g_fixups;

unsigned long RecordPartition(CRestore&, const _KS_RESTORE_OPERATION& operation)
{
    g_fixups.partitions.push_back(*static_cast<const _KS_RESTORE_TARGET*>(operation.Target));
    return 0;
}
unsigned long RecordDisk(CRestore&)
{
    ++g_fixups.disks;
    return 0;
}
unsigned long RecordBootIni(CRestore&, const _KS_RESTORE_OPERATION&)
{
    ++g_fixups.bootIni;
    return 0;
}

TEST(RestoreImage, ListingsAndTheFixupsAfterEachPartitionOrTheDisk)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-fixups");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.RVD");
    request.comment = L"a comment of the set";
    request.partitions = {disk.fat12.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    MakeTargetDisk(folder);

    for (const bool diskMode : {false, true}) {
        SCOPED_TRACE(diskMode);
        g_fixups = FixupCalls();
        RestoreServices services = DefaultRestoreServices();
        services.updateSystemForPartOpt = RecordPartition;
        services.updateSystemForDiskOpt = RecordDisk;
        services.updateBootIni = RecordBootIni;
        RestoreEngine engine(new CRestore(services));
        engine->SetDiskMode(diskMode ? 1 : 0);
        _KS_VERSION version{};
        unsigned long count = 0;
        ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
        ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
        // A buffer too small for the volumes; a comment's length in the count.
        EXPECT_EQ(KSResultKind(engine->GetImgVolumes(nullptr, 0, &count, &version)), 0u);
        EXPECT_EQ(count, 1u);
        _KS_VOLUME volume{};
        EXPECT_EQ(KSResultKind(engine->GetImgVolumes(&volume, 0, &count, &version)), 0x00Eu);
        wchar_t comment[64] = {};
        count = 0;
        EXPECT_EQ(engine->GetVerComment(comment, 64, &count, &version), 0u);
        EXPECT_STREQ(comment, L"a comment of the set");
        EXPECT_EQ(count, 20u);

        const RestoreOutcome outcome = RunRestore(engine.get(), path, {disk.fat12});
        ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
        if (diskMode) {
            EXPECT_TRUE(g_fixups.partitions.empty());
            EXPECT_EQ(g_fixups.disks, 1);
        } else {
            ASSERT_EQ(g_fixups.partitions.size(), 1u);
            EXPECT_EQ(uint64_t{g_fixups.partitions[0].FirstSector}, disk.fat12.start);
            EXPECT_EQ(g_fixups.disks, 0);
        }
        EXPECT_EQ(g_fixups.bootIni, 0) << "a partition fix-up ran, or the disk's did";
    }
}
}

namespace {
TEST(RestoreImage, FatVolumesGrowOntoLargerPartitionsWithTheirWholeBootArea)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-larger");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.RVD");
    request.partitions = {disk.fat32.index, disk.fat16.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    // Same cluster sizes at the new sizes: FAT32 1 sector, FAT16 4 sectors.
    const std::string target = folder + "/larger.img";
    ASSERT_EQ(0, std::system(("truncate -s 140M '" + target + "' && printf 'label: dos\\n"
                              "1 : start=2048, size=32768, type=7\\n2 : start=36864, size=79632, type=c\\n"
                              "4 : start=116736, size=150000, type=5\\n5 : start=118784, size=140000, type=6\\n' | "
                              "sfdisk --quiet '" + target + "' >/dev/null 2>&1").c_str()));
    setenv(CDiskMap::kImagesVariable, (disk.Path() + ":" + target).c_str(), 1);
    const FixturePartition fat32{disk.fat32.start, 79632}, fat16{disk.fat16.start, 140000};
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    const RestoreOutcome outcome = RunRestore(engine.get(), path, {fat32, fat16});
    ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
    const FixturePartition* originals[] = {&disk.fat32, &disk.fat16};
    int i = 0;
    for (const FixturePartition* p : {&fat32, &fat16}) {
        SCOPED_TRACE(p->start);
        const std::string restored = folder + "/restored", original = folder + "/original";
        ASSERT_FALSE(ExtractPartition(target, p->start, p->sectors, restored).empty());
        ASSERT_FALSE(ExtractPartition(disk.Path(), originals[i]->start, originals[i]->sectors, original).empty());
        ++i;
        ExpectSameFat(restored, original, folder);
        const std::string fsck = CommandOutput("fsck.fat -n -v '" + restored + "' 2>&1");
        EXPECT_NE(fsck.find(std::to_string(p->sectors) + " sectors total"), std::string::npos) << fsck;
        if (p == &fat32) {
            // The backup boot sector equals the boot sector.
            EXPECT_EQ(CommandOutput("dd if='" + restored + "' bs=512 count=1 status=none | md5sum"),
                      CommandOutput("dd if='" + restored + "' bs=512 skip=6 count=1 status=none | md5sum"));
        }
    }
}
}

namespace {
TEST(RestoreImage, AWholeDiskGetsItsVolumesAndTheImageBootTrackUnderItsOwnTable)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-disk");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.RVD");
    request.partitions = {disk.ntfs.index, disk.fat32.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    const std::string target = MakeTargetDisk(folder);
    for (const bool diskMode : {false, true}) {
        SCOPED_TRACE(diskMode);
        void* object = nullptr;
        ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
        RestoreEngine engine(static_cast<IKSRestore*>(object));
        engine->SetDiskMode(diskMode ? 1 : 0);
        _KS_VERSION version{};
        unsigned long count = 0;
        ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
        ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
        _KS_VOLUME volumes[2];
        ASSERT_EQ(0u, engine->GetImgVolumes(volumes, 2, &count, &version));
        for (_KS_VOLUME& v : volumes) {
            _KS_RESTORE_TARGET t = TargetOf(v.PartitionStart == disk.ntfs.start ? disk.ntfs : disk.fat32);
            ASSERT_EQ(0u, engine->AddRestore(&v, &t, 0));
        }
        _KS_RESTORE_TARGET whole{};
        whole.DiskNumber = kTargetDisk;
        whole.ImageDisk = 0;
        ASSERT_EQ(0u, engine->AddRestore(&volumes[0], &whole, 0));
        _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;

        const std::vector<uint8_t> source = disk.ReadSectors(0, 63);
        std::vector<uint8_t> restored(63 * 512);
        const int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_EQ(static_cast<ssize_t>(restored.size()), pread(fd, restored.data(), restored.size(), 0));
        close(fd);
        EXPECT_TRUE(std::equal(source.begin(), source.begin() + 440, restored.begin())) << "boot code";
        EXPECT_TRUE(std::equal(source.begin() + 446, source.end(), restored.begin() + 446)) << "table and track";
        const bool sameSignature = std::equal(source.begin() + 440, source.begin() + 444, restored.begin() + 440);
        EXPECT_EQ(sameSignature, !diskMode);
    }
    const std::string restored = folder + "/ntfs", original = folder + "/ntfs-original";
    ASSERT_FALSE(ExtractPartition(target, disk.ntfs.start, disk.ntfs.sectors, restored).empty());
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.ntfs.start, disk.ntfs.sectors, original).empty());
    ExpectSameNtfs(restored, original);
}

TEST(RestoreImage, AWholeDiskOfAnImageDiskTheSetDoesNotHoldIsNotFound)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-nodisk");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.RVD");
    request.partitions = {disk.fat12.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    std::wstring path = Wide(folder + "/" + FilesIn(folder).front());
    const std::string target = MakeTargetDisk(folder);
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    _KS_VERSION version{};
    unsigned long count = 0;
    ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    ASSERT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));
    _KS_RESTORE_TARGET whole{};
    whole.DiskNumber = kTargetDisk;
    whole.ImageDisk = 5;
    ASSERT_EQ(0u, engine->AddRestore(&volume, &whole, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    EXPECT_EQ(KSResultKind(record.Result), 0x067u);
}
}

namespace {
TEST(RestoreImage, ACloneCopiesAPartitionAndTheBootTrackUnderTheTargetsOwnSignatureAndTable)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-clone");
    const std::string target = MakeTargetDisk(folder);
    // The target's table carries its own disk signature.
    ASSERT_EQ(0, std::system(("sfdisk --disk-id '" + target + "' 0x0badf00d >/dev/null 2>&1").c_str()));
    std::vector<uint8_t> before(512);
    int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(512, pread(fd, before.data(), 512, 0));
    close(fd);

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    _KS_RESTORE_TARGET source = TargetOf(disk.fat12), to = TargetOf(disk.fat12);
    source.DiskNumber = 0;
    ASSERT_EQ(0u, engine->AddDiskRestore(&source, &to, 1));
    _KS_RESTORE_TARGET track{}, trackTarget{};
    track.SectorCount = 63;
    trackTarget.DiskNumber = kTargetDisk;
    trackTarget.SectorCount = 63;
    ASSERT_EQ(0u, engine->AddDiskRestore(&track, &trackTarget, 0));
    // A sector copy into a smaller target is refused.
    _KS_RESTORE_TARGET small = TargetOf(disk.fat16);
    small.SectorCount = disk.fat16.sectors - 1;
    _KS_RESTORE_TARGET bigger = TargetOf(disk.fat16);
    bigger.DiskNumber = 0;
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;

    const std::string a = folder + "/a", b = folder + "/b";
    ASSERT_FALSE(ExtractPartition(target, disk.fat12.start, disk.fat12.sectors, a).empty());
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.fat12.start, disk.fat12.sectors, b).empty());
    EXPECT_EQ(0, std::system(("cmp -s '" + a + "' '" + b + "'").c_str()));
    const std::vector<uint8_t> sourceTrack = disk.ReadSectors(0, 63);
    std::vector<uint8_t> after(63 * 512);
    fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(static_cast<ssize_t>(after.size()), pread(fd, after.data(), after.size(), 0));
    close(fd);
    EXPECT_TRUE(std::equal(sourceTrack.begin(), sourceTrack.begin() + 440, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 440, before.end(), after.begin() + 440)) << "signature and table kept";
    EXPECT_TRUE(std::equal(sourceTrack.begin() + 512, sourceTrack.end(), after.begin() + 512));

    RestoreEngine second(static_cast<IKSRestore*>([] {
        void* o = nullptr;
        KSCreateObjectRt(0, KS_RESTORE_KIND, &o);
        return o;
    }()));
    ASSERT_EQ(0u, second->AddDiskRestore(&bigger, &small, 1));
    record = ExecuteAndWait(second.get());
    EXPECT_EQ(KSResultKind(record.Result), KS_KIND_BAD_ARGUMENT);
}
}

namespace {
TEST(RestoreImage, ACloneWithoutItsBootTrackItemKeepsTheTargetsTable)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-clone-table");
    const std::string target = MakeTargetDisk(folder);
    std::vector<uint8_t> before(512);
    int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(512, pread(fd, before.data(), 512, 0));
    close(fd);

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    _KS_RESTORE_TARGET source = TargetOf(disk.fat12), to = TargetOf(disk.fat12);
    source.DiskNumber = 0;
    ASSERT_EQ(0u, engine->AddDiskRestore(&source, &to, 1));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;

    std::vector<uint8_t> after(512);
    fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(512, pread(fd, after.data(), 512, 0));
    close(fd);
    EXPECT_TRUE(std::all_of(after.begin(), after.begin() + 440, [](uint8_t b) { return b == 0; })) << "boot code";
    EXPECT_TRUE(std::equal(before.begin() + 440, before.end(), after.begin() + 440)) << "signature and table";
}
}
