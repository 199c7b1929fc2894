// Throughput (bytes per second) of CRC-64, MD5 and the AES modes over blob-sized
// buffers: 64 KiB, and the container's 4 MiB work buffer.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "AesCipher.h"
#include "crc64.h"
#include "md5.h"

namespace {

std::vector<unsigned char> Filled(size_t size)
{
    std::vector<unsigned char> data(size);
    uint32_t x = 2463534242u;
    for (auto& b : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<unsigned char>(x);
    }
    return data;
}

void BM_Crc64(benchmark::State& state)
{
    const auto data = Filled(static_cast<size_t>(state.range(0)));
    uint64_t crc = 0;
    for (auto _ : state) {
        crc64(data.data(), data.size(), &crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc64)->Arg(64 << 10)->Arg(4 << 20);

void BM_Md5(benchmark::State& state)
{
    const auto data = Filled(static_cast<size_t>(state.range(0)));
    md5 hash;
    for (auto _ : state) {
        hash.Init();
        hash.Update(data.data(), data.size());
        hash.Finalize();
        benchmark::DoNotOptimize(hash.Digest());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(64 << 10)->Arg(4 << 20);

// range(0): buffer size; range(1): mode; range(2): 1 to encrypt, 0 to decrypt.
void BM_Aes(benchmark::State& state)
{
    auto data = Filled(static_cast<size_t>(state.range(0)));
    const auto key = Filled(32);
    AesCipher cipher;
    cipher.makeRoundKey(key.data(), 32);
    cipher.setIV(key.data());
    cipher.setCounter(key.data());
    const unsigned long mode = static_cast<unsigned long>(state.range(1));
    const bool encrypting = state.range(2) != 0;
    for (auto _ : state) {
        const unsigned long rc = encrypting ? cipher.encrypt(data.data(), data.data(), data.size(), mode)
                                            : cipher.decrypt(data.data(), data.data(), data.size(), mode);
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Aes)
    ->ArgNames({"bytes", "mode", "encrypt"})
    ->ArgsProduct({{64 << 10, 4 << 20}, {AesCipher::ModeCbc}, {1, 0}})
    ->ArgsProduct({{4 << 20}, {AesCipher::ModeEcb, AesCipher::ModeCfb, AesCipher::ModeOfb, AesCipher::ModeCtr}, {1}});

} // namespace
