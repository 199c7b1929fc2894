#include "FixtureSetWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <cwchar>
#include <random>
#include <utility>
#include <vector>

#include "FsReaderChooser.h"
#include "KSFSSupport.h"
#include "KSResult.h"
#include "LittleEndian.h"

namespace {

struct Source {
    int fd = -1;
    uint64_t start = 0; // first sector of the volume in the image
    // Directory clusters the reader hands out (mode 0) as sector runs: the FAT32
    // root chain leaves the reader's bitmap and is stored as data all the same.
    std::vector<std::pair<uint64_t, uint64_t>> handedOut;
};

unsigned long ReadSource(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    const Source* s = static_cast<const Source*>(context);
    const size_t bytes = static_cast<size_t>(count) * 512;
    const ssize_t got = pread(s->fd, buffer, bytes, static_cast<off_t>((s->start + first) * 512));
    return got == static_cast<ssize_t>(bytes) ? 0 : KSMakeResult(1, KS_MODULE_FSSUPPORT, 0x256);
}

unsigned long NoteWrite(void* context, unsigned long long first, unsigned long count, void*, unsigned long mode)
{
    if (mode == 0)
        static_cast<Source*>(context)->handedOut.emplace_back(first, count);
    return 0;
}

struct Writer {
    IKSCofran* c;
    const std::wstring& first;
    const FixtureSetOptions& options;
    FixtureSet* out;

    unsigned long Begin(const wchar_t* path, unsigned long mode)
    {
        return c->BeginBackup(path, mode, nullptr, L"checker test", options.level, options.splitMiB);
    }

    // Ends a full file and continues the set in the next one.
    unsigned long NextFile()
    {
        unsigned long rc = c->EndBackup(1);
        wchar_t next[KS_PATH_CHARS] = {};
        if (rc == 0)
            rc = c->GetAvailableCofranName(next, KS_PATH_CHARS);
        if (rc == 0)
            rc = Begin(next, options.discSet ? static_cast<unsigned long>(KS_BEGIN_DISC_SET) : 0ul);
        if (rc == 0)
            out->files.push_back(next);
        return rc;
    }

    unsigned long Data(unsigned long cluster, const unsigned char* data, unsigned long clusters)
    {
        unsigned long rc = c->WriteData(cluster, data, clusters, 0);
        if ((rc & 0xFFF) == 0x108 || (rc & 0xFFF) == 0x00B) {
            if ((rc = NextFile()) != 0)
                return rc;
            rc = c->WriteData(cluster, data, clusters, 0);
        }
        return rc;
    }

