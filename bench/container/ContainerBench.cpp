// Writer and reader throughput of the image container, in bytes per second of
// volume data, and the cost of ending a file and beginning the next one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "IKSCofran.h"

namespace {

constexpr uint32_t kClusterBytes = 4096;
constexpr uint32_t kRunClusters = 256;          // 1 MiB per WriteData
constexpr uint32_t kVolumeClusters = 16 * 1024; // 64 MiB of data per set

std::string ScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base ? base : "/tmp") + "/cofran-bench-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    return mkdtemp(buf.data()) ? std::string(buf.data()) + "/" : std::string("/tmp/");
}

void RemoveFolder(const std::string& dir)
{
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                unlink((dir + e->d_name).c_str());
        closedir(d);
    }
    rmdir(dir.c_str());
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Compressible: sector-sized runs of one byte value; random: xorshift output.
std::vector<unsigned char> Data(bool random)
{
    std::vector<unsigned char> d(size_t(kRunClusters) * kClusterBytes);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < d.size(); ++i) {
        if (random) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            d[i] = static_cast<unsigned char>(x);
        } else {
            d[i] = static_cast<unsigned char>((i / 512) & 7);
        }
    }
    return d;
}

IKSCofran* Make()
{
    void* out = nullptr;
    KSCreateObjectImg(0x10000, 1, &out);
    return static_cast<IKSCofran*>(out);
}

_KS_VOLUME Volume()
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = 8;
    v.BytesPerSector = 512;
    v.FileSystem = KS_FS_NTFS;
    v.TotalSectors = uint64_t(kVolumeClusters) * 8;
    v.BitmapSize = kVolumeClusters / 8;
    return v;
}

void WriteSet(const std::wstring& path, unsigned long level, const std::vector<unsigned char>& data)
{
    IKSCofran* c = Make();
    c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, nullptr, 0);
    c->BeginBackup(path.c_str(), 0, nullptr, nullptr, level, 0);
    const _KS_VOLUME v = Volume();
    c->WriteVolumeInfo(&v, 256);
    for (uint32_t at = 0; at < kVolumeClusters; at += kRunClusters)
        c->WriteData(at, data.data(), kRunClusters, 0);
    c->EndBackup(0);
    c->Release();
}

// args: zlib level, random data (0/1)
void BM_Write(benchmark::State& state)
{
    const std::string dir = ScratchFolder();
    const std::vector<unsigned char> data = Data(state.range(1) != 0);
    int n = 0;
    for (auto _ : state) {
        const std::wstring path = Wide(dir + "w" + std::to_string(n++ % 2) + ".rvd");
        WriteSet(path, static_cast<unsigned long>(state.range(0)), data);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kVolumeClusters * kClusterBytes);
    RemoveFolder(dir);
}
BENCHMARK(BM_Write)->Args({1, 0})->Args({1, 1})->Args({6, 0})->Args({6, 1})->Unit(benchmark::kMillisecond);

// Ending a file and beginning the next one of the same run, with 1 MiB between.
void BM_FileSwitch(benchmark::State& state)
{
    const std::string dir = ScratchFolder();
    const std::vector<unsigned char> data = Data(false);
    IKSCofran* c = Make();
    const std::wstring first = Wide(dir + "s.rvd");
    c->OpenCofran(first.c_str(), KS_OPEN_BACKUP, nullptr, 0);
    c->BeginBackup(first.c_str(), 0, nullptr, nullptr, 1, 0);
    const _KS_VOLUME v = Volume();
    c->WriteVolumeInfo(&v, 256);
    uint32_t cluster = 0;
    for (auto _ : state) {
        c->WriteData(cluster, data.data(), kRunClusters, 0);
        cluster += kRunClusters;
        c->EndBackup(1);
        wchar_t next[300];
        c->GetAvailableCofranName(next, 300);
        c->BeginBackup(next, 0, nullptr, nullptr, 1, 0);
    }
    c->EndBackup(0);
    c->Release();
    RemoveFolder(dir);
}
BENCHMARK(BM_FileSwitch)->Unit(benchmark::kMillisecond);

// A set written once per benchmark, read in full per iteration.
struct ReadFixture {
    std::string dir = ScratchFolder();
    std::wstring path = Wide(dir + "r.rvd");
    IKSCofran* c = nullptr;
    _KS_VOLUME v;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(size_t(kRunClusters) * kClusterBytes);

    ReadFixture(unsigned long level, bool random)
    {
        WriteSet(path, level, Data(random));
        c = Make();
        c->OpenCofran(path.c_str(), KS_OPEN_RANDOM, nullptr, 0);
        c->GetVolumes(&v, 1);
        c->OpenVolume(&v);
        // The writer bypasses the page cache; one untimed pass brings the file in,
        // so that every variant measures the container and not the disk.
        for (uint32_t at = 0; at < kVolumeClusters;) {
            unsigned long got = 0;
            if (c->ReadData(at, buffer.data(), kRunClusters, &got) != 0 || got == 0)
                break;
            at += got;
        }
    }
    ~ReadFixture()
    {
        c->Release();
        RemoveFolder(dir);
    }
};

// args: zlib level (0 = stored), random data (0/1)
void BM_ReadData(benchmark::State& state)
{
    ReadFixture f(static_cast<unsigned long>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        for (uint32_t at = 0; at < kVolumeClusters;) {
            unsigned long got = 0;
            if (f.c->ReadData(at, f.buffer.data(), kRunClusters, &got) != 0 || got == 0) {
                state.SkipWithError("ReadData failed");
                return;
            }
            at += got;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kVolumeClusters * kClusterBytes);
}
BENCHMARK(BM_ReadData)->Args({0, 0})->Args({6, 0})->Args({6, 1})->Unit(benchmark::kMillisecond);

// args: zlib level, sectors per call
void BM_ReadSector(benchmark::State& state)
{
    ReadFixture f(static_cast<unsigned long>(state.range(0)), false);
    const unsigned long perCall = static_cast<unsigned long>(state.range(1));
    const uint64_t sectors = uint64_t(kVolumeClusters) * 8;
    for (auto _ : state) {
        for (uint64_t at = 0; at < sectors; at += perCall) {
            unsigned long got = 0;
            if (f.c->ReadSector(static_cast<long long>(at), f.buffer.data(), perCall, &got, 0) != 0) {
                state.SkipWithError("ReadSector failed");
                return;
            }
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(sectors) * 512);
}
BENCHMARK(BM_ReadSector)->Args({0, 128})->Args({6, 128})->Args({6, 8})->Unit(benchmark::kMillisecond);

} // namespace
