// Whole runs of the engine over the doubles: a live volume whose snapshot client
// hands over preserved blocks while the set is split into new files, and an engine
// released while it runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <thread>
#include <unistd.h>

#include "FixtureImage.h"
#include "IBackup.h"
#include "IKSCofran.h"
#include "KSResult.h"
#include "VolumeDoubles.h"

namespace {
constexpr uint32_t kClusterSectors = 64;
constexpr uint64_t kVolumeSectors = 130ull * 2048; // 130 MiB: three files of at most 50 MiB

std::string Folder(const std::string& name)
{
    const std::string folder = std::string(RVD_FIXTURE_CACHE) + "/backup-engine-" + name + "-" + std::to_string(getpid());
    std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
    return folder;
}

std::vector<std::string> Files(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.')
                names.push_back(folder + "/" + e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A lettered FAT12 volume (copied whole, no file-system reader) with a snapshot.
void LiveVolume()
{
    ResetWorld();
    World().partition.DriveLetter = 'E';
    World().partition.FileSystemType = 0;
    World().partition.SectorCount = kVolumeSectors;
    World().partition.SectorsPerCluster = kClusterSectors;
    World().snapshotOpens = true;
}

IBackup* StartRun(const std::string& folder, uint32_t splitMiB)
{
    IBackup* engine = new IBackup(DoubleServices());
    _KS_BACKUP_OPTION o{};
    o.Size = KS_BACKUP_OPTION_SIZE;
    o.StorageType = KS_STORAGE_FILE;
    o.SplitMiB = splitMiB;
    KSFieldFromWide(std::wstring(folder.begin(), folder.end()) + L"/live.rvd", o.ImagePath, KS_BACKUP_PATH_CHARS);
    EXPECT_EQ(0u, engine->SetBackupOption(&o));
    std::vector<uint8_t> source(KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE);
    KSBackupSourceToBytes({static_cast<uint32_t>(source.size()), 0, 0, 0, 1}, source.data());
    EXPECT_EQ(0u, engine->SetBackupSource(reinterpret_cast<const _KS_BACKUP_SOURCE*>(source.data())));
    EXPECT_EQ(0u, engine->Execute());
    return engine;
}

_KS_PROGRESS_INFO WaitForEnd(IBackup* engine)
{
    _KS_PROGRESS_INFO record{};
    for (int i = 0; i < 60000; ++i) {
        engine->GetBackupProgress(&record, sizeof(record));
        // No poller may see the end state before the run's result.
        if (record.State == KS_BACKUP_STATE_FINISHED)
            return record;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "the run did not end";
    return record;
}

bool Preserved(uint64_t sector)
{
    for (const PreservedBlock& b : World().preserved)
        if (sector >= b.first && sector < b.first + b.count)
            return true;
    return false;
}
}

TEST(EngineSnapshot, TheSetHoldsSnapshotTimeDataThroughFileSwitches)
{
    LiveVolume();
    // Blocks preserved when the bitmap step attaches, and others that arrive from the
    // driver's thread while the worker copies around each 50 MiB boundary.
    World().preserved = {{0, 128, true}, {64 * 1000, 64, true}};
    for (uint64_t mib : {49, 50, 51, 99, 100, 101})
        World().preserved.push_back({mib * 2048 + 640, 128, false, false, mib * 2048});
    const std::string folder = Folder("live");
    std::unique_ptr<IBackup, void (*)(IBackup*)> engine(StartRun(folder, 50), [](IBackup* b) { b->Release(); });
    const _KS_PROGRESS_INFO end = WaitForEnd(engine.get());
    EXPECT_EQ(0u, end.Result);
    const std::vector<std::string> files = Files(folder);
    ASSERT_EQ(3u, files.size());

    // Read every cluster back from whichever file holds it.
    std::vector<std::unique_ptr<IKSCofran, void (*)(IKSCofran*)>> sets;
    for (const std::string& file : files) {
        void* object = nullptr;
        ASSERT_EQ(0u, KSCreateObjectImg(1, 1, &object));
        sets.emplace_back(static_cast<IKSCofran*>(object), [](IKSCofran* c) { c->Release(); });
        const std::wstring path(file.begin(), file.end());
        ASSERT_EQ(0u, sets.back()->OpenCofran(path.c_str(), KS_OPEN_RANDOM, nullptr, 0));
    }
    _KS_VOLUME volume{};
    ASSERT_EQ(0u, sets.back()->GetVolumes(&volume, 1));
    ASSERT_EQ(kClusterSectors, volume.SectorsPerCluster);
    std::vector<IKSCofran*> holders;
    for (auto& set : sets) {
        _KS_VOLUME copy = volume;
        if (set->OpenVolume(&copy) == 0)
            holders.push_back(set.get());
    }
    ASSERT_FALSE(holders.empty());
    std::vector<uint8_t> cluster(kClusterSectors * 512);
    uint64_t checked = 0;
    for (uint64_t c = 0; c < kVolumeSectors / kClusterSectors; ++c) {
        unsigned long rc = 0x108, got = 0;
        for (size_t i = 0; KSResultKind(rc) == 0x108 && i < holders.size(); ++i)
            rc = holders[i]->ReadData(static_cast<unsigned long>(c), cluster.data(), 1, &got);
        if (KSResultKind(rc) == 0x108)
            continue; // its index chunk lies in a file that does not list the volume
        ASSERT_EQ(0u, rc) << c;
        for (uint32_t s = 0; s < kClusterSectors; ++s) {
            const uint64_t sector = c * kClusterSectors + s;
            const uint8_t expected = Preserved(sector) ? World().preservedByte
                                                       : World().sectorByte(World().partition.StartSector + sector);
            ASSERT_EQ(expected, cluster[s * 512]) << "sector " << sector;
            ASSERT_EQ(expected, cluster[s * 512 + 511]) << "sector " << sector;
        }
        ++checked;
    }
    EXPECT_GT(checked, kVolumeSectors / kClusterSectors / 2);
    EXPECT_EQ(World().preserved.size(), World().preservedResults.size());
    sets.clear();
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(EngineSnapshot, ReleaseDuringARunStopsTheWorkerAndLeavesNoFile)
{
    LiveVolume();
    const std::string folder = Folder("release");
    IBackup* engine = StartRun(folder, 0);
    std::vector<uint8_t> source(KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE);
    KSBackupSourceToBytes({static_cast<uint32_t>(source.size()), 0, 0, 0, 1}, source.data());
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT,
              KSResultKind(engine->SetBackupSource(reinterpret_cast<const _KS_BACKUP_SOURCE*>(source.data()))))
        << "a running worker keeps its source and readers";
    EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(engine->Execute()));
    engine->Release(); // joins the worker before anything of the engine goes
    EXPECT_TRUE(Files(folder).empty());
    std::system(("rm -rf '" + folder + "'").c_str());
}
