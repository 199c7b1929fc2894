#include "CFileSystemProbe.h"

#include <blkid/blkid.h>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "CTextConverter.h"
#include "LittleEndian.h"
#include "MbrPartitionRecord.h"

#if defined(RVD_HAVE_FENLOW) || defined(RVD_HAVE_FERROW)
#include <algorithm>
#include <vector>

#include "KSFSSupport.h"
#include "KSResult.h"
#endif

namespace {

// Closes a descriptor on every way out.
struct FileHandle {
    explicit FileHandle(const std::string& path) : fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileHandle()
    {
        if (fd >= 0)
            close(fd);
    }
    int fd;
};

enumFILE_SYSTEM_TYPE KindFromBlkid(const char* type, const char* version)
{
    if (type == nullptr)
        return FILE_SYSTEM_OTHER;
    if (std::strcmp(type, "vfat") == 0 || std::strcmp(type, "msdos") == 0) {
        if (version != nullptr && std::strcmp(version, "FAT12") == 0)
            return FILE_SYSTEM_FAT12;
        if (version != nullptr && std::strcmp(version, "FAT16") == 0)
            return FILE_SYSTEM_FAT16;
        return FILE_SYSTEM_FAT32;
    }
    if (std::strcmp(type, "ntfs") == 0)
        return FILE_SYSTEM_NTFS;
    if (std::strcmp(type, "BitLocker") == 0)
        return FILE_SYSTEM_BITLOCKER;
    return FILE_SYSTEM_OTHER;
}

void ProbeWithBlkid(int fd, uint64_t start, uint64_t count, FileSystemInfo& info)
{
    blkid_probe probe = blkid_new_probe();
    if (probe == nullptr)
        return;
    if (blkid_probe_set_device(probe, fd, static_cast<blkid_loff_t>(start * 512),
                               static_cast<blkid_loff_t>(count * 512)) == 0) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL | BLKID_SUBLKS_VERSION);
        blkid_probe_enable_partitions(probe, 0);
        if (blkid_do_safeprobe(probe) == 0) {
            const char* type = nullptr;
            const char* version = nullptr;
            const char* label = nullptr;
            blkid_probe_lookup_value(probe, "TYPE", &type, nullptr);
            blkid_probe_lookup_value(probe, "VERSION", &version, nullptr);
            info.kind = KindFromBlkid(type, version);
            if (blkid_probe_lookup_value(probe, "LABEL", &label, nullptr) == 0 && label != nullptr)
                info.label = label;
        }
    }
    blkid_free_probe(probe);
}

#if defined(RVD_HAVE_FENLOW) || defined(RVD_HAVE_FERROW)
struct VolumeReach {
    int fd;
    uint64_t start;
    uint64_t count;
};

unsigned long ReadVolumeSectors(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    const VolumeReach* reach = static_cast<const VolumeReach*>(context);
    if (first > reach->count || count > reach->count - first)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    const size_t bytes = static_cast<size_t>(count) * 512;
    if (pread(reach->fd, buffer, bytes, static_cast<off_t>((reach->start + first) * 512)) !=
        static_cast<ssize_t>(bytes))
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    return 0;
}

// The module only looks: metadata that a reader hands out is not written anywhere.
unsigned long IgnoreSectors(void*, unsigned long long, unsigned long, void*, unsigned long) { return 0; }

