// The backup engine reading lettered volumes live through the snapshot client and the
// driver's stand-in, while a test thread rewrites the volumes: the set holds the
// volumes as they were when their snapshots started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "FixtureImage.h"
#include "ICensa.h"
#include "KSPlatformControl.h"
#include "KSResult.h"
#include "KSSnapRecords.h"
#include "KSSnapshotDriver.h"

namespace {

constexpr uint32_t kSector = 512;
// Sectors the rewriting leaves alone: the boot area, and the partition's last sector,
// which lies past an NTFS volume and is read from the disk as it is.
constexpr uint64_t kKeepHead = 64;
constexpr uint64_t kKeepTail = 1;
// Rewritten in one go when the snapshot's bitmap is set: more than the 8 MiB pool.
constexpr uint64_t kBurstSectors = 20480;

struct LiveVolume {
    char letter;
    FixturePartition partition;
    std::vector<uint8_t> atStart; // the partition's bytes before the backup
};

std::vector<uint8_t> ReadFile(const std::string& path, uint64_t offset, uint64_t bytes)
{
    std::vector<uint8_t> data(bytes);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(static_cast<ssize_t>(bytes), ::pread(fd, data.data(), bytes, static_cast<off_t>(offset)));
    ::close(fd);
    return data;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(static_cast<ssize_t>(data.size()), ::write(fd, data.data(), data.size()));
    ::close(fd);
}

std::vector<std::string> SpillFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (entry.path().extension() == ".zet")
            names.push_back(entry.path().string());
    return names;
}

// Rewrites a stretch of a volume in 64 KiB writes through the live-write call.
void Rewrite(char letter, uint64_t first, uint64_t end, unsigned char value)
{
    std::vector<uint8_t> bytes(128 * kSector, value);
    for (uint64_t at = first; at < end; at += 128) {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(128, end - at));
        ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite(letter, at, count, bytes.data()));
    }
}

// The backup fixture disk's partitions, found by their first sectors in a copy of
// the disk that the test may change. The copy keeps one path for the whole program:
// the device manager remembers the disks it has seen.
struct LiveDisk {
    FixturePartition ntfs{2048, 32768}, fat32{36864, 69632}, fat16{118784, 32768};
    std::string work;
    std::string image;
    bool ready = false;
};

LiveDisk& CopyOfBackupDisk()
{
    static LiveDisk disk;
    const std::string original = MakeFixtureImage("backup/backup-disk.sh", "backup-disk.img");
    EXPECT_FALSE(original.empty());
    disk.work = std::string(RVD_FIXTURE_CACHE) + "/quelm-live-" + std::to_string(getpid());
    disk.image = disk.work + "/disk.img";
    std::system(("rm -rf '" + disk.work + "' && mkdir -p '" + disk.work + "'").c_str());
    EXPECT_EQ(0, std::system(("cp --sparse=always '" + original + "' '" + disk.image + "'").c_str()));
    setenv(CDiskMap::kImagesVariable, disk.image.c_str(), 1);
    if (!disk.ready) {
        ICensa* censa = CreateCensaObj();
        censa->Init();
        unsigned long long count = 0;
        censa->GetPartitionCount(0, &count);
        for (unsigned long long i = 0; i < count; ++i) {
            _KS_PARTITION_INFO info{};
            if (censa->GetPartitionInfo(0, i, &info, nullptr) != 0 || info.PartitionType == 0)
                continue;
            for (FixturePartition* p : {&disk.ntfs, &disk.fat32, &disk.fat16})
                if (info.StartSector == p->start)
                    p->index = static_cast<uint32_t>(i);
        }
        disk.ready = true;
    }
    return disk;
}

