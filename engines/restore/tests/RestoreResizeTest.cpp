// Restores onto partitions of another size: NTFS grown in place or shrunk on a copy,
// FAT resized with libparted, or with its own cluster size (split where too few would be
// left for its FAT type) where libparted refuses. Each
// restored volume passes its checker and holds the same files; a size the resizers
// refuse fails before the partition is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "FixtureImage.h"
#include "IBrasketModule.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "Mirrane.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
constexpr uint64_t kResizeStart = 2048;

// A fresh sparse disk of 400 MiB with one partition at sector 2048, named as disk 1.
std::string MakeOnePartitionDisk(const std::string& folder, uint64_t sectors, const char* type)
{
    const std::string target = folder + "/resized.img";
    EXPECT_EQ(0, std::system(("rm -f '" + target + "' && truncate -s 400M '" + target +
                              "' && printf 'label: dos\\n1 : start=2048, size=" + std::to_string(sectors) +
                              ", type=" + type + "\\n' | sfdisk --quiet '" + target + "' >/dev/null 2>&1").c_str()));
    setenv(CDiskMap::kImagesVariable, (BackupDisk::Get().Path() + ":" + target).c_str(), 1);
    return target;
}

bool PartitionIsBlank(const std::string& disk, uint64_t sectors)
{
    return CommandOutput("dd if='" + disk + "' bs=512 skip=" + std::to_string(kResizeStart) + " count=" +
                         std::to_string(sectors) + " status=none | tr -d '\\000' | wc -c") == "0\n";
}

std::vector<uint8_t> BootSectorOf(const std::string& path)
{
    std::vector<uint8_t> bytes(512);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr || std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
        bytes.clear();
    if (file != nullptr)
        std::fclose(file);
    return bytes;
}

std::wstring BackUpOne(const std::string& folder, unsigned index)
{
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {index};
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    return Wide(folder + "/" + FilesIn(folder).front());
}

// Restores the set's one volume onto the partition at kResizeStart and waits.
_KS_PROGRESS_INFO RestoreOnto(const std::wstring& set, uint64_t sectors, uint64_t backedUpFrom = 0)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = set;
    unsigned long count = 0;
    _KS_VERSION version{};
    EXPECT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    EXPECT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));
    if (backedUpFrom != 0) {
        EXPECT_EQ(volume.PartitionStart, backedUpFrom);
    }
    _KS_RESTORE_TARGET target = TargetOf({kResizeStart, sectors});
    EXPECT_EQ(0u, engine->AddRestore(&volume, &target, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    return record;
}

struct SizeCase {
    uint64_t sectors;
    unsigned long refusal; // 0: the restore succeeds; else the copier's code
};

TEST(RestoreResize, NtfsGrowsOntoLargerAndShrinksOntoSmallerPartitions)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-ntfs-resize");
    const std::wstring set = BackUpOne(folder, disk.ntfs.index);
    const std::string original = folder + "/original";
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.ntfs.start, disk.ntfs.sectors, original).empty());
    // The volume holds about 5.5 MiB of its 16 MiB.
    const SizeCase cases[] = {{98304, 0}, {32769, 0}, {24576, 0}, {16000, 0}, {4096, MIRRANE_DOES_NOT_FIT}};
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.sectors);
        const std::string target = MakeOnePartitionDisk(folder, c.sectors, "7");
        RestoreOutcome outcome;
        outcome.last = RestoreOnto(set, c.sectors);
        if (c.refusal != 0) {
            EXPECT_EQ(outcome.last.Result, 0xFF000000u | c.refusal) << std::hex << outcome.last.Result;
            EXPECT_TRUE(PartitionIsBlank(target, c.sectors));
            continue;
        }
        ASSERT_EQ(outcome.last.Result, 0u) << std::hex << outcome.last.Result;
        EXPECT_EQ(outcome.last.OverallPercent, 100u);
        const std::string restored = folder + "/restored";
        ASSERT_FALSE(ExtractPartition(target, kResizeStart, c.sectors, restored).empty());
        ExpectSameNtfs(restored, original); // with the boot sector's copy in the last sector
        // The volume fills the partition: all whole clusters before the last sector.
        const std::string info = CommandOutput("ntfsinfo -m '" + restored + "' 2>/dev/null");
        EXPECT_NE(info.find("Volume Size in Clusters: " + std::to_string((c.sectors - 1) / 8)), std::string::npos)
            << info;
    }
}