// Used sectors as the reader sees the volume: the sectors before the cluster area (a
// FAT volume's boot area, tables and fixed root) and every cluster that its bitmap
// marks in use. Sectors past the last whole cluster hold nothing. 0 when the reader
// cannot tell.
uint64_t UsedSectorsFromReader(unsigned long (*factory)(unsigned long, unsigned long, void**), int fd,
                               uint64_t start, uint64_t count)
{
    void* object = nullptr;
    if (KSFailed(factory(1, 4, &object)) || object == nullptr)
        return 0;
    IKSFSSupport* reader = static_cast<IKSFSSupport*>(object);
    VolumeReach reach{fd, start, count};
    uint64_t used = 0;
    _KS_VOLUME volume;
    std::memset(&volume, 0, sizeof(volume));
    if (KSSucceeded(reader->InitFileSystem(ReadVolumeSectors, IgnoreSectors, &reach)) &&
        KSSucceeded(reader->GetVolumeInfo(&volume)) && volume.SectorsPerCluster != 0 && volume.BitmapSize != 0 &&
        // A volume larger than its partition comes from a forged or damaged boot sector:
        // its figures are not believed, and no bitmap is allocated for it.
        volume.TotalSectors <= count &&
        volume.BitmapSize <= (count / volume.SectorsPerCluster + 7) / 8 + 1) {
        std::vector<unsigned char> bitmap(volume.BitmapSize, 0);
        unsigned long long firstBit = 0;
        unsigned long bits = volume.BitmapSize * 8ul;
        if (KSSucceeded(reader->GetBitMap(bitmap.data(), &firstBit, &bits))) {
            const bool fat = volume.FileSystem >= KS_FS_FAT12 && volume.FileSystem <= KS_FS_FAT32;
            const uint64_t clusterArea = fat ? static_cast<uint64_t>(volume.ReservedSectors) +
                                                   static_cast<uint64_t>(volume.NumberOfFats) * volume.SectorsPerFat +
                                                   volume.RootDirSectors
                                             : 0;
            const uint64_t clusters = std::min<uint64_t>(std::min<uint64_t>(bits, volume.BitmapSize * 8ull),
                                                         volume.TotalSectors / volume.SectorsPerCluster);
            uint64_t inUse = 0;
            for (uint64_t bit = 0; bit < clusters; ++bit)
                inUse += (bitmap[bit / 8] >> (bit % 8)) & 1;
            used = clusterArea + inUse * volume.SectorsPerCluster;
        }
    }
    reader->Release();
    return used;
}
#endif

// The code page DOS and Windows write FAT labels in where the volume names none: a
// FAT volume carries no code page of its own, and 850 is the one the system's users'
// machines write (and the one mtools and mkfs.fat use by default).
constexpr const char* kFatLabelCodePage = "CP850";

// A FAT label as the probe reads it is the volume's bytes in its OEM code page; the
// device manager's texts are UTF-8. An unreadable byte becomes U+FFFD.
std::string FatLabelAsUtf8(const std::string& oem, const char* codePage)
{
    bool ascii = true;
    for (const char c : oem)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return oem;
    std::string out(oem.size() * 4, '\0');
    const size_t made = CTextConverter::Convert(codePage, "UTF-8", oem.data(), oem.size(), 1, &out[0], out.size(),
                                                "\xEF\xBF\xBD", 3);
    out.resize(made);
    return out;
}

} // namespace

FileSystemInfo CFileSystemProbe::Probe(const std::string& path, uint64_t start, uint64_t count)
{
    FileSystemInfo info;
    info.usedSectors = count;
    FileHandle file(path);
    if (file.fd < 0 || count == 0)
        return info;
    ProbeWithBlkid(file.fd, start, count, info);

    unsigned char boot[512];
    if (pread(file.fd, boot, sizeof(boot), static_cast<off_t>(start * 512)) != static_cast<ssize_t>(sizeof(boot)))
        return info;
    info.hasBootRecord = HasBootSignature(boot);
    switch (info.kind) {
    case FILE_SYSTEM_FAT12:
    case FILE_SYSTEM_FAT16:
    case FILE_SYSTEM_FAT32:
        info.label = FatLabelAsUtf8(info.label, kFatLabelCodePage);
        break;
    default:
        break;
    }
    switch (info.kind) {
    case FILE_SYSTEM_FAT12:
    case FILE_SYSTEM_FAT16:
        info.sectorsPerCluster = boot[13];
        info.reservedSectors = LoadLE16(boot + 14);
        info.serial = LoadLE32(boot + 39);
        break;
    case FILE_SYSTEM_FAT32:
        info.sectorsPerCluster = boot[13];
        info.reservedSectors = LoadLE16(boot + 14);
        info.serial = LoadLE32(boot + 67);
        break;
    case FILE_SYSTEM_NTFS:
        // Values above 0x80 give the cluster size as a negative power of two, in bytes.
        info.sectorsPerCluster = boot[13] <= 0x80 ? boot[13] : ((256 - boot[13]) < 31 ? (1 << (256 - boot[13])) / 512 : 0);
        info.serial = LoadLE64(boot + 72);
        break;
    default:
        break;
    }

    uint64_t used = 0;
#if defined(RVD_HAVE_FENLOW)
    if (info.kind == FILE_SYSTEM_FAT12 || info.kind == FILE_SYSTEM_FAT16 || info.kind == FILE_SYSTEM_FAT32)
        used = UsedSectorsFromReader(KSCreateObjectFsFat, file.fd, start, count);
#endif
#if defined(RVD_HAVE_FERROW)
    if (info.kind == FILE_SYSTEM_NTFS)
        used = UsedSectorsFromReader(KSCreateObjectFsNt, file.fd, start, count);
#endif
    if (used != 0 && used <= count)
        info.usedSectors = used;
    return info;
}
