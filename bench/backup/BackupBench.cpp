// The backup engine against the field's peer tools on one real volume: a 3 GiB NTFS
// volume, 1.5 GiB used (binaries, text, seeded random data), made once into the
// build tree's fixture cache and read from the page cache by every run.
//
//   PeerGzip   the file-system-aware cloner's image piped through gzip -1
//   PeerPigz   the same piped through pigz -1 -p 4
//   Engine     the backup engine at level 1 and level 6, its writer compressing on
//              the backup thread alone (workers 1) or on 4 worker threads
//
// Each reports its wall time (seconds) and output size (bytes) as counters; the
// engine also reports its time and size over the gzip peer's (time_vs_gzip,
// size_vs_gzip) and its time over the pigz peer's (time_vs_pigz). The peers are
// registered first so that their figures are there when the engine's runs end:
// run the whole program, not a filter that leaves the peers out.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchFiles.h"
#include "EngineRun.h"

namespace {

// Where ntfs-bench-disk.sh puts the volume.
constexpr uint64_t kVolumeStartSector = 2048;

struct RunFigures {
    double seconds = 0;
    double bytes = 0;
};
RunFigures gzipPeer;
RunFigures pigzPeer;

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(benchmark::State& state, const RunFigures& figures)
{
    state.counters["seconds"] = figures.seconds;
    state.counters["bytes"] = figures.bytes;
}

void PeerRun(benchmark::State& state, const char* compressor)
{
    const BenchVolume files = PreparedBenchVolume();
    if (files.volume.empty()) {
        state.SkipWithError("the benchmark volume could not be made");
        return;
    }
    const std::string out = ScratchFolder() + "peer.img.gz";
    const std::string cmd = "partclone.ntfs -c -q -s '" + files.volume + "' -o - 2>/dev/null | " + compressor +
                            " > '" + out + "'";
    RunFigures figures;
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(out.c_str());
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const int rc = std::system(cmd.c_str());
        figures.seconds = SecondsSince(start);
        if (rc != 0) {
            state.SkipWithError("the peer pipeline failed (are partclone and pigz installed?)");
            return;
        }
        figures.bytes = static_cast<double>(FileBytes(out));
    }
    std::remove(out.c_str());
    Report(state, figures);
    (std::string(compressor).rfind("gzip", 0) == 0 ? gzipPeer : pigzPeer) = figures;
}

void PeerGzip(benchmark::State& state)
{
    PeerRun(state, "gzip -1");
}

void PeerPigz(benchmark::State& state)
{
    PeerRun(state, "pigz -1 -p 4");
}

void Engine(benchmark::State& state)
{
    const BenchVolume files = PreparedBenchVolume();
    if (files.disk.empty()) {
        state.SkipWithError("the benchmark volume could not be made");
        return;
    }
    // The disk map reads this once, at the engine's first use: the bench disk alone.
    setenv("RVD_DISK_IMAGES", files.disk.c_str(), 1);
    const uint32_t partition = PartitionIndexAt(kVolumeStartSector);
    if (partition == ~0u) {
        state.SkipWithError("the bench disk's partition is not listed");
        return;
    }
    const uint32_t level = static_cast<uint32_t>(state.range(0));
    // The engine hands the writer the worker count it finds here.
    setenv("RVD_BACKUP_WORKERS", std::to_string(state.range(1)).c_str(), 1);
    const std::string folder = ScratchFolder() + "engine";
    RunFigures figures;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyFolder(folder);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const unsigned long rc = RunEngineBackup(folder + "/bench.rvd", partition, level);
        figures.seconds = SecondsSince(start);
        if (rc != 0) {
            char text[64];
            std::snprintf(text, sizeof text, "the backup failed: 0x%08lX", rc);
            state.SkipWithError(text);
            return;
        }
        figures.bytes = static_cast<double>(FolderBytes(folder));
    }
    EmptyFolder(folder);
    Report(state, figures);
    if (gzipPeer.seconds > 0) {
        state.counters["time_vs_gzip"] = figures.seconds / gzipPeer.seconds;
        state.counters["size_vs_gzip"] = figures.bytes / gzipPeer.bytes;
    }
    if (pigzPeer.seconds > 0)
        state.counters["time_vs_pigz"] = figures.seconds / pigzPeer.seconds;
}

} // namespace

// One run each by default: a run reads 1.5 GiB and takes seconds to tens of seconds;
// --benchmark_repetitions gives more.
BENCHMARK(PeerGzip)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(PeerPigz)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Engine)
    ->ArgNames({"level", "workers"})
    ->Args({1, 1})
    ->Args({1, 4})
    ->Args({6, 1})
    ->Args({6, 4})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
