// A same-layout clone against the field's peer, on one disk image: a 1 GiB NTFS and a
// 512 MiB FAT32 volume, each half full.
//
//   Peer     partclone.ntfs -b and partclone.fat32 -b, each volume from a partition
//            file into another of its size
//   Engine   the clone as the progress page runs it: the layout planned, the
//            partitions made and written, the copies queued and run through the
//            command channel and the restore engine onto an empty disk image
//
// The source disk is made once into the build tree's fixture cache and read whole
// before the runs; each run writes into fresh sparse files. Each reports its wall time
// (seconds); the engine also reports its time over the peer's (time_vs_peer). Run the
// whole program: the peer is registered first.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "CCloneTaskDescriptionPage.h"
#include "CloneProgressPoll.h"
#include "CloneRunPreparation.h"
#include "CloneServices.h"
#include "FixtureImage.h"
#include "ITasque.h"
#include "vessmar/IVessmarModule.h"

namespace {

constexpr uint64_t kNtfsStart = 2048, kNtfsSectors = 2097152;
constexpr uint64_t kFatStart = 2099200, kFatSectors = 1048576;

double g_peerSeconds = 0;
// The scratch folder's path for the exit handler, which runs after the statics go.
char g_scratch[64] = "";

struct BenchDisks {
    std::string folder, source, target, ntfs, fat;
};

int Quiet(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

const BenchDisks& Disks()
{
    static const BenchDisks disks = [] {
        BenchDisks d;
        d.source = MakeFixtureImage("clone/clone-bench-disk.sh", "clone-bench-disk.img");
        if (d.source.empty())
            return d;
        char pattern[] = "/tmp/clone-bench-XXXXXX";
        d.folder = mkdtemp(pattern);
        d.target = d.folder + "/target.img";
        d.ntfs = d.folder + "/ntfs.part";
        d.fat = d.folder + "/fat.part";
        Quiet("dd if='" + d.source + "' of='" + d.ntfs + "' bs=512 skip=" + std::to_string(kNtfsStart) +
              " count=" + std::to_string(kNtfsSectors) + " conv=sparse");
        Quiet("dd if='" + d.source + "' of='" + d.fat + "' bs=512 skip=" + std::to_string(kFatStart) +
              " count=" + std::to_string(kFatSectors) + " conv=sparse");
        Quiet("cat '" + d.source + "' '" + d.ntfs + "' '" + d.fat + "' > /dev/null");
        Quiet("truncate -s 0 '" + d.target + "' && truncate -s 1540M '" + d.target + "'");
        setenv("RVD_DISK_IMAGES", (d.source + ":" + d.target).c_str(), 1);
        std::strncpy(g_scratch, d.folder.c_str(), sizeof g_scratch - 1);
        std::atexit([] { Quiet(std::string("rm -rf '") + g_scratch + "'"); });
        return d;
    }();
    return disks;
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PeerPartclone(benchmark::State& state)
{
    const BenchDisks& d = Disks();
    if (d.source.empty()) {
        state.SkipWithError("no fixture disk");
        return;
    }
    for (auto _ : state) {
        const std::string ntfsOut = d.folder + "/ntfs.out", fatOut = d.folder + "/fat.out";
        // Device to device: the targets exist with the partitions' sizes.
        Quiet("rm -f '" + ntfsOut + "' '" + fatOut + "'");
        Quiet("truncate -s " + std::to_string(kNtfsSectors * 512) + " '" + ntfsOut + "'");
        Quiet("truncate -s " + std::to_string(kFatSectors * 512) + " '" + fatOut + "'");
        const auto start = std::chrono::steady_clock::now();
        const int a = Quiet("partclone.ntfs -b -q -s '" + d.ntfs + "' -O '" + ntfsOut + "'");
        const int b = Quiet("partclone.fat32 -b -q -s '" + d.fat + "' -O '" + fatOut + "'");
        const double seconds = Since(start);
        if (a != 0 || b != 0) {
            state.SkipWithError("partclone failed");
            return;
        }
        state.SetIterationTime(seconds);
        g_peerSeconds = seconds;
    }
    state.counters["seconds"] = g_peerSeconds;
}

void BM_EngineClone(benchmark::State& state)
{
    const BenchDisks& d = Disks();
    if (d.source.empty()) {
        state.SkipWithError("no fixture disk");
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        Quiet("truncate -s 0 '" + d.target + "' && truncate -s 1540M '" + d.target + "'");
        IVessmarModule* vessmar = OpenCloneVessmar();
        if (vessmar != nullptr)
            vessmar->Refresh(0); // the emptied target, as the device scan would see it
        ITasque* command = NewCloneCommand();
        if (command == nullptr) {
            state.SkipWithError("no command object");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        const CloneLayoutPlan plan = PlanCloneThroughCommand(*command, 0, 1);
        CloneRunLists lists{plan.sourceItems, plan.restoreItems, plan.addParams};
        const CloneRunOutcome outcome = PrepareAndStartClone(*command, vessmar, 0, 1, lists, CloneBackCall, nullptr);
        _KS_PROGRESS_INFO progress;
        std::memset(&progress, 0, sizeof progress);
        while (outcome.stage == CloneRunStage::Started) {
            std::memset(&progress, 0, sizeof progress);
            command->RestoreGetProgress(&progress);
            if (progress.State == RESTORE_STATE_FINISH || progress.State == RESTORE_STATE_USER_CANCEL)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        seconds = Since(start);
        command->Release();
        if (outcome.stage != CloneRunStage::Started || plan.relayout || progress.Result != 0) {
            state.SkipWithError("the clone failed");
            return;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["seconds"] = seconds;
    if (g_peerSeconds > 0)
        state.counters["time_vs_peer"] = seconds / g_peerSeconds;
}

BENCHMARK(BM_PeerPartclone)->UseManualTime()->Iterations(2)->Unit(benchmark::kSecond);
BENCHMARK(BM_EngineClone)->UseManualTime()->Iterations(2)->Unit(benchmark::kSecond);

} // namespace
