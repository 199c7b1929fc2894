#include "KSGuid.h"
#include "Win32Layer.h"

#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

uint64_t SplitMix64(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Only when the kernel's random source fails: time, process and a counter, mixed,
// still differ between any two sets made on this machine.
void FallbackBytes(unsigned char* bytes)
{
    static std::atomic<uint64_t> counter{0};
    struct timespec clockReading;
    ::clock_gettime(CLOCK_REALTIME, &clockReading);
    uint64_t state = static_cast<uint64_t>(clockReading.tv_sec) * 1000000000ull;
    state += static_cast<uint64_t>(clockReading.tv_nsec);
    state ^= static_cast<uint64_t>(::getpid()) << 40;
    state ^= counter.fetch_add(1) * 0xD1B54A32D192ED03ull;
    const uint64_t words[2] = {SplitMix64(state), SplitMix64(state)};
    std::memcpy(bytes, words, sizeof words);
}

void RandomBytes(unsigned char* bytes, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ks_win32::CallGetRandom(bytes + done, size - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FallbackBytes(bytes);
            return;
        }
        done += static_cast<size_t>(n);
    }
}

} // namespace

unsigned long KSCreateGuid(GUID* out)
{
    if (!out)
        return KS_RESULT(KS_WIN32_MODULE, KS_KIND_BAD_ARGUMENT);
    unsigned char bytes[16];
    RandomBytes(bytes, sizeof bytes);
    std::memcpy(out, bytes, sizeof bytes);
    out->Data3 = static_cast<WORD>((out->Data3 & 0x0FFF) | 0x4000);        // version 4: random
    out->Data4[0] = static_cast<BYTE>((out->Data4[0] & 0x3F) | 0x80);      // variant 1
    return 0;
}

BOOL IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0 ? TRUE : FALSE; }
