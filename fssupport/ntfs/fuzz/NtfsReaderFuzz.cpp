// libFuzzer target: the input is one NTFS volume; the NTFS reader opens it through
// sector callbacks, as the backup engine and the checker do, and goes through every
// operation in the engine's order. Result codes are fine; a crash, an overrun, a
// hang, an allocation beyond the limit or a broken invariant is a fault:
// - after a failed InitFileSystem no operation succeeds and nothing is written;
// - every sector handed to the write callback lies inside the volume, and the
//   volume inside the device;
// - the handed-out bitmap is exactly as large as the volume record says and never
//   marks a cluster past the volume.
// Mutation is structure-aware (NtfsVolumeMutator): fields of the boot sector and of
// the $MFT records, run lists and sizes, edited in their unprotected form.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CFSSupportNtfs.h"
#include "KSResult.h"
#include "NtfsVolumeMutator.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

constexpr unsigned long kReadFailure = KSMakeResult(1, 0xE, 0x256);

struct Device {
    const uint8_t* data;
    uint64_t sectors;
    // The volume's sectors once the reader has said how many; every write must
    // stay inside.
    uint64_t volumeSectors = 0;
    bool initialised = false;
    unsigned long writes = 0;
};

[[noreturn]] void Broken(const char* what, unsigned long long a = 0, unsigned long long b = 0)
{
    std::fprintf(stderr, "INVARIANT BROKEN: %s (%llu, %llu)\n", what, a, b);
    std::abort();
}

unsigned long Read(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    const Device* device = static_cast<const Device*>(context);
    if (count == 0 || first > device->sectors || count > device->sectors - first)
        return kReadFailure;
    std::memcpy(buffer, device->data + first * 512, count * 512ul);
    return 0;
}

unsigned long Write(void* context, unsigned long long first, unsigned long count, void*, unsigned long mode)
{
    Device* device = static_cast<Device*>(context);
    ++device->writes;
    if (!device->initialised)
        Broken("a sector written by a reader that is not initialised", first, count);
    if (count == 0 || first > device->volumeSectors || count > device->volumeSectors - first)
        Broken("a sector written outside the volume", first, count);
    if (mode != 0)
        Broken("a write with a mode other than 0", mode);
    return 0;
}

// The whole bitmap, with guard bytes after it: the copy must stop at the size the
// volume record gives, and hold no bit past the last cluster.
void CheckBitmap(IKSFSSupport* reader, const _KS_VOLUME& volume)
{
    const uint64_t clusters = volume.TotalSectors / volume.SectorsPerCluster;
    const size_t guard = 64;
    std::vector<unsigned char> bitmap(volume.BitmapSize + guard, 0xA5);
    unsigned long long first = 0;
    unsigned long bits = (volume.BitmapSize + guard) * 8ul;
    if (KSFailed(reader->GetBitMap(bitmap.data(), &first, &bits)))
        Broken("GetBitMap of the whole bitmap failed");
    for (size_t i = volume.BitmapSize; i < bitmap.size(); ++i) {
        if (bitmap[i] != 0xA5)
            Broken("GetBitMap copied past the bitmap size of the volume record", i, volume.BitmapSize);
    }
    for (uint64_t bit = clusters; bit < uint64_t(volume.BitmapSize) * 8; ++bit) {
        if ((bitmap[bit / 8] >> (bit % 8)) & 1)
            Broken("the bitmap marks a cluster past the volume", bit, clusters);
    }
}

void CheckUninitialised(IKSFSSupport* reader, Device& device)
{
    if (reader->GetFileSystem() != 255)
        Broken("GetFileSystem is not 255 after a failed initialisation");
    unsigned char sector[512];
    unsigned char untouched[16];
    std::memset(untouched, 0xA5, sizeof untouched);
    unsigned long long first = 0;
    unsigned long bits = 64;
    _KS_VOLUME volume;
    if (!KSFailed(reader->ReadSectors(0, 1, sector)))
        Broken("ReadSectors succeeded after a failed initialisation");
    if (!KSFailed(reader->GetBitMap(untouched, &first, &bits)))
        Broken("GetBitMap succeeded after a failed initialisation");
    for (unsigned char b : untouched) {
        if (b != 0xA5)
            Broken("GetBitMap copied after a failed initialisation");
    }
    if (!KSFailed(reader->GetVolumeInfo(&volume)))
        Broken("GetVolumeInfo succeeded after a failed initialisation");
    if (!KSFailed(reader->WalkThroughVolume(nullptr)))
        Broken("WalkThroughVolume succeeded after a failed initialisation");
    if (!KSFailed(reader->WriteSpecialInfo()))
        Broken("WriteSpecialInfo succeeded after a failed initialisation");
    if (!KSFailed(reader->CheckFileSystem()))
        Broken("CheckFileSystem succeeded after a failed initialisation");
    if (device.writes != 0)
        Broken("the write callback was called without an initialised reader", device.writes);
}

void CheckInitialised(IKSFSSupport* reader, Device& device)
{
    if (reader->GetFileSystem() != 4)
        Broken("GetFileSystem is not 4 after a successful initialisation");
    _KS_VOLUME volume;
    if (reader->GetVolumeInfo(&volume) != 0)
        Broken("GetVolumeInfo failed on an initialised reader");
    if (volume.SectorsPerCluster == 0 || volume.TotalSectors == 0)
        Broken("a volume record without geometry");
    if (volume.TotalSectors > device.sectors)
        Broken("a volume larger than its device", volume.TotalSectors, device.sectors);
    const uint64_t clusters = volume.TotalSectors / volume.SectorsPerCluster;
    if (volume.BitmapSize != (clusters + 7) / 8)
        Broken("the bitmap size disagrees with the clusters", volume.BitmapSize, clusters);
    device.volumeSectors = volume.TotalSectors;
    CheckBitmap(reader, volume);
    reader->WalkThroughVolume(nullptr);
    CheckBitmap(reader, volume);
    reader->WriteSpecialInfo();
    CheckBitmap(reader, volume);
    reader->CheckFileSystem();
    CheckBitmap(reader, volume);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Device device{data, size / 512};
    CFSSupportNtfs* object = new CFSSupportNtfs();
    IKSFSSupport* reader = object;
    if (reader->GetFileSystem() != 255)
        Broken("a fresh reader is not 255");
    if (reader->InitFileSystem(Read, Write, &device) == 0) {
        device.initialised = true;
        CheckInitialised(reader, device);
    } else {
        CheckUninitialised(reader, device);
    }
    reader->Release();
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    NtfsVolumeMutator mutator(data, size, seed, LLVMFuzzerMutate);
    // One input in eight gets plain byte mutation anywhere, the rest a change of
    // the volume's structures.
    if (seed % 8 != 0 && mutator.Mutate())
        return size;
    return LLVMFuzzerMutate(data, size, maxSize);
}
