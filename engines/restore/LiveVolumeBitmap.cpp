#include "LiveVolumeBitmap.h"

#include "KSFSSupport.h"
#include "KSResult.h"

namespace {
unsigned long ReadThroughLiveDevice(void* context, unsigned long long firstSector, unsigned long count, void* buffer)
{
    IDevice* device = static_cast<IDevice*>(context);
    return device->ReadSector(static_cast<unsigned char*>(buffer), static_cast<long long>(firstSector), count) != 0
               ? 0
               : KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
}

// The reader only looks at the volume; nothing it hands over is written anywhere.
unsigned long IgnoreReaderMetadata(void*, unsigned long long, unsigned long, void*, unsigned long) { return 0; }

struct LiveReaderRelease {
    IKSFSSupport* reader;
    ~LiveReaderRelease()
    {
        if (reader != nullptr)
            reader->Release();
    }
};
}

unsigned long ReadLiveVolumeBitmap(IDevice& device, const _KS_VOLUME& volume, std::vector<uint8_t>& bitmap)
{
    const bool ntfs = volume.FileSystem == KS_FS_NTFS;
    if (!ntfs && volume.FileSystem != KS_FS_FAT16 && volume.FileSystem != KS_FS_FAT32)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    void* object = nullptr;
    unsigned long result = (ntfs ? KSCreateObjectFsNt : KSCreateObjectFsFat)(1, 4, &object);
    if (KSFailed(result) || object == nullptr)
        return KSFailed(result) ? result : KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    LiveReaderRelease reader{static_cast<IKSFSSupport*>(object)};
    if (KSFailed(result = reader.reader->InitFileSystem(ReadThroughLiveDevice, IgnoreReaderMetadata, &device)))
        return result;
    if (reader.reader->GetFileSystem() != volume.FileSystem)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_WRONG_OBJECT);
    bitmap.assign(volume.BitmapSize, 0);
    unsigned long long firstBit = 0;
    unsigned long bits = static_cast<unsigned long>(bitmap.size() * 8);
    if (KSFailed(result = reader.reader->GetBitMap(bitmap.data(), &firstBit, &bits)))
        return result;
    return 0;
}