// The FAT volumes of the resize fixture, by their place in the disk enumeration's
// list (the free space before the first partition comes first).
struct ResizeFatDisk {
    std::string path;
    FixturePartition fat16{2048, 131072, 1}, fat32{133120, 614400, 2};
};

const ResizeFatDisk& FatResizeDisk()
{
    static const ResizeFatDisk disk = [] {
        ResizeFatDisk d;
        d.path = MakeFixtureImage("restore/fat-resize-disk.sh", "restore-fat-resize-disk.img");
        return d;
    }();
    return disk;
}

TEST(RestoreResize, FatVolumesAreResizedWhereTheirClustersMustChange)
{
    const ResizeFatDisk& disk = FatResizeDisk();
    ASSERT_FALSE(disk.path.empty());
    const std::string folder = MakeWorkFolder("restore-fat-resize");
    setenv(CDiskMap::kImagesVariable, disk.path.c_str(), 1);
    std::wstring sets[2];
    const char* names[] = {"/16", "/32"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(0, std::system(("mkdir -p '" + folder + names[i] + "'").c_str()));
        sets[i] = BackUpOne(folder + names[i], (i == 0 ? disk.fat16 : disk.fat32).index);
    }
    struct FatCase {
        const FixturePartition* source;
        const char* type;
        uint64_t sectors;
        unsigned long refusal;
    } cases[] = {
        {&disk.fat16, "6", 98304, 0},                    // smaller
        {&disk.fat16, "6", 262144, 0},                   // larger, 8 sectors per cluster instead of 4
        {&disk.fat16, "6", 300000, BRASKET_SIZE_REFUSED},// libparted grows FAT16 no further
        {&disk.fat16, "6", 40000, 0},                    // smaller, its own cluster size where libparted refuses
        {&disk.fat16, "6", 16065, 0},                    // too few 2 KiB clusters left for FAT16: 1 KiB ones
        {&disk.fat16, "6", 4000, BRASKET_SIZE_REFUSED},  // no cluster size leaves FAT16 enough of them
        {&disk.fat32, "c", 560000, 0},                   // smaller
        {&disk.fat32, "c", 150000, 0},                   // too few 4 KiB clusters left for FAT32: 1 KiB ones
    };
    for (const FatCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.source->start) + " onto " + std::to_string(c.sectors));
        const std::string target = MakeOnePartitionDisk(folder, c.sectors, c.type);
        setenv(CDiskMap::kImagesVariable, (disk.path + ":" + target).c_str(), 1);
        const _KS_PROGRESS_INFO record = RestoreOnto(sets[c.source == &disk.fat16 ? 0 : 1], c.sectors, c.source->start);
        if (c.refusal != 0) {
            EXPECT_EQ(record.Result, 0xFF000000u | c.refusal) << std::hex << record.Result;
            EXPECT_TRUE(PartitionIsBlank(target, c.sectors));
            continue;
        }
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
        const std::string restored = folder + "/restored", original = folder + "/original";
        ASSERT_FALSE(ExtractPartition(target, kResizeStart, c.sectors, restored).empty());
        ASSERT_FALSE(ExtractPartition(disk.path, c.source->start, c.source->sectors, original).empty());
        ExpectSameFat(restored, original, folder);
        const std::string fsck = CommandOutput("fsck.fat -n -v '" + restored + "' 2>&1");
        EXPECT_NE(fsck.find(std::to_string(c.sectors) + " sectors total"), std::string::npos) << fsck;
        // The boot sector counts the sectors before it from the partition's start.
        const std::vector<uint8_t> boot = BootSectorOf(restored);
        ASSERT_EQ(boot.size(), 512u);
        EXPECT_EQ(LoadLE32(boot.data() + 28), kResizeStart);
    }
}

