#include "LiveBackupFixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "CDiskMap.h"
#include "FixtureImage.h"
#include "ICensa.h"
#include "KSPlatformControl.h"
#include "KSResult.h"
#include "KSSnapshotDriver.h"
#include "ListedPartitions.h"

std::vector<uint8_t> ReadFileBytes(const std::string& path, uint64_t offset, uint64_t bytes)
{
    std::vector<uint8_t> data(bytes);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(static_cast<ssize_t>(bytes), ::pread(fd, data.data(), bytes, static_cast<off_t>(offset)));
    ::close(fd);
    return data;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(static_cast<ssize_t>(data.size()), ::write(fd, data.data(), data.size()));
    ::close(fd);
}

void Rewrite(char letter, uint64_t first, uint64_t end, unsigned char value)
{
    std::vector<uint8_t> bytes(128 * kLiveSector, value);
    for (uint64_t at = first; at < end; at += 128) {
        const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(128, end - at));
        ASSERT_EQ(ERROR_SUCCESS, KSSnapshotDriverLiveWrite(letter, at, count, bytes.data()));
    }
}

unsigned long WriteDifferences(char letter, const std::vector<uint8_t>& was, const std::vector<uint8_t>& now)
{
    const uint64_t piece = 128 * kLiveSector;
    for (uint64_t at = 0; at < now.size(); at += piece) {
        const uint64_t bytes = std::min<uint64_t>(piece, now.size() - at);
        if (std::equal(now.begin() + static_cast<long>(at), now.begin() + static_cast<long>(at + bytes),
                       was.begin() + static_cast<long>(at)))
            continue;
        const DWORD rc = KSSnapshotDriverLiveWrite(letter, at / kLiveSector, static_cast<uint32_t>(bytes / kLiveSector),
                                                   now.data() + at);
        if (rc != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

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
        for (FixturePartition* p : {&disk.ntfs, &disk.fat32, &disk.fat16})
            p->index = ListedPartitionAt(0, p->start);
        disk.ready = true;
    }
    return disk;
}

void LiveVolumesTest::SetUp()
{
    disk_ = &CopyOfBackupDisk();
    work_ = disk_->work;
    temp_ = work_ + "/temp";
    std::filesystem::create_directories(temp_);
    image_ = disk_->image;
    fat16_ = disk_->fat16;
    const char* oldTemp = std::getenv("TMPDIR");
    oldTemp_ = oldTemp != nullptr ? oldTemp : "";
    hadTemp_ = oldTemp != nullptr;
    KSPlatformReset();
}

void LiveVolumesTest::Letter(const std::vector<LiveVolume>& volumes)
{
    volumes_ = volumes;
    for (LiveVolume& v : volumes_) {
        KSDriveEntry drive;
        drive.letter = v.letter;
        drive.totalBytes = v.partition.sectors * kLiveSector;
        drive.hasVolume = true;
        drive.volume.disk = 0;
        drive.volume.firstSector = v.partition.start;
        drive.volume.sectors = v.partition.sectors;
        ASSERT_TRUE(KSPlatformAddDrive(drive));
        v.atStart = ReadFileBytes(image_, v.partition.start * kLiveSector, v.partition.sectors * kLiveSector);
    }
    KSSnapshotDriverInstall();
    KSSnapshotDriverForgetUnlinked(true);
}

void LiveVolumesTest::TearDown()
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

OpenedSet::OpenedSet(const std::string& folder)
{
    for (const std::string& name : FilesIn(folder)) {
        files_.emplace_back(OpenSet(Wide(folder + "/" + name), L""));
        sequentialPaths_.push_back(folder + "/" + name);
    }
}

bool OpenedSet::Volume(size_t index, _KS_VOLUME& out)
{
    for (auto& file : files_) {
        std::vector<_KS_VOLUME> all(index + 1 > 32 ? index + 1 : 32);
        if (file && file->GetVolumes(all.data(), static_cast<unsigned long>(all.size())) == 0) {
            out = all[index];
            return true;
        }
    }
    return false;
}

void OpenedSet::Rebuild(const _KS_VOLUME& v, const std::vector<uint8_t>* source, const std::string& out)
{
    std::vector<uint8_t> image(v.TotalSectors * kLiveSector, 0);
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
        std::copy(source->begin(), source->begin() + static_cast<long>(dataStart * kLiveSector), image.begin());
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
        uint8_t* at = image.data() + (dataStart + c * spc) * kLiveSector;
        if (source != nullptr) {
            std::copy(source->begin() + static_cast<long>((dataStart + c * spc) * kLiveSector),
                      source->begin() + static_cast<long>((dataStart + (c + 1) * spc) * kLiveSector), at);
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
    WriteFileBytes(out, image);
}

void OpenedSet::RestoreBlocks(const _KS_VOLUME& v, const std::string& out, uint64_t& conflicts)
{
    conflicts = 0;
    std::vector<uint8_t> image(v.TotalSectors * kLiveSector, 0);
    const uint64_t dataStart = v.ReservedSectors + uint64_t(v.NumberOfFats) * v.SectorsPerFat + v.RootDirSectors;
    const uint64_t clusterBytes = uint64_t{v.SectorsPerCluster} * kLiveSector;
    const uint64_t clusters = (v.TotalSectors - dataStart) / v.SectorsPerCluster;
    std::vector<bool> seen(clusters, false);
    bool systemArea = dataStart == 0;
    for (auto& file : files_) {
        _KS_VOLUME copy = v;
        if (systemArea || !file || file->OpenVolume(&copy) != 0)
            continue;
        unsigned long got = 0;
        systemArea = file->ReadSector(0, image.data(), static_cast<unsigned long>(dataStart), &got, 0) == 0;
        file->CloseVolume();
    }
    uint64_t blocks = 0;
    for (const std::string& path : sequentialPaths_) {
        std::unique_ptr<IKSCofran, CofranDeleter> file(OpenSet(Wide(path), L"", KS_OPEN_SEQUENTIAL));
        _KS_VOLUME copy = v;
        if (!file || file->OpenVolume(&copy) != 0)
            continue;
        std::vector<uint8_t> buffer;
        for (;;) {
            _KS_BLOCK block{};
            const unsigned long rc = file->GetNextBlockInfo(&block, 0);
            if (KSResultKind(rc) == 0x108)
                break;
            ASSERT_EQ(0u, rc) << "block list";
            const uint32_t count = KSBlockClusters(block);
            buffer.resize(count * clusterBytes);
            ASSERT_EQ(0u, file->ReadBlock(&block, buffer.data())) << "block at cluster " << block.FirstCluster;
            ASSERT_LE(uint64_t{block.FirstCluster} + count, clusters);
            for (uint32_t i = 0; i < count; ++i) {
                const uint64_t c = block.FirstCluster + i;
                uint8_t* at = image.data() + (dataStart * kLiveSector + c * clusterBytes);
                const uint8_t* from = buffer.data() + i * clusterBytes;
                if (seen[c] && !std::equal(from, from + clusterBytes, at))
                    ++conflicts;
                seen[c] = true;
                std::copy(from, from + clusterBytes, at);
            }
            ++blocks;
        }
        file->CloseVolume();
    }
    ASSERT_TRUE(systemArea) << "system area";
    EXPECT_GT(blocks, 0u);
    WriteFileBytes(out, image);
}

void PutBackNtfsBootCopy(const std::string& path, uint64_t volumeSectors, uint64_t partitionSectors)
{
    std::vector<uint8_t> whole = ReadFileBytes(path, 0, volumeSectors * kLiveSector);
    whole.resize(partitionSectors * kLiveSector, 0);
    std::copy(whole.begin(), whole.begin() + kLiveSector, whole.begin() + static_cast<long>(volumeSectors * kLiveSector));
    WriteFileBytes(path, whole);
}

namespace {
int Run(const std::string& command) { return std::system(command.c_str()); }
}

void ExpectSameFiles(const std::string& expected, const std::string& restored, bool ntfs, const std::string& work)
{
    const std::string a = work + "/files-expected", b = work + "/files-restored";
    ASSERT_EQ(0, Run("rm -rf '" + a + "' '" + b + "' && mkdir -p '" + a + "' '" + b + "'"));
    if (!ntfs) {
        for (const auto& [image, folder] : {std::make_pair(expected, a), std::make_pair(restored, b)})
            ASSERT_EQ(0, Run("MTOOLS_SKIP_CHECK=1 mcopy -s -n -i '" + image + "' '::/*' '" + folder + "/'"))
                << image;
        EXPECT_EQ(0, Run("fsck.fat -n '" + restored + "' >/dev/null 2>&1")) << "the restored volume checks clean";
    } else {
        // The ordinary files of the root, by the names the expected volume lists.
        const std::string names = work + "/names";
        ASSERT_EQ(0, Run("ntfsls '" + expected + "' | grep -v -e '^\\$' -e '^pagefile.sys$' -e '^hiberfil.sys$' "
                         "-e '^System Volume Information$' > '" + names + "'"));
        std::FILE* list = std::fopen(names.c_str(), "r");
        ASSERT_NE(list, nullptr);
        char line[256];
        while (std::fgets(line, sizeof line, list) != nullptr) {
            std::string name = line;
            while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
                name.pop_back();
            if (name.empty())
                continue;
            EXPECT_EQ(0, Run("ntfscat '" + expected + "' '" + name + "' > '" + a + "/" + name + "'")) << name;
            EXPECT_EQ(0, Run("ntfscat '" + restored + "' '" + name + "' > '" + b + "/" + name + "' 2>/dev/null"))
                << name << " is in the restored volume";
        }
        std::fclose(list);
        EXPECT_EQ(0, Run("ntfsfix -n '" + restored + "' >/dev/null 2>&1")) << "the restored volume checks clean";
    }
    EXPECT_EQ(0, Run("diff -r -q '" + a + "' '" + b + "'")) << "every file as it was at the snapshot";
    const std::string count = "find '" + a + "' -type f | grep -q .";
    EXPECT_EQ(0, Run(count)) << "files were compared";
}