    unsigned long Sectors(int firstSector, const unsigned char* data, unsigned long count)
    {
        unsigned long rc = c->WriteSector(firstSector, data, count, 0);
        if ((rc & 0xFFF) == 0x108 || (rc & 0xFFF) == 0x00B) {
            if ((rc = NextFile()) != 0)
                return rc;
            rc = c->WriteSector(firstSector, data, count, 0);
        }
        return rc;
    }
};

unsigned long WriteRuns(Writer& w, const std::vector<uint8_t>& bitmap, uint64_t clusters, uint32_t clusterBytes,
                        const Source* source, uint64_t dataStartSector, std::mt19937* random)
{
    const unsigned long kRun = 256;
    std::vector<unsigned char> buffer(static_cast<size_t>(kRun) * clusterBytes);
    uint64_t n = 0;
    while (n < clusters) {
        if ((bitmap[n / 8] & (1u << (n % 8))) == 0) {
            ++n;
            continue;
        }
        uint64_t end = n;
        while (end < clusters && end - n < kRun && (bitmap[end / 8] & (1u << (end % 8))) != 0)
            ++end;
        const unsigned long count = static_cast<unsigned long>(end - n);
        const size_t bytes = static_cast<size_t>(count) * clusterBytes;
        if (source != nullptr) {
            const uint64_t sector = dataStartSector + n * (clusterBytes / 512);
            if (ReadSource(const_cast<Source*>(source), sector, static_cast<unsigned long>(bytes / 512),
                           buffer.data()) != 0)
                return KSMakeResult(2, KS_MODULE_FSSUPPORT, 0x256);
        } else {
            for (size_t i = 0; i < bytes; i += 4) {
                const uint32_t v = (*random)();
                std::memcpy(&buffer[i], &v, 4);
            }
        }
        const unsigned long rc = w.Data(static_cast<unsigned long>(n), buffer.data(), count);
        if (rc != 0)
            return rc;
        n = end;
    }
    return 0;
}

uint64_t CountBits(const std::vector<uint8_t>& bitmap)
{
    uint64_t bits = 0;
    for (uint8_t b : bitmap)
        bits += static_cast<uint64_t>(__builtin_popcount(b));
    return bits;
}

unsigned long WriteImageVolume(Writer& w, const FixtureVolume& v, uint16_t number, std::string* error)
{
    Source source;
    source.fd = open(v.image.c_str(), O_RDONLY);
    if (source.fd < 0) {
        *error = "cannot open " + v.image;
        return KSMakeResult(3, KS_MODULE_FSSUPPORT, 0x104);
    }
    unsigned char mbr[512];
    if (v.partitioned && pread(source.fd, mbr, 512, 0) == 512)
        source.start = LoadLE32(mbr + 446 + 8);
    IKSFSSupport* reader = nullptr;
    unsigned long rc = ChooseFsReader(ReadSource, NoteWrite, &source, KS_MODULE_FSSUPPORT, &reader);
    _KS_VOLUME vol;
    std::memset(&vol, 0, sizeof vol);
    std::vector<uint8_t> bitmap;
    if (rc == 0)
        rc = reader->GetVolumeInfo(&vol);
    if (rc == 0)
        rc = reader->WalkThroughVolume(nullptr);
    if (rc == 0) {
        bitmap.assign(vol.BitmapSize, 0);
        unsigned long long firstBit = 0;
        unsigned long bits = vol.BitmapSize * 8;
        rc = reader->GetBitMap(bitmap.data(), &firstBit, &bits);
    }
    if (reader != nullptr)
        reader->Release();
    if (rc != 0) {
        *error = "the file-system reader failed on " + v.image;
        close(source.fd);
        return rc;
    }
    const uint32_t spc = vol.SectorsPerCluster;
    const uint64_t systemSectors =
        static_cast<uint64_t>(vol.ReservedSectors) + uint64_t(vol.NumberOfFats) * vol.SectorsPerFat + vol.RootDirSectors;
    const uint64_t clusters = (vol.TotalSectors - systemSectors) / spc;
    for (const auto& run : source.handedOut)
        for (uint64_t sector = run.first; sector < run.first + run.second; sector += spc) {
            const uint64_t n = (sector - systemSectors) / spc;
            if (sector >= systemSectors && n < clusters)
                bitmap[n / 8] = static_cast<uint8_t>(bitmap[n / 8] | (1u << (n % 8)));
        }
    if (v.omitLastUsedCluster) {
        for (uint64_t n = clusters; n-- > 0;)
            if (bitmap[n / 8] & (1u << (n % 8))) {
                bitmap[n / 8] = static_cast<uint8_t>(bitmap[n / 8] & ~(1u << (n % 8)));
                break;
            }
    }
    vol.Magic = KS_VOLUME_MAGIC;
    vol.Size = KS_VOLUME_SIZE;
    vol.VolumeNumber = number;
    vol.BytesPerSector = 512;
    vol.PreVolumeSectors = 0;
    vol.PartitionStart = source.start;
    vol.UsedSectors = (CountBits(bitmap) > 0 ? CountBits(bitmap) : 1) * spc;
    if ((rc = w.c->WriteVolumeInfo(&vol, sizeof vol)) != 0) {
        *error = "WriteVolumeInfo refused the volume of " + v.image;
        close(source.fd);
        return rc;
    }
    // The system area as the writer takes it: the reserved sectors, each FAT copy and
    // the fixed root directory, each as its own run.
    std::vector<unsigned char> sectors;
    auto run = [&](uint64_t first, uint64_t count) -> unsigned long {
        if (count == 0)
            return 0;
        sectors.resize(static_cast<size_t>(count) * 512);
        if (ReadSource(&source, first, static_cast<unsigned long>(count), sectors.data()) != 0)
            return KSMakeResult(4, KS_MODULE_FSSUPPORT, 0x256);
        return w.Sectors(static_cast<int>(first), sectors.data(), static_cast<unsigned long>(count));
    };
    rc = run(0, vol.ReservedSectors);
    for (unsigned f = 0; rc == 0 && f < vol.NumberOfFats; ++f)
        rc = run(vol.ReservedSectors + uint64_t(f) * vol.SectorsPerFat, vol.SectorsPerFat);
    if (rc == 0)
        rc = run(uint64_t(vol.ReservedSectors) + uint64_t(vol.NumberOfFats) * vol.SectorsPerFat, vol.RootDirSectors);
    if (rc == 0)
        rc = WriteRuns(w, bitmap, clusters, spc * 512, &source, systemSectors, nullptr);
    close(source.fd);
    if (rc != 0)
        *error = "writing the data of " + v.image + " failed";
    else
        w.out->volumes.push_back(vol);
    return rc;
}

unsigned long WriteSyntheticVolume(Writer& w, const FixtureVolume& v, uint16_t number, std::string* error)
{
    _KS_VOLUME vol;
    std::memset(&vol, 0, sizeof vol);
    vol.Magic = KS_VOLUME_MAGIC;
    vol.Size = KS_VOLUME_SIZE;
    vol.VolumeNumber = number;
    vol.SectorsPerCluster = 8;
    vol.BytesPerSector = 512;
    vol.Flags = KS_VOLFLAG_NO_FS_READER;
    vol.FileSystem = KS_FS_OTHER;
    vol.TotalSectors = v.syntheticClusters * 8;
    vol.UsedSectors = v.syntheticClusters * 8;
    vol.BitmapSize = static_cast<uint32_t>((v.syntheticClusters + 7) / 8);
    unsigned long rc = w.c->WriteVolumeInfo(&vol, sizeof vol);
    if (rc != 0) {
        *error = "WriteVolumeInfo refused the synthetic volume";
        return rc;
    }
    std::vector<uint8_t> bitmap(vol.BitmapSize, 0xFF);
    std::mt19937 random(number + 7);
    if ((rc = WriteRuns(w, bitmap, v.syntheticClusters, 4096, nullptr, 0, &random)) != 0)
        *error = "writing the synthetic volume failed";
    else
        w.out->volumes.push_back(vol);
    return rc;
}

} // namespace