class LiveBackup : public testing::Test {
protected:
    void SetUp() override
    {
        const LiveDisk& disk = CopyOfBackupDisk();
        work_ = disk.work;
        temp_ = work_ + "/temp";
        std::filesystem::create_directories(temp_);
        image_ = disk.image;
        fat16_ = disk.fat16;
        const char* oldTemp = std::getenv("TMPDIR");
        oldTemp_ = oldTemp != nullptr ? oldTemp : "";
        hadTemp_ = oldTemp != nullptr;
        KSPlatformReset();
        volumes_ = {{'N', disk.ntfs, {}}, {'F', disk.fat32, {}}};
        for (LiveVolume& v : volumes_) {
            KSDriveEntry drive;
            drive.letter = v.letter;
            drive.totalBytes = v.partition.sectors * kSector;
            drive.hasVolume = true;
            drive.volume.disk = 0;
            drive.volume.firstSector = v.partition.start;
            drive.volume.sectors = v.partition.sectors;
            ASSERT_TRUE(KSPlatformAddDrive(drive));
            v.atStart = ReadFile(image_, v.partition.start * kSector, v.partition.sectors * kSector);
        }
        KSSnapshotDriverInstall();
        KSSnapshotDriverForgetUnlinked(true);
    }
    void TearDown() override
    {
        KSSnapshotDriverRemove();
        KSPlatformReset();
        if (std::getenv("KEEP_BACKUP_WORK") == nullptr)
            std::system(("rm -rf '" + work_ + "'").c_str());
        if (hadTemp_)
            setenv("TMPDIR", oldTemp_.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }

    // Runs the backup of both volumes with the temp folder given, rewriting each
    // volume from the moment its snapshot's bitmap is set until the run ends.
    BackupOutcome BackupWhileRewriting(const std::string& tempFolder, const std::string& setFolder,
                                       bool& sawSpillFiles)
    {
        setenv("TMPDIR", tempFolder.c_str(), 1);
        std::atomic<int> current{-1};
        std::atomic<bool> finished{false};
        sawSpillFiles = false;
        KSSnapshotDriverOnRequest([&](uint32_t code) {
            if (code != IOCTL_SNAP_SET_BITMAP)
                return;
            const int index = current.load() + 1;
            const LiveVolume& v = volumes_[static_cast<size_t>(index)];
            // A burst past the pool while no callback is set: the store spills.
            Rewrite(v.letter, kKeepHead, kKeepHead + kBurstSectors, 0xA5);
            // Drained into the store before the reader goes on.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (KSSnapshotDriverQueuedBlocks() != 0 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            sawSpillFiles = sawSpillFiles || !SpillFilesIn(tempFolder).empty();
            current = index;
        });
        // The rest of each volume is rewritten while the reader copies it.
        std::thread rewriter([&] {
            int done = -1;
            while (!finished.load()) {
                const int index = current.load();
                if (index == done) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    continue;
                }
                const LiveVolume& v = volumes_[static_cast<size_t>(index)];
                const uint64_t end = v.partition.sectors - kKeepTail;
                for (uint64_t at = kKeepHead + kBurstSectors; at < end && !finished.load(); at += 512)
                    Rewrite(v.letter, at, std::min<uint64_t>(at + 512, end), 0x5A);
                done = index;
            }
        });
        // Every sector stored, uncompressed, behind an unlettered FAT16 volume read as it
        // is: the set passes its smallest split size (50 MiB) during the FAT32 volume.
        BackupRequest request;
        request.imagePath = Wide(setFolder + "/live.rvd");
        request.partitions = {fat16_.index, volumes_[0].partition.index,
                              volumes_[1].partition.index};
        request.splitMiB = 50;
        request.level = 0;
        request.sectorBySector = 1;
        BackupOutcome outcome = RunBackup(request);
        if (std::getenv("QUELM_DEBUG_LINES") != nullptr)
            for (const std::string& line : KSPlatformDebugLines())
                std::fprintf(stderr, "%s\n", line.c_str());
        finished = true;
        rewriter.join();
        KSSnapshotDriverOnRequest(nullptr);
        return outcome;
    }

    std::string work_, temp_, image_, oldTemp_;
    FixturePartition fat16_{0, 0};
    bool hadTemp_ = false;
    std::vector<LiveVolume> volumes_;
};

// The set's files opened for random reads; a read goes to the first file that holds it.
class OpenedSet {
public:
    explicit OpenedSet(const std::string& folder)
    {
        for (const std::string& name : FilesIn(folder))
            files_.emplace_back(OpenSet(Wide(folder + "/" + name), L""));
    }
    size_t Files() const { return files_.size(); }
    bool Volume(size_t index, _KS_VOLUME& out)
    {
        for (auto& file : files_) {
            std::vector<_KS_VOLUME> all(4);
            if (file && file->GetVolumes(all.data(), 4) == 0) {
                out = all[index];
                return true;
            }
        }
        return false;
    }
    // The volume's system area and used clusters over zeros, as a file: from the set,
    // or from the given bytes of the partition.
    void Rebuild(const _KS_VOLUME& v, const std::vector<uint8_t>* source, const std::string& out)
    {
        std::vector<uint8_t> image(v.TotalSectors * kSector, 0);
        const uint64_t dataStart = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
        const uint32_t spc = v.SectorsPerCluster;
        std::vector<uint8_t> bitmap(v.BitmapSize, 0);
        std::vector<IKSCofran*> holders;
        for (auto& file : files_) {
            _KS_VOLUME copy = v;
            if (file && file->OpenVolume(&copy) == 0)
                holders.push_back(file.get());
        }
        ASSERT_FALSE(holders.empty());
        for (const std::string& path : sequentialPaths_) {
            std::unique_ptr<IKSCofran, CofranDeleter> sequential(OpenSet(Wide(path), L"", KS_OPEN_SEQUENTIAL));
            std::vector<uint8_t> part(v.BitmapSize);
            if (sequential && sequential->GetVolumeBitmap(&v, part.data(), v.BitmapSize) == 0)
                for (size_t i = 0; i < part.size(); ++i)
                    bitmap[i] |= part[i];
        }
        unsigned long got = 0;
        if (source != nullptr) {
            std::copy(source->begin(), source->begin() + static_cast<long>(dataStart * kSector), image.begin());
        } else if (dataStart != 0) {
            unsigned long rc = 0x108;
            for (size_t i = 0; KSResultKind(rc) == 0x108 && i < holders.size(); ++i)
                rc = holders[i]->ReadSector(0, image.data(), static_cast<unsigned long>(dataStart), &got, 0);
            ASSERT_EQ(0u, rc) << "system area";
        }
        const uint64_t clusters = (v.TotalSectors - dataStart) / spc;
        uint64_t used = 0;
        for (uint64_t c = 0; c < clusters; ++c) {
            if (!((bitmap[c / 8] >> (c % 8)) & 1))
                continue;
            ++used;
            uint8_t* at = image.data() + (dataStart + c * spc) * kSector;
            if (source != nullptr) {
                std::copy(source->begin() + static_cast<long>((dataStart + c * spc) * kSector),
                          source->begin() + static_cast<long>((dataStart + (c + 1) * spc) * kSector), at);
                continue;
            }
            unsigned long rc = 0x108;
            for (size_t i = 0; KSResultKind(rc) == 0x108 && i < holders.size(); ++i)
                rc = holders[i]->ReadData(static_cast<unsigned long>(c), at, 1, &got);
            ASSERT_EQ(0u, rc) << "cluster " << c;
        }
        EXPECT_GT(used, 0u);
        for (IKSCofran* holder : holders)
            holder->CloseVolume();
        WriteFile(out, image);
    }
    std::vector<std::string> sequentialPaths_;

private:
    std::vector<std::unique_ptr<IKSCofran, CofranDeleter>> files_;
};

