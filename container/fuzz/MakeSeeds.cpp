// Writes a few small valid image sets into a folder: the seed corpus of the
// reader's fuzz target (plain, compressed, encrypted, a FAT volume with
// pre-volume and system sectors, two volumes).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "IKSCofran.h"

namespace {

_KS_VOLUME Volume(uint16_t spc, bool fat)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.SectorsPerCluster = spc;
    v.BytesPerSector = 512;
    v.FileSystem = fat ? KS_FS_FAT16 : KS_FS_NTFS;
    v.TotalSectors = 4096;
    v.UsedSectors = 100;
    if (fat) {
        v.PreVolumeSectors = 2;
        v.ReservedSectors = 1;
        v.SectorsPerFat = 2;
        v.NumberOfFats = 2;
        v.RootDirSectors = 1;
    }
    v.BitmapSize = static_cast<uint32_t>(((4096 - 6) / spc + 7) / 8);
    return v;
}

bool Write(const std::string& path, unsigned long level, const wchar_t* password, bool fat, bool two)
{
    void* out = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &out) != 0)
        return false;
    IKSCofran* c = static_cast<IKSCofran*>(out);
    const std::wstring w(path.begin(), path.end());
    const unsigned long bytes = password ? 4 * sizeof(wchar_t) : 0;
    bool ok = c->OpenCofran(w.c_str(), KS_OPEN_BACKUP, password, bytes) == 0 &&
              c->BeginBackup(w.c_str(), password ? KS_BEGIN_ENCRYPT : 0, nullptr, L"seed", level, 0) == 0;
    std::vector<unsigned char> data(8 * 512 * 4);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i % 251 < 200 ? 0 : i);
    for (int vol = 0; ok && vol < (two ? 2 : 1); ++vol) {
        const _KS_VOLUME v = Volume(fat ? 1 : 8, fat);
        ok = c->WriteVolumeInfo(&v, 256) == 0;
        if (ok && fat)
            ok = c->WriteSector(-2, data.data(), 2, 0) == 0 && c->WriteSector(0, data.data(), 1, 0) == 0 &&
                 c->WriteSector(1, data.data(), 4, 0) == 0 && c->WriteSector(5, data.data(), 1, 0) == 0;
        ok = ok && c->WriteData(0, data.data(), 2, 0) == 0 && c->WriteData(5, data.data(), 1, 0) == 0;
    }
    ok = ok && c->EndBackup(0) == 0;
    c->Release();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder/\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const bool ok = Write(dir + "plain.rvd", 0, nullptr, false, false) &&
                    Write(dir + "compressed.rvd", 6, nullptr, false, false) &&
                    Write(dir + "encrypted.rvd", 6, L"fuzz", false, false) &&
                    Write(dir + "fat.rvd", 1, nullptr, true, false) &&
                    Write(dir + "two.rvd", 6, nullptr, false, true);
    return ok ? 0 : 1;
}
