// Writer and reader throughput of the image container, in bytes per second of
// volume data (large calls of a simple pattern or random bytes, and 64 KiB calls
// over mixed data), and the cost of ending a file and beginning the next one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "IKSCofran.h"
#include "LittleEndian.h"

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

// Mixed data as a volume holds it: 64 KiB pieces of binary records (counters,
// offsets and small text, compressible but not trivially), random bytes, and runs
// of zeros, in a fixed order.
std::vector<unsigned char> MixedData(size_t bytes)
{
    std::vector<unsigned char> d(bytes);
    uint64_t x = 0x2545F4914F6CDD1Dull;
    auto next = [&x]() {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        return x;
    };
    constexpr size_t kPiece = 64 * 1024;
    for (size_t at = 0; at < bytes; at += kPiece) {
        unsigned char* p = d.data() + at;
        const size_t n = bytes - at < kPiece ? bytes - at : kPiece;
        switch ((at / kPiece) % 4) {
        case 0:
        case 2: // records of 32 bytes: id, offset, a random word, a name
            for (size_t r = 0; r + 32 <= n; r += 32) {
                const uint64_t id = (at + r) / 32;
                StoreLE64(p + r, id);
                StoreLE64(p + r + 8, id * 4096 + 512);
                StoreLE64(p + r + 16, next() & 0xFFFF);
                std::memcpy(p + r + 24, "FILE0000", 8);
                p[r + 31] = static_cast<unsigned char>('0' + id % 10);
            }
            break;
        case 1:
            for (size_t i = 0; i < n; ++i)
                p[i] = static_cast<unsigned char>(next());
            break;
        default:
            break; // zeros
        }
    }
    return d;
}

// args: zlib level, worker threads; 64 KiB WriteData calls over mixed data
void BM_WriteSmallCalls(benchmark::State& state)
{
    constexpr uint32_t kCallClusters = 16; // 64 KiB
    const std::string dir = ScratchFolder();
    const std::vector<unsigned char> data = MixedData(size_t(kVolumeClusters) * kClusterBytes);
    const unsigned long level = static_cast<unsigned long>(state.range(0));
    const unsigned long workers = static_cast<unsigned long>(state.range(1));
    int n = 0;
    for (auto _ : state) {
        const std::wstring path = Wide(dir + "m" + std::to_string(n++ % 2) + ".rvd");
        IKSCofran* c = Make();
        c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, nullptr, 0);
        c->BeginBackup(path.c_str(), workers << KS_BEGIN_WORKERS_SHIFT, nullptr, nullptr, level, 0);
        const _KS_VOLUME v = Volume();
        c->WriteVolumeInfo(&v, 256);
        for (uint32_t at = 0; at < kVolumeClusters; at += kCallClusters)
            c->WriteData(at, data.data() + size_t(at) * kClusterBytes, kCallClusters, 0);
        c->EndBackup(0);
        c->Release();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kVolumeClusters * kClusterBytes);
    RemoveFolder(dir);
}
BENCHMARK(BM_WriteSmallCalls)
    ->Args({1, 1})
    ->Args({1, 4})
    ->Args({6, 1})
    ->Args({6, 4})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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

// The first pass over a freshly opened volume: every block is checked against its
// CRC-64 once per open volume, so this is what a restore pays; later passes
// (BM_ReadData) do not check again. args: zlib level (0 = stored), random data (0/1)
void BM_ReadDataFirstPass(benchmark::State& state)
{
    ReadFixture f(static_cast<unsigned long>(state.range(0)), state.range(1) != 0);
    for (auto _ : state) {
        f.c->CloseVolume();
        _KS_VOLUME v = f.v;
        f.c->OpenVolume(&v);
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
BENCHMARK(BM_ReadDataFirstPass)->Args({0, 0})->Args({6, 0})->Args({6, 1})->Unit(benchmark::kMillisecond);

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
