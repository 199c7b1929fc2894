// Check throughput in MB/s of volume data: a whole run (every block read back,
// inflated, deciphered where the set is encrypted, and its CRC-64 checked) over a
// set of one 64 MiB volume, stored plain or compressed, with or without a password.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "CImageCheck.h"
#include "IKSCofran.h"

namespace {

constexpr uint32_t kClusterBytes = 4096;
constexpr uint64_t kClusters = 16384; // 64 MiB
const wchar_t kPassword[] = L"bench-password";

std::string Folder()
{
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/checker-bench-XXXXXX";
        folder = std::string(mkdtemp(pattern)) + "/";
        std::atexit([] {
            const std::string cmd = "rm -rf '" + folder + "'";
            if (std::system(cmd.c_str()) != 0)
                std::fprintf(stderr, "could not remove %s\n", folder.c_str());
        });
    }
    return folder;
}

// Half of each cluster random, half a repeating pattern: data that compresses about
// as well as a typical used volume.
void FillCluster(unsigned char* cluster, std::mt19937& random)
{
    for (uint32_t i = 0; i < kClusterBytes / 2; i += 4) {
        const uint32_t v = random();
        std::memcpy(cluster + i, &v, 4);
    }
    for (uint32_t i = kClusterBytes / 2; i < kClusterBytes; ++i)
        cluster[i] = static_cast<unsigned char>(i * 7);
}

// Writes the set once per (level, encrypted) and returns its path.
std::wstring SetFor(unsigned long level, bool encrypted)
{
    static std::map<std::pair<unsigned long, bool>, std::wstring> made;
    const auto key = std::make_pair(level, encrypted);
    if (made.count(key) != 0)
        return made[key];
    const std::string name = Folder() + "bench" + std::to_string(level) + (encrypted ? "e" : "p") + ".rvd";
    const std::wstring path(name.begin(), name.end());
    void* object = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &object) != 0)
        return std::wstring();
    IKSCofran* c = static_cast<IKSCofran*>(object);
    const wchar_t* password = encrypted ? kPassword : nullptr;
    const unsigned long bytes = encrypted ? static_cast<unsigned long>(std::wcslen(kPassword) * sizeof(wchar_t)) : 0;
    unsigned long rc = c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, password, bytes);
    if (rc == 0)
        rc = c->BeginBackup(path.c_str(), encrypted ? static_cast<unsigned long>(KS_BEGIN_ENCRYPT) : 0ul, nullptr,
                            nullptr, level, 0);
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = kClusterBytes / 512;
    v.BytesPerSector = 512;
    v.Flags = KS_VOLFLAG_NO_FS_READER;
    v.FileSystem = KS_FS_OTHER;
    v.TotalSectors = kClusters * v.SectorsPerCluster;
    v.UsedSectors = v.TotalSectors;
    v.BitmapSize = static_cast<uint32_t>((kClusters + 7) / 8);
    if (rc == 0)
        rc = c->WriteVolumeInfo(&v, sizeof v);
    std::mt19937 random(17);
    std::vector<unsigned char> run(256 * kClusterBytes);
    for (uint64_t first = 0; rc == 0 && first < kClusters; first += 256) {
        for (uint32_t k = 0; k < 256; ++k)
            FillCluster(run.data() + k * kClusterBytes, random);
        rc = c->WriteData(static_cast<unsigned long>(first), run.data(), 256, 0);
    }
    if (rc == 0)
        rc = c->EndBackup(0);
    c->Release();
    if (rc != 0)
        return std::wstring();
    made[key] = path;
    return path;
}

void CheckRun(benchmark::State& state)
{
    const unsigned long level = static_cast<unsigned long>(state.range(0));
    const bool encrypted = state.range(1) != 0;
    std::wstring path = SetFor(level, encrypted);
    if (path.empty()) {
        state.SkipWithError("the set could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        CImageCheck* check = new CImageCheck();
        if (check->IsPwdProtect(&path[0]) == 1) {
            std::wstring pw = kPassword;
            check->SetPassword(&pw[0], static_cast<int>(pw.size() * sizeof(wchar_t)));
        }
        _KS_VERSION version;
        _KS_VOLUME volume;
        int count = 1;
        if (check->GetImageVersions(&version, 1, &count, &path[0]) != 0 ||
            check->GetImgVolumes(&volume, 1, &count, &version) != 0 || check->SetImgInfo(&version, &path[0]) != 0 ||
            check->AddCheck(&volume) != 0) {
            check->Release();
            state.SkipWithError("the set could not be prepared");
            return;
        }
        state.ResumeTiming();
        check->Execute();
        check->JoinWorker();
        state.PauseTiming();
        _KS_PROGRESS_INFO record;
        check->GetCheckProgress(&record);
        check->Release();
        if (record.Result != 0) {
            state.SkipWithError("the check failed");
            return;
        }
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kClusters * kClusterBytes));
}

} // namespace

BENCHMARK(CheckRun)
    ->ArgNames({"level", "encrypted"})
    ->Args({0, 0})
    ->Args({6, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