// Files written after a large one that was deleted lie far into the volume, past the
// clusters a smaller partition keeps: they move to the front of the data area, with
// the volume's own clusters or with split ones where too few of those would be left.
TEST(RestoreResize, FatFilesFarIntoTheVolumeMoveToTheFrontOfASmallerPartition)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-fat-packed");
    const std::string source = folder + "/source.img";
    const FixturePartition& p = disk.fat16; // 16 MiB of 2 KiB clusters
    const std::string at = "'" + source + "@@" + std::to_string(p.start * 512) + "'";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + source + "' && head -c 12000000 /dev/zero > '" +
                              folder + "/filler' && seq 1 60000 > '" + folder + "/far' && export MTOOLS_SKIP_CHECK=1 && "
                              "mcopy -i " + at + " '" + folder + "/filler' ::/FILLER.BIN && mcopy -i " + at + " '" +
                              folder + "/far' ::/DOCS/FAR.TXT && mdel -i " + at + " ::/FILLER.BIN")
                                 .c_str()));
    setenv(CDiskMap::kImagesVariable, source.c_str(), 1);
    ASSERT_EQ(0, std::system(("mkdir -p '" + folder + "/set'").c_str()));
    const std::wstring set = BackUpOne(folder + "/set", p.index);
    const std::string original = folder + "/original";
    ASSERT_FALSE(ExtractPartition(source, p.start, p.sectors, original).empty());
    for (const uint64_t sectors : {24000ull, 16065ull}) {
        SCOPED_TRACE(sectors);
        const std::string target = MakeOnePartitionDisk(folder, sectors, "6");
        setenv(CDiskMap::kImagesVariable, (source + ":" + target).c_str(), 1);
        const _KS_PROGRESS_INFO record = RestoreOnto(set, sectors, p.start);
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
        const std::string restored = folder + "/restored";
        ASSERT_FALSE(ExtractPartition(target, kResizeStart, sectors, restored).empty());
        ExpectSameFat(restored, original, folder);
        const std::string fsck = CommandOutput("fsck.fat -n -v '" + restored + "' 2>&1");
        EXPECT_NE(fsck.find(std::to_string(sectors) + " sectors total"), std::string::npos) << fsck;
    }
}

