// libFuzzer target: the FAT reader over one volume. The input is the volume's leading
// sectors, with perhaps one stretch of zero sectors left out (see HoledVolume); every
// later sector up to the total that the boot sector states reads as zeros, and reads
// past that total fail. The volume is at most 128 MiB, as if it lay in a partition of
// that size: a larger claim only makes every run slow, since the reader then loads a
// FAT of up to a gigabyte of zeros. Besides crashes and overruns it checks what
// callers rely on:
// - after a failed InitFileSystem no other call succeeds and nothing is written;
// - the bitmap handed out covers exactly the volume's clusters, with no bit set past
//   the last one, and a walk only ever clears bits;
// - every sector handed to the write callback lies inside the volume.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "FatVolumeMutator.h"
#include "HoledVolume.h"
#include "KSFSSupport.h"
#include "KSResult.h"
#include "LittleEndian.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

constexpr unsigned long kReadFailure = 0x00010106;
constexpr uint64_t kMaxVolumeSectors = 1u << 18;

// A broken invariant names itself and stops the run, so that libFuzzer keeps the input.
#define Require(condition) RequireAt((condition), #condition, __LINE__)
void RequireAt(bool condition, const char* text, int line)
{
    if (!condition) {
        std::fprintf(stderr, "broken invariant at line %d: %s\n", line, text);
        std::abort();
    }
}

struct Volume {
    HoledVolume bytes;
    uint64_t sectors;
    unsigned long writes = 0;
};

unsigned long Read(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    const Volume& v = *static_cast<const Volume*>(context);
    if (first > v.sectors || count > v.sectors - first)
        return kReadFailure;
    v.bytes.Copy(first * 512, uint64_t(count) * 512, static_cast<uint8_t*>(buffer));
    return 0;
}

unsigned long Write(void* context, unsigned long long first, unsigned long count, void* buffer, unsigned long mode)
{
    Volume& v = *static_cast<Volume*>(context);
    Require(count > 0 && first <= v.sectors && count <= v.sectors - first);
    Require(mode == 0 || mode == 1);
    // Touch every byte handed out, so that a buffer shorter than count sectors shows.
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    volatile unsigned sum = 0;
    for (uint64_t i = 0; i < uint64_t(count) * 512; i += 64)
        sum = sum + bytes[i];
    sum = sum + bytes[uint64_t(count) * 512 - 1];
    ++v.writes;
    return 0;
}

struct Released {
    void operator()(IKSFSSupport* r) const { r->Release(); }
};

// The whole bitmap, into a buffer of exactly the size the volume record states.
std::vector<unsigned char> Bitmap(IKSFSSupport& reader, const _KS_VOLUME& record)
{
    std::vector<unsigned char> bits(record.BitmapSize, 0);
    unsigned long long first = 0;
    unsigned long count = 0xFFFFFFFFul;
    Require(reader.GetBitMap(bits.data(), &first, &count) == 0);
    Require(uint64_t(count) <= uint64_t(record.BitmapSize) * 8 && uint64_t(count) + 8 > uint64_t(record.BitmapSize) * 8);
    if (count % 8 != 0)
        Require((bits.back() >> (count % 8)) == 0);
    return bits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Volume volume{HoledVolume(const_cast<uint8_t*>(data), size), 0};
    uint8_t boot[512];
    volume.bytes.Copy(0, sizeof boot, boot);
    const uint64_t claimed = LoadLE16(boot + 19) != 0 ? LoadLE16(boot + 19) : LoadLE32(boot + 32);
    volume.sectors = std::min(claimed, kMaxVolumeSectors);

    void* object = nullptr;
    Require(KSCreateObjectFsFat(1, 4, &object) == 0 && object != nullptr);
    std::unique_ptr<IKSFSSupport, Released> reader(static_cast<IKSFSSupport*>(object));
    _KS_VOLUME record;
    std::memset(&record, 0, sizeof record);

    if (KSFailed(reader->InitFileSystem(Read, Write, &volume))) {
        unsigned char bits[8] = {};
        unsigned long long first = 0;
        unsigned long count = 64;
        Require(KSFailed(reader->GetBitMap(bits, &first, &count)));
        Require(KSFailed(reader->GetVolumeInfo(&record)));
        Require(KSFailed(reader->WalkThroughVolume(nullptr)));
        Require(KSFailed(reader->WriteSpecialInfo()));
        Require(volume.writes == 0);
        return 0;
    }
    const unsigned long kind = reader->GetFileSystem();
    Require(kind == KS_FS_FAT12 || kind == KS_FS_FAT16 || kind == KS_FS_FAT32);
    Require(reader->GetVolumeInfo(&record) == 0);
    Require(record.FileSystem == kind && record.BitmapSize > 0 && record.TotalSectors == claimed);
    const std::vector<unsigned char> before = Bitmap(*reader, record);

    // The walk enters folders when given a filters record; an odd input length walks
    // the root alone.
    _KS_FILTERS_HEAD filters{0, sizeof(_KS_FILTERS_HEAD)};
    if (KSSucceeded(reader->WalkThroughVolume(size % 2 ? nullptr : &filters))) {
        const std::vector<unsigned char> after = Bitmap(*reader, record);
        for (size_t i = 0; i < after.size(); ++i)
            Require((after[i] & ~before[i]) == 0);
        reader->WriteSpecialInfo();
    }
    reader->CheckFileSystem();
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    // One time in three a structured change of the volume, else libFuzzer's own.
    if (seed % 3 == 0 && FatVolumeMutator(data, size, seed).Mutate())
        return size;
    return LLVMFuzzerMutate(data, size, maxSize);
}