TEST_F(LiveBackup, SetHoldsTheVolumesAsTheyWereAtStartWhileTheyChange)
{
    const std::string setFolder = work_ + "/set";
    std::filesystem::create_directories(setFolder);
    bool sawSpillFiles = false;
    const BackupOutcome outcome = BackupWhileRewriting(temp_, setFolder, sawSpillFiles);
    ASSERT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    EXPECT_TRUE(sawSpillFiles) << "more than the pool was preserved";
    EXPECT_TRUE(SpillFilesIn(temp_).empty()) << "no spill file outlives the backup";
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
    EXPECT_GT(KSSnapshotDriverPreservedBlocks(), 0u);

    OpenedSet set(setFolder);
    for (const std::string& name : FilesIn(setFolder))
        set.sequentialPaths_.push_back(setFolder + "/" + name);
    EXPECT_GE(set.Files(), 2u) << "the set went on in a next file during the copy";
    for (size_t i = 0; i < volumes_.size(); ++i) {
        const LiveVolume& live = volumes_[i];
        SCOPED_TRACE(live.letter);
        EXPECT_NE(live.atStart, ReadFile(image_, live.partition.start * kSector, live.partition.sectors * kSector))
            << "the volume did change during the backup";
        _KS_VOLUME v{};
        ASSERT_TRUE(set.Volume(i + 1, v));
        const std::string fromSet = work_ + "/from-set-" + live.letter;
        const std::string fromStart = work_ + "/from-start-" + live.letter;
        set.Rebuild(v, nullptr, fromSet);
        set.Rebuild(v, &live.atStart, fromStart);
        EXPECT_EQ(0, std::system(("cmp -s '" + fromSet + "' '" + fromStart + "'").c_str()))
            << "every stored cluster as it was at START";
        std::vector<uint8_t> whole = ReadFile(fromSet, 0, v.TotalSectors * kSector);
        if (live.letter == 'N') {
            // NTFS keeps a copy of its boot sector just past the volume, outside the set.
            whole.resize(live.partition.sectors * kSector, 0);
            std::copy(whole.begin(), whole.begin() + kSector, whole.begin() + static_cast<long>(v.TotalSectors * kSector));
            WriteFile(fromSet, whole);
            EXPECT_EQ(0, std::system(("ntfsfix -n '" + fromSet + "' >/dev/null 2>&1").c_str()));
        } else {
            EXPECT_EQ(0, std::system(("fsck.fat -n '" + fromSet + "' >/dev/null 2>&1").c_str()));
        }
    }
}

TEST_F(LiveBackup, FailingSaveFailsTheBackup)
{
    const std::string setFolder = work_ + "/failing";
    std::filesystem::create_directories(setFolder);
    bool sawSpillFiles = true;
    const BackupOutcome outcome = BackupWhileRewriting(work_ + "/no-such-temp", setFolder, sawSpillFiles);
    EXPECT_FALSE(sawSpillFiles);
    EXPECT_TRUE(KSFailed(outcome.last.Result)) << "a backup over lost blocks does not report success";
    EXPECT_EQ(0x10Bu, KSResultKind(outcome.last.Result)) << std::hex << outcome.last.Result;
    EXPECT_EQ(0u, KSSnapshotDriverLiveSnapshots());
}

} // namespace
