// Copies a volume-image file into an image set and back, through the image container
// alone; built for Linux and for Windows, so that a set written by one build is read
// by the other.
//
//   VolumeRoundTrip write fat|ntfs <volume image> <set.rvd>
//   VolumeRoundTrip read <set.rvd> <volume image out>
//
// The whole volume is stored as clusters of 4 KiB (the file's size must be a
// multiple of that), so the copy read back is the volume byte for byte.
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "IKSCofran.h"
#include "KSVolume.h"

namespace {

constexpr unsigned long kSectorsPerCluster = 8;
constexpr unsigned long kClusterBytes = kSectorsPerCluster * 512;
constexpr unsigned long kClustersPerStep = 64;

std::wstring Wide(const char* text)
{
    const size_t length = std::mbstowcs(nullptr, text, 0);
    if (length == static_cast<size_t>(-1))
        return std::wstring();
    std::wstring wide(length, L'\0');
    std::mbstowcs(&wide[0], text, length + 1);
    return wide;
}

int Fail(const char* step, unsigned long rc)
{
    std::fprintf(stderr, "VolumeRoundTrip: %s failed (0x%08lX)\n", step, rc);
    return 1;
}

struct Container {
    IKSCofran* object = nullptr;
    Container()
    {
        void* out = nullptr;
        if (KSCreateObjectImg(0x10000, 1, &out) == 0)
            object = static_cast<IKSCofran*>(out);
    }
    ~Container()
    {
        if (object != nullptr)
            object->Release();
    }
};

int Write(const char* kind, const char* volumePath, const char* setPath)
{
    FILE* in = std::fopen(volumePath, "rb");
    if (in == nullptr)
        return Fail("opening the volume image", 0);
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    if (size <= 0 || size % kClusterBytes != 0) {
        std::fclose(in);
        return Fail("the volume image's size (not a whole number of 4 KiB clusters)", 0);
    }
    const unsigned long clusters = static_cast<unsigned long>(size / kClusterBytes);

    _KS_VOLUME volume;
    std::memset(&volume, 0, sizeof volume);
    volume.Magic = KS_VOLUME_MAGIC;
    volume.Size = KS_VOLUME_SIZE;
    volume.SectorsPerCluster = kSectorsPerCluster;
    volume.FileSystem = std::strcmp(kind, "fat") == 0 ? KS_FS_FAT16 : KS_FS_NTFS;
    volume.BytesPerSector = 512;
    volume.TotalSectors = static_cast<uint64_t>(clusters) * kSectorsPerCluster;
    volume.UsedSectors = volume.TotalSectors;
    volume.BitmapSize = (clusters + 7) / 8;

    Container c;
    if (c.object == nullptr) {
        std::fclose(in);
        return Fail("making the container", 0);
    }
    const std::wstring set = Wide(setPath);
    unsigned long rc = c.object->OpenCofran(set.c_str(), KS_OPEN_BACKUP, nullptr, 0);
    if (rc == 0)
        rc = c.object->BeginBackup(set.c_str(), 0, nullptr, L"round trip", 6, 0);
    if (rc == 0)
        rc = c.object->WriteVolumeInfo(&volume, KS_VOLUME_SIZE);
    std::vector<unsigned char> buffer(kClustersPerStep * kClusterBytes);
    for (unsigned long first = 0; rc == 0 && first < clusters; first += kClustersPerStep) {
        const unsigned long count = clusters - first < kClustersPerStep ? clusters - first : kClustersPerStep;
        if (std::fread(buffer.data(), kClusterBytes, count, in) != count) {
            std::fclose(in);
            return Fail("reading the volume image", 0);
        }
        rc = c.object->WriteData(first, buffer.data(), count, 0);
    }
    std::fclose(in);
    if (rc != 0)
        return Fail("writing the set", rc);
    rc = c.object->EndBackup(0);
    return rc == 0 ? 0 : Fail("closing the set", rc);
}

int Read(const char* setPath, const char* volumePath)
{
    Container c;
    if (c.object == nullptr)
        return Fail("making the container", 0);
    const std::wstring set = Wide(setPath);
    unsigned long rc = c.object->OpenCofran(set.c_str(), KS_OPEN_RANDOM, nullptr, 0);
    _KS_IMG_FILE_INFO info;
    if (rc == 0)
        rc = c.object->GetCofranInfo(&info);
    if (rc == 0 && info.VolumeCount != 1)
        return Fail("the set's volume count", info.VolumeCount);
    _KS_VOLUME volume;
    if (rc == 0)
        rc = c.object->GetVolumes(&volume, 1);
    if (rc == 0)
        rc = c.object->OpenVolume(&volume);
    if (rc != 0)
        return Fail("opening the set's volume", rc);
    const unsigned long clusters = static_cast<unsigned long>(volume.TotalSectors / volume.SectorsPerCluster);
    const unsigned long clusterBytes = volume.SectorsPerCluster * volume.BytesPerSector;

    FILE* out = std::fopen(volumePath, "wb");
    if (out == nullptr)
        return Fail("creating the volume image", 0);
    std::vector<unsigned char> buffer(kClustersPerStep * clusterBytes);
    for (unsigned long first = 0; rc == 0 && first < clusters; first += kClustersPerStep) {
        const unsigned long count = clusters - first < kClustersPerStep ? clusters - first : kClustersPerStep;
        unsigned long got = 0;
        rc = c.object->ReadData(first, buffer.data(), count, &got);
        if (rc == 0 && got != count)
            rc = 0xFFFFFFFF;
        if (rc == 0 && std::fwrite(buffer.data(), clusterBytes, count, out) != count)
            rc = 0xFFFFFFFE;
    }
    const bool written = std::fclose(out) == 0;
    if (rc != 0 || !written)
        return Fail("reading the volume back", rc);
    c.object->CloseVolume();
    rc = c.object->CloseCofran();
    return rc == 0 ? 0 : Fail("closing the set", rc);
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    if (argc == 5 && std::strcmp(argv[1], "write") == 0 &&
        (std::strcmp(argv[2], "fat") == 0 || std::strcmp(argv[2], "ntfs") == 0))
        return Write(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "read") == 0)
        return Read(argv[2], argv[3]);
    std::fprintf(stderr, "usage: VolumeRoundTrip write fat|ntfs <volume image> <set.rvd>\n"
                         "       VolumeRoundTrip read <set.rvd> <volume image out>\n");
    return 2;
}
