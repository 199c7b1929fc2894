#include "TestSet.h"

#include <cstdlib>
#include <cstring>
#include <cstdio>

#include <dirent.h>
#include <unistd.h>
#include <zlib.h>

#include "AesCipher.h"

ScratchFolder::ScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/cofran-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (mkdtemp(buf.data()) != nullptr)
        path_ = std::string(buf.data()) + "/";
}

ScratchFolder::~ScratchFolder()
{
    if (path_.empty())
        return;
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                unlink((path_ + e->d_name).c_str());
        closedir(d);
    }
    rmdir(path_.c_str());
}

std::wstring ScratchFolder::WPath(const std::string& name) const { return Widen(path_ + name); }

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::vector<unsigned char> RandomBytes(size_t size, uint32_t seed)
{
    std::vector<unsigned char> out(size);
    uint64_t x = 0x9E3779B97F4A7C15ull ^ seed;
    for (size_t i = 0; i < size; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        for (size_t k = 0; k < 8 && i + k < size; ++k)
            out[i + k] = static_cast<unsigned char>(x >> (8 * k));
    }
    return out;
}

std::vector<unsigned char> PatternBytes(size_t size, uint32_t seed)
{
    std::vector<unsigned char> out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<unsigned char>((i / 512 + seed) & 0x0F);
    return out;
}

CofranPtr::CofranPtr()
{
    void* out = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &out) == 0)
        p = static_cast<IKSCofran*>(out);
}

CofranPtr::~CofranPtr()
{
    if (p != nullptr)
        p->Release();
}

_KS_VOLUME FatVolume(uint16_t sectorsPerCluster, uint64_t totalSectors)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = sectorsPerCluster;
    v.FileSystem = KS_FS_FAT16;
    v.BytesPerSector = 512;
    v.PreVolumeSectors = 63;
    v.ReservedSectors = 4;
    v.SectorsPerFat = 8;
    v.NumberOfFats = 2;
    v.RootDirSectors = 32;
    v.TotalSectors = totalSectors;
    v.UsedSectors = 1000;
    const uint64_t clusters = (totalSectors - 4 - 16 - 32) / sectorsPerCluster;
    v.BitmapSize = static_cast<uint32_t>((clusters + 7) / 8);
    v.Label[0] = u'D';
    return v;
}

_KS_VOLUME NtfsVolume(uint16_t sectorsPerCluster, uint64_t totalSectors)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = sectorsPerCluster;
    v.FileSystem = KS_FS_NTFS;
    v.BytesPerSector = 512;
    v.TotalSectors = totalSectors;
    v.UsedSectors = 1000;
    v.BitmapSize = static_cast<uint32_t>((totalSectors / sectorsPerCluster + 7) / 8);
    return v;
}

InspectedFile Inspect(const std::string& path)
{
    InspectedFile f;
    std::memset(&f.head, 0, sizeof f.head);
    std::memset(&f.tail, 0, sizeof f.tail);
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        std::fseek(in, 0, SEEK_END);
        const long size = std::ftell(in);
        std::fseek(in, 0, SEEK_SET);
        f.bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
        if (!f.bytes.empty() && std::fread(f.bytes.data(), 1, f.bytes.size(), in) != f.bytes.size())
            f.bytes.clear();
        std::fclose(in);
    }
    if (f.bytes.size() < KS_IMG_HEAD_SIZE + KS_IMG_TAIL_SIZE)
        return f;
    KSImgHeadFromBytes(f.bytes.data(), f.head);
    const unsigned char* t = f.bytes.data() + f.bytes.size() - KS_IMG_TAIL_SIZE;
    KSImgTailFromBytes(t, f.tail);
    f.hasTail = f.tail.Magic == KS_IMG_MAGIC;
    // Byte sums computed here from scratch.
    uint32_t sum = 0;
    for (size_t i = 0; i < KS_IMG_HEAD_SIZE; ++i)
        sum += (i >= 12 && i < 16) ? 0 : f.bytes[i];
    f.headSumOk = sum == f.head.Checksum;
    sum = 0;
    for (size_t i = 0; i < KS_IMG_TAIL_SIZE; ++i)
        sum += (i >= 68 && i < 72) ? 0 : t[i];
    f.tailSumOk = sum == f.tail.Checksum;
    return f;
}

InspectedFile Inspect(const std::wstring& path) { return Inspect(std::string(path.begin(), path.end())); }

std::vector<unsigned char> InspectedFile::Blob(KSBlobGroup group, uint64_t filePos, uint32_t raw, uint32_t stored,
                                               AesCipher* cipher) const
{
    if (raw == 0 || filePos + stored > bytes.size())
        return {};
    std::vector<unsigned char> data(bytes.begin() + filePos, bytes.begin() + filePos + stored);
    if (head.Flags & (0x10u << group)) {
        if (cipher == nullptr || stored % 16 != 0 ||
            cipher->decrypt(data.data(), data.data(), stored, head.CipherMode) != 0)
            return {};
    }
    if ((head.Flags & (1u << group)) && stored < raw) {
        std::vector<unsigned char> out(raw);
        uLongf outLen = raw;
        if (uncompress(out.data(), &outLen, data.data(), data.size()) != Z_OK || outLen != raw) {
            // The stream may be followed by encryption padding; inflate by hand.
            z_stream z;
            std::memset(&z, 0, sizeof z);
            inflateInit(&z);
            z.next_in = data.data();
            z.avail_in = static_cast<uInt>(data.size());
            z.next_out = out.data();
            z.avail_out = raw;
            const int rc = inflate(&z, Z_FINISH);
            const uLong produced = z.total_out;
            inflateEnd(&z);
            if (rc != Z_STREAM_END || produced != raw)
                return {};
        }
        return out;
    }
    if (data.size() < raw)
        return {};
    data.resize(raw);
    return data;
}

uint64_t TestCrc64(const void* data, size_t size)
{
    // Bitwise, straight from the polynomial: independent of the table in crypto/.
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint64_t crc = ~0ull;
    for (size_t i = 0; i < size; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? (crc >> 1) ^ 0x95AC9329AC4BC9B5ull : crc >> 1;
    }
    return crc;
}

unsigned long StartSet(IKSCofran* c, const std::wstring& path, unsigned long level, unsigned long splitMiB,
                       unsigned long beginMode, const wchar_t* password)
{
    const unsigned long bytes = password != nullptr ? static_cast<unsigned long>(wcslen(password) * sizeof(wchar_t)) : 0;
    unsigned long rc = c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, password, bytes);
    if (rc != 0)
        return rc;
    return c->BeginBackup(path.c_str(), beginMode, nullptr, nullptr, level, splitMiB);
}
