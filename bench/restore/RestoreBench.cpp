// The restore engine against the field's peer on one real volume: the backup
// benchmark's 3 GiB NTFS volume, 1.5 GiB used, made once into the build tree's
// fixture cache.
//
//   Peer     gzip -dc of the cloner's image, piped into the cloner's restore
//   Engine   the restore engine from a level-1 set of the same volume
//   Checker  the image checker over that same set: every block read back and
//            CRC-checked, the volume's bitmap compared with the file system's;
//            sequential:1 is the checker with its blocks checked one after the
//            other on its own thread, 0 with its block workers. Each reports its
//            time over the engine's restore (time_vs_restore).
//
// Both inputs are made once before the first timed run; each run restores into a
// fresh sparse file. Each reports its wall time (seconds); the engine also reports
// its time over the peer's (time_vs_peer). Run the whole program: the peer is
// registered first so that its figure is there when the engine's run ends.
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchFiles.h"
#include "CheckRun.h"
#include "EngineRun.h"
#include "RestoreRun.h"

namespace {
constexpr uint64_t kRestoreVolumeStart = 2048;

double g_peerSeconds = 0;
double g_restoreSeconds = 0;

double RestoreSecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

uint64_t VolumeSectors(const std::string& volume)
{
    struct stat st{};
    return stat(volume.c_str(), &st) == 0 ? uint64_t(st.st_size) / 512 : 0;
}

// The peer's image and the engine's set, made once.
struct RestoreInputs {
    std::string peerImage, set;
};

const RestoreInputs& Inputs()
{
    static const RestoreInputs inputs = [] {
        RestoreInputs in;
        const BenchVolume files = PreparedBenchVolume();
        if (files.volume.empty())
            return in;
        const std::string peer = ScratchFolder() + "peer.img.gz";
        if (std::system(("partclone.ntfs -c -q -s '" + files.volume + "' -o - 2>/dev/null | gzip -1 > '" + peer + "'")
                            .c_str()) == 0)
            in.peerImage = peer;
        setenv("RVD_DISK_IMAGES", files.disk.c_str(), 1);
        const uint32_t partition = PartitionIndexAt(kRestoreVolumeStart);
        const std::string folder = ScratchFolder() + "set";
        EmptyFolder(folder);
        if (partition != ~0u && RunEngineBackup(folder + "/bench.rvd", partition, 1) == 0)
            in.set = folder + "/bench.rvd";
        return in;
    }();
    return inputs;
}

void Peer(benchmark::State& state)
{
    const RestoreInputs& in = Inputs();
    if (in.peerImage.empty()) {
        state.SkipWithError("the peer's image could not be made (is partclone installed?)");
        return;
    }
    const std::string out = ScratchFolder() + "peer-restored.img";
    const uint64_t sectors = VolumeSectors(PreparedBenchVolume().volume);
    for (auto _ : state) {
        state.PauseTiming();
        std::system(("rm -f '" + out + "' && truncate -s " + std::to_string(sectors * 512) + " '" + out + "'").c_str());
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const int rc = std::system(("gzip -dc '" + in.peerImage + "' | partclone.ntfs -r -q -s - -O '" + out +
                                    "' >/dev/null 2>&1").c_str());
        g_peerSeconds = RestoreSecondsSince(start);
        if (rc != 0) {
            state.SkipWithError("the peer's restore failed");
            return;
        }
    }
    std::remove(out.c_str());
    state.counters["seconds"] = g_peerSeconds;
}

void Engine(benchmark::State& state)
{
    const RestoreInputs& in = Inputs();
    if (in.set.empty()) {
        state.SkipWithError("the engine's set could not be made");
        return;
    }
    const BenchVolume files = PreparedBenchVolume();
    const std::string target = ScratchFolder() + "engine-target.img";
    const uint64_t sectors = VolumeSectors(files.volume);
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::system(("rm -f '" + target + "' && truncate -s " + std::to_string(FileBytes(files.disk)) + " '" + target +
                     "' && sfdisk -d '" + files.disk + "' | sfdisk -q --no-reread --no-tell-kernel '" + target +
                     "' >/dev/null 2>&1").c_str());
        setenv("RVD_DISK_IMAGES", (files.disk + ":" + target).c_str(), 1);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const unsigned long rc = RunEngineRestore(in.set, kRestoreVolumeStart, sectors);
        seconds = RestoreSecondsSince(start);
        if (rc != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "the restore failed: 0x%08lX", rc);
            state.SkipWithError(text);
            return;
        }
    }
    std::remove(target.c_str());
    g_restoreSeconds = seconds;
    state.counters["seconds"] = seconds;
    if (g_peerSeconds > 0)
        state.counters["time_vs_peer"] = seconds / g_peerSeconds;
}
void Checker(benchmark::State& state)
{
    const RestoreInputs& in = Inputs();
    if (in.set.empty()) {
        state.SkipWithError("the engine's set could not be made");
        return;
    }
    const bool sequential = state.range(0) != 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const unsigned long rc = RunCheck(in.set, sequential);
        seconds = RestoreSecondsSince(start);
        if (rc != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "the check failed: 0x%08lX", rc);
            state.SkipWithError(text);
            return;
        }
    }
    state.counters["seconds"] = seconds;
    if (g_restoreSeconds > 0)
        state.counters["time_vs_restore"] = seconds / g_restoreSeconds;
}
} // namespace

BENCHMARK(Peer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Engine)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Checker)->ArgName("sequential")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