std::wstring WidePath(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string NarrowPath(const std::wstring& s)
{
    std::string out;
    for (wchar_t c : s)
        out.push_back(static_cast<char>(c));
    return out;
}

unsigned long WriteFixtureSet(const std::wstring& path, const std::vector<FixtureVolume>& sources,
                              const FixtureSetOptions& options, FixtureSet* out, std::string* error)
{
    void* object = nullptr;
    unsigned long rc = KSCreateObjectImg(0x10000, 1, &object);
    if (rc != 0) {
        *error = "no container";
        return rc;
    }
    IKSCofran* c = static_cast<IKSCofran*>(object);
    out->files.assign(1, path);
    out->volumes.clear();
    Writer w{c, path, options, out};
    const unsigned long bytes =
        options.password != nullptr ? static_cast<unsigned long>(std::wcslen(options.password) * sizeof(wchar_t)) : 0;
    rc = c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, options.password, bytes);
    if (rc == 0)
        rc = w.Begin(path.c_str(), (options.password != nullptr ? static_cast<unsigned long>(KS_BEGIN_ENCRYPT) : 0ul) |
                                       (options.discSet ? static_cast<unsigned long>(KS_BEGIN_DISC_SET) : 0ul));
    if (rc != 0)
        *error = "cannot start the set";
    for (size_t i = 0; rc == 0 && i < sources.size(); ++i)
        rc = sources[i].syntheticClusters != 0 ? WriteSyntheticVolume(w, sources[i], static_cast<uint16_t>(i), error)
                                               : WriteImageVolume(w, sources[i], static_cast<uint16_t>(i), error);
    if (rc == 0 && (rc = c->EndBackup(0)) != 0)
        *error = "EndBackup failed";
    c->Release();
    return rc;
}
