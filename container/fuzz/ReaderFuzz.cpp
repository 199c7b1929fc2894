// libFuzzer target: takes the input as one image file and opens and reads it the
// way the restore engine, the checker and the mount driver do. Any crash, overrun
// or hang is a fault; result codes are fine, except that once an open has failed
// no read call may succeed (it would hand out what a file opened before left).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "IKSCofran.h"

namespace {

const std::string& InputPath()
{
    static const std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string dir = std::string(base ? base : "/tmp") + "/cofran-fuzz-" + std::to_string(getpid());
        mkdir(dir.c_str(), 0700);
        return dir + "/input.rvd";
    }();
    return path;
}

void ReadVolume(IKSCofran* c, _KS_VOLUME v, unsigned long use)
{
    if (c->OpenVolume(&v) != 0)
        return;
    static std::vector<unsigned char> buffer(4u << 20);
    _KS_BLOCK b;
    if (use != KS_OPEN_RANDOM) {
        c->CheckVolume();
        for (int i = 0; i < 64 && c->GetNextBlockInfo(&b, 0) == 0; ++i)
            c->ReadBlock(&b, buffer.data());
        c->OpenVolume(&v);
        for (int i = 0; i < 64 && c->CheckNextBlock(&b) == 0; ++i) {
        }
    } else {
        unsigned long got = 0;
        c->ReadSector(-static_cast<long long>(v.PreVolumeSectors), buffer.data(), v.PreVolumeSectors, &got, 0);
        for (long long s = 0; s < 4096; s += 700)
            c->ReadSector(s, buffer.data(), 64, nullptr, 0);
        for (unsigned long cl = 0; cl < 2048; cl += 97)
            c->ReadData(cl, buffer.data(), 16, &got);
    }
    c->CloseVolume();
    if (use == KS_OPEN_SEQUENTIAL && v.BitmapSize > 0 && v.BitmapSize <= (1u << 20)) {
        std::vector<unsigned char> bitmap(v.BitmapSize, 0);
        c->GetVolumeBitmap(&v, bitmap.data(), v.BitmapSize);
    }
}

// After a failed open nothing is open: every call that reads the set fails.
void ExpectNothingReads(IKSCofran* c, const _KS_VOLUME& known)
{
    static std::vector<unsigned char> buffer(4u << 20);
    _KS_IMG_FILE_INFO info;
    _KS_VERSION version;
    std::memset(&version, 0, sizeof version);
    _KS_VOLUME volume = known;
    _KS_BLOCK block;
    std::memset(&block, 0, sizeof block);
    wchar_t comment[64];
    unsigned long got = 0, count = 0;
    const unsigned long results[] = {
        c->GetCofranInfo(&info),
        c->GetBackupVer(&version, 1),
        c->GetVolumes(&volume, 1),
        c->GetComment(comment, 64),
        c->GetFilters(reinterpret_cast<_KS_FILTERS_HEAD*>(buffer.data()), 4096),
        c->GetBackupImg(nullptr, &count),
        c->CheckCofranVer(&version),
        c->GetVolumeBitmap(&volume, buffer.data(), static_cast<unsigned long>(buffer.size())),
        c->OpenVolume(&volume),
        c->GetNextBlockInfo(&block, 0),
        c->ReadBlock(&block, buffer.data()),
        c->CheckVolume(),
        c->CheckNextBlock(&block),
        c->ReadData(0, buffer.data(), 1, &got),
        c->ReadSector(0, buffer.data(), 1, &got, 0),
    };
    for (size_t i = 0; i < sizeof results / sizeof results[0]; ++i)
        if (results[i] == 0) {
            std::fprintf(stderr, "read call %zu succeeded after a failed open\n", i);
            std::abort();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = InputPath();
    // Give head and tail the checksums they claim, so that mutations reach past the
    // first check into the directory, the run indexes and the blocks.
    std::vector<unsigned char> bytes(data, data + size);
    if (size >= KS_IMG_HEAD_SIZE + KS_IMG_TAIL_SIZE) {
        StoreLE32(bytes.data() + 12, KSImgHeadChecksum(bytes.data()));
        unsigned char* tail = bytes.data() + size - KS_IMG_TAIL_SIZE;
        StoreLE32(tail + 68, KSImgTailChecksum(tail));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return 0;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    const std::wstring wpath(path.begin(), path.end());

    void* out = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &out) != 0)
        return 0;
    IKSCofran* c = static_cast<IKSCofran*>(out);
    const wchar_t password[] = L"fuzz";
    const unsigned long uses[] = {KS_OPEN_SEQUENTIAL, KS_OPEN_RANDOM};
    // A volume record seen in an earlier pass, or a plausible one.
    _KS_VOLUME known;
    std::memset(&known, 0, sizeof known);
    known.Magic = KS_VOLUME_MAGIC;
    known.Size = KS_VOLUME_SIZE;
    known.SectorsPerCluster = 8;
    known.BytesPerSector = 512;
    known.BitmapSize = 1;
    for (unsigned long use : uses) {
        if (c->OpenCofran(wpath.c_str(), use, password, 4 * sizeof(wchar_t)) != 0 &&
            c->OpenCofran(wpath.c_str(), use, nullptr, 0) != 0) {
            ExpectNothingReads(c, known);
            continue;
        }
        _KS_IMG_FILE_INFO info;
        if (c->GetCofranInfo(&info) != 0)
            continue;
        std::vector<_KS_VERSION> versions(info.VersionCount > 64 ? 64 : info.VersionCount + 1);
        if (c->GetBackupVer(versions.data(), static_cast<unsigned long>(versions.size())) == 0)
            c->CheckCofranVer(&versions[0]);
        wchar_t comment[512];
        c->GetComment(comment, 512);
        std::vector<unsigned char> filters(4096);
        c->GetFilters(reinterpret_cast<_KS_FILTERS_HEAD*>(filters.data()), 4096);
        std::vector<_KS_VOLUME> volumes(info.VolumeCount > 16 ? 16 : info.VolumeCount + 1);
        if (c->GetVolumes(volumes.data(), static_cast<unsigned long>(volumes.size())) == 0 && info.VolumeCount > 0)
            known = volumes[0];
        if (c->GetVolumes(volumes.data(), static_cast<unsigned long>(volumes.size())) == 0)
            for (unsigned long i = 0; i < info.VolumeCount && i < volumes.size(); ++i)
                ReadVolume(c, volumes[i], use);
        unsigned long count = 0;
        c->GetBackupImg(nullptr, &count);
    }
    c->Release();
    return 0;
}
