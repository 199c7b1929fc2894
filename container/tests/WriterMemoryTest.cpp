// What a backup costs in memory per compression worker: each run is made in a
// child process of its own, its peak resident size taken from the kernel
// (VmHWM), so one run's freed memory cannot hide the next run's. A worker may
// add its codec, its streams and the few blocks it has in flight, no more.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "BlobCodec.h"
#include "TestSet.h"

namespace {

// What one more worker may add: 1 MiB. The address sanitizer keeps its own
// allocator cache per thread and a red zone around every block, half a MiB more
// per worker when it runs.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPerWorkerKiB = 1536;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kPerWorkerKiB = 1536;
#else
constexpr long kPerWorkerKiB = 1024;
#endif
#else
constexpr long kPerWorkerKiB = 1024;
#endif

// A field of /proc/self/status in KiB, or -1.
long StatusKiB(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return -1;
    char line[256];
    long value = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            value = std::strtol(line + n + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

// Starts the peak over from the present resident size.
bool ResetPeak()
{
    FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f == nullptr)
        return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

// Writes 48 MiB of mixed data (text, zeros, random) in 64 KiB calls.
unsigned long BackUp(const std::wstring& path, unsigned workers, const std::vector<unsigned char>& data)
{
    CofranPtr c;
    unsigned long rc = StartSet(c.p, path, 1, 0, static_cast<unsigned long>(workers) << KS_BEGIN_WORKERS_SHIFT);
    if (rc != 0)
        return rc;
    const _KS_VOLUME v = NtfsVolume(8);
    if ((rc = c->WriteVolumeInfo(&v, 256)) != 0)
        return rc;
    const unsigned long callClusters = 16;
    const unsigned long dataClusters = static_cast<unsigned long>(data.size() / 4096);
    for (unsigned long at = 0; at < 12288; at += callClusters) {
        const unsigned char* bytes = data.data() + size_t(at % dataClusters) * 4096;
        if ((rc = c->WriteData(at, bytes, callClusters, 0)) != 0)
            return rc;
    }
    return c->EndBackup(0);
}

// The growth of the peak resident size, in KiB, while a child process backs up
// with the given worker count; -1 when the run failed.
long PeakGrowthKiB(const ScratchFolder& dir, unsigned workers, const std::vector<unsigned char>& data)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        close(fds[0]);
        long growth = -1;
        const long before = StatusKiB("VmRSS");
        if (ResetPeak() && before >= 0 &&
            BackUp(dir.WPath("m" + std::to_string(workers) + ".rvd"), workers, data) == 0)
            growth = StatusKiB("VmHWM") - before;
        const ssize_t put = write(fds[1], &growth, sizeof growth);
        _exit(put == sizeof growth ? 0 : 1);
    }
    close(fds[1]);
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) != sizeof growth)
        growth = -1;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return growth;
}

TEST(WriterMemory, EachWorkerAddsAtMostOneMiB)
{
    if (!ResetPeak())
        GTEST_SKIP() << "the kernel cannot reset the peak resident size";
    ScratchFolder dir;
    // 2 MiB each of repeating text, zeros and random bytes, used in turn.
    std::vector<unsigned char> data = PatternBytes(2u << 20, 3);
    data.resize(4u << 20, 0);
    const std::vector<unsigned char> random = RandomBytes(2u << 20, 4);
    data.insert(data.end(), random.begin(), random.end());
    const unsigned counts[] = {1, 8, 32};
    long growth[3] = {};
    for (int i = 0; i < 3; ++i) {
        growth[i] = PeakGrowthKiB(dir, counts[i], data);
        ASSERT_GE(growth[i], 0) << counts[i] << " workers";
    }
    std::printf("peak growth KiB: 1 worker %ld, 8 workers %ld, 32 workers %ld\n", growth[0], growth[1], growth[2]);
    EXPECT_LE(growth[1] - growth[0], 7 * kPerWorkerKiB) << "8 workers against 1";
    EXPECT_LE(growth[2] - growth[0], 31 * kPerWorkerKiB) << "32 workers against 1";
}

// A codec's work buffer is as large as the largest block it coded, not more.
TEST(WriterMemory, CodecWorkBufferFollowsTheBlockSize)
{
    BlobCodec codec;
    BlobCodec::Settings s;
    s.flags = 0x01;
    s.level = 1;
    const std::vector<unsigned char> small = PatternBytes(4096, 5), block = PatternBytes(64 << 10, 6);
    const unsigned char* out = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(0u, codec.Encode(s, KS_GROUP_DATA, small.data(), 4096, &out, &size));
    EXPECT_LE(codec.WorkBytes(), 4096u + 16);
    ASSERT_EQ(0u, codec.Encode(s, KS_GROUP_DATA, block.data(), 64 << 10, &out, &size));
    EXPECT_LE(codec.WorkBytes(), (64u << 10) + 16);
    ASSERT_EQ(0u, codec.Encode(s, KS_GROUP_DATA, small.data(), 4096, &out, &size));
    EXPECT_LE(codec.WorkBytes(), (64u << 10) + 16) << "a smaller block does not grow it";
}

} // namespace