// A volume whose file system gets no resize of its own (FAT12, or one not recognised
// at all) is copied as it stands into the start of a larger partition.
TEST(RestoreResize, Fat12AndUnrecognisedVolumesAreCopiedAsTheyStandOntoLargerPartitions)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-as-it-stands");
    // The FAT16 partition of a copy of the fixture holds bytes of no file system.
    const std::string source = folder + "/source.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + source + "' && seq 1 2000000 | head -c " +
                              std::to_string(disk.fat16.sectors * 512) + " | dd of='" + source +
                              "' bs=512 seek=" + std::to_string(disk.fat16.start) +
                              " conv=notrunc status=none").c_str()));
    setenv(CDiskMap::kImagesVariable, source.c_str(), 1);
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.partitions = {disk.fat12.index, disk.fat16.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::wstring set = Wide(folder + "/" + FilesIn(folder).front());
    std::unique_ptr<IKSCofran, CofranDeleter> listing(OpenSet(set, L""));
    ASSERT_NE(listing, nullptr);
    _KS_VOLUME volumes[2]{};
    ASSERT_EQ(0u, listing->GetVolumes(volumes, 2));
    listing.reset();
    ASSERT_EQ(volumes[0].FileSystem, KS_FS_FAT12);
    // No reader took the second volume. Its file-system number comes from the disk
    // enumeration, which in this program keeps its first listing of the fixture
    // (FAT16 there); a partition of no file system is listed as "other".
    ASSERT_NE(volumes[1].Flags & KS_VOLFLAG_NO_FS_READER, 0);
    volumes[1].FileSystem = KS_FS_OTHER;

    const struct {
        const FixturePartition* from;
        uint64_t sectors;
        const char* type;
    } cases[] = {{&disk.fat12, disk.fat12.sectors + 4096, "1"}, {&disk.fat16, disk.fat16.sectors + 8192, "da"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from->start);
        const std::string target = MakeOnePartitionDisk(folder, c.sectors, c.type);
        void* object = nullptr;
        ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
        RestoreEngine engine(static_cast<IKSRestore*>(object));
        std::wstring path = set;
        unsigned long count = 0;
        _KS_VERSION version{};
        ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
        ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
        _KS_VOLUME volume = volumes[c.from == &disk.fat12 ? 0 : 1];
        _KS_RESTORE_TARGET place = TargetOf({kResizeStart, c.sectors});
        ASSERT_EQ(0u, engine->AddRestore(&volume, &place, 0));
        const _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
        ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;

        const std::string restored = folder + "/restored", original = folder + "/original";
        ASSERT_FALSE(ExtractPartition(target, kResizeStart, c.from->sectors, restored).empty());
        ASSERT_FALSE(ExtractPartition(source, c.from->start, c.from->sectors, original).empty());
        if (c.from == &disk.fat12) {
            // Clusters the volume does not use are not copied: its files and checker tell.
            ExpectSameFat(restored, original, folder);
        } else {
            EXPECT_EQ(0, std::system(("cmp -s '" + restored + "' '" + original + "'").c_str()));
        }
    }
}

// A version stored as changes to older ones has holes where the older versions hold
// the data; the copiers read one version only, so such a restore onto another size
// is refused before the partition is written.
TEST(RestoreResize, AVersionBuiltOnOlderOnesIsRefusedOntoAnotherSize)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-resize-chained");
    const std::string source = folder + "/source.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + source + "' && mkdir -p '" + folder +
                              "/set'").c_str()));
    setenv(CDiskMap::kImagesVariable, source.c_str(), 1);
    const FixturePartition& p = disk.fat16;
    BackupRequest request;
    request.imagePath = Wide(folder + "/set/chained.rvd");
    request.partitions = {p.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::string at = "'" + source + "@@" + std::to_string(p.start * 512) + "'";
    ASSERT_EQ(0, std::system(("head -c 70000 /dev/urandom > '" + folder + "/changed' && MTOOLS_SKIP_CHECK=1 mcopy -o -i " +
                              at + " '" + folder + "/changed' ::/CHANGED.BIN").c_str()));
    request.setMode = 1;
    ASSERT_EQ(0u, RunBackup(request).last.Result);

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = Wide(folder + "/set/" + FilesIn(folder + "/set").back());
    unsigned long count = 0;
    _KS_VERSION versions[4]{};
    ASSERT_EQ(0u, engine->GetImageVersions(versions, 4, &count, &path[0]));
    ASSERT_EQ(count, 2u);
    const _KS_VERSION* chained = nullptr;
    for (unsigned long i = 0; i < count; ++i)
        if ((versions[i].Flags & 0xC000) != 0)
            chained = &versions[i];
    ASSERT_NE(chained, nullptr);
    _KS_VERSION version = *chained;
    ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    ASSERT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));

    const uint64_t smaller = p.sectors - 4096;
    const std::string target = MakeOnePartitionDisk(folder, smaller, "6");
    _KS_RESTORE_TARGET place = TargetOf({kResizeStart, smaller});
    ASSERT_EQ(0u, engine->AddRestore(&volume, &place, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    EXPECT_EQ(KSResultKind(record.Result), 0x25Bu) << std::hex << record.Result;
    EXPECT_TRUE(PartitionIsBlank(target, smaller));
}
}
