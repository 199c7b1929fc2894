#include "VolumeImage.h"

#include <cstring>
#include <fstream>

#include "KSResult.h"

bool VolumeImage::Load(const std::string& path, uint64_t startSector)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const uint64_t size = static_cast<uint64_t>(in.tellg());
    if (size <= startSector * 512)
        return false;
    volume_.assign(size - startSector * 512, 0);
    in.seekg(static_cast<std::streamoff>(startSector * 512));
    in.read(reinterpret_cast<char*>(volume_.data()), static_cast<std::streamsize>(volume_.size()));
    return static_cast<bool>(in);
}

bool VolumeImage::SaveVolume(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(volume_.data()), static_cast<std::streamsize>(volume_.size()));
    return static_cast<bool>(out);
}

unsigned long VolumeImage::Read(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    VolumeImage* image = static_cast<VolumeImage*>(context);
    if (first + count > image->VolumeSectors() || (first + count > image->failFrom && first < image->failTo))
        return KSMakeResult(1, 0xE, 0x256);
    std::memcpy(buffer, image->volume_.data() + first * 512, count * 512ul);
    return 0;
}

unsigned long VolumeImage::Write(void* context, unsigned long long first, unsigned long count, void* buffer,
                                 unsigned long mode)
{
    VolumeImage* image = static_cast<VolumeImage*>(context);
    const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
    image->writes.push_back(WriteCall{first, count, mode, std::vector<unsigned char>(bytes, bytes + count * 512ul)});
    return image->writeResult;
}

IKSFSSupport* OpenReader(VolumeImage& image, unsigned long* result)
{
    void* object = nullptr;
    if (KSCreateObjectFsNt(1, 4, &object) != 0 || object == nullptr)
        return nullptr;
    IKSFSSupport* reader = static_cast<IKSFSSupport*>(object);
    const unsigned long r = reader->InitFileSystem(VolumeImage::Read, VolumeImage::Write, &image);
    if (result)
        *result = r;
    if (r != 0) {
        reader->Release();
        return nullptr;
    }
    return reader;
}

std::vector<unsigned char> ReaderBitmap(IKSFSSupport* reader)
{
    _KS_VOLUME volume;
    if (reader->GetVolumeInfo(&volume) != 0)
        return {};
    std::vector<unsigned char> bitmap(volume.BitmapSize);
    unsigned long long first = 0;
    unsigned long bits = volume.BitmapSize * 8;
    if (reader->GetBitMap(bitmap.data(), &first, &bits) != 0)
        return {};
    return bitmap;
}
