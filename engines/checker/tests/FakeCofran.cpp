#include "FakeCofran.h"

#include <cstring>
#include <cwchar>

namespace {

unsigned long Fail(unsigned long kind)
{
    return KSMakeResult(1, KS_MODULE_CONTAINER, kind);
}

} // namespace

_KS_VOLUME FakeVolume(uint16_t number, uint64_t usedClusters, uint64_t runIndexOffset)
{
    _KS_VOLUME v;
    std::memset(&v, 0, sizeof v);
    v.Magic = KS_VOLUME_MAGIC;
    v.Size = KS_VOLUME_SIZE;
    v.VolumeNumber = number;
    v.SectorsPerCluster = 8;
    v.BytesPerSector = 512;
    v.FileSystem = KS_FS_OTHER;
    v.TotalSectors = 8 * 1024;
    v.BitmapSize = 1024 / 8;
    v.UsedSectors = usedClusters * 8;
    v.RunIndexOffset = runIndexOffset;
    return v;
}

FakeCofran* FakeCofran::OneVolumeSet(const std::wstring& folder, int fileCount, std::vector<uint32_t> blocksPerFile)
{
    FakeCofran* c = new FakeCofran();
    uint32_t clusters = 0;
    for (int i = 0; i < fileCount; ++i) {
        FakeFile f;
        f.path = folder + L"set" + std::to_wstring(i) + L".rvd";
        f.fileNumber = static_cast<uint32_t>(i);
        f.base = static_cast<uint64_t>(i) * 1000;
        f.length = 1000;
        FakeVolumePart part;
        for (uint32_t b = 0; b < blocksPerFile[static_cast<size_t>(i)]; ++b) {
            part.blockClusters.push_back(4);
            for (int k = 0; k < 4; ++k)
                part.usedClusters.push_back(clusters++);
        }
        f.parts.push_back(part);
        c->files.push_back(f);
    }
    _KS_VERSION v;
    std::memset(&v, 0, sizeof v);
    v.FirstFile = 0;
    v.FileCount = static_cast<uint16_t>(fileCount);
    v.LabelIndex = KS_NO_LABEL;
    c->versions.push_back(v);
    // The run index lies in the last file.
    c->volumes.push_back(FakeVolume(0, clusters, static_cast<uint64_t>(fileCount - 1) * 1000 + 10));
    return c;
}

unsigned long FakeCofran::Release()
{
    released = true;
    if (releasedFlag != nullptr)
        *releasedFlag = true;
    delete this;
    return 0;
}

unsigned long FakeCofran::SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars, unsigned long)
{
    bool known = false;
    for (const FakeFile& f : files)
        known = known || f.path == path;
    if (!known)
        return Fail(0x004);
    std::wcsncpy(out, files.back().path.c_str(), outChars - 1);
    out[outChars - 1] = 0;
    return 0;
}

unsigned long FakeCofran::GetBackupImg(_KS_IMG* list, unsigned long* count)
{
    const GUID none = {};
    return GetBackupImg(none, nullptr, list, count, 0);
}

unsigned long FakeCofran::GetBackupImg(GUID, const wchar_t*, _KS_IMG* list, unsigned long* count,
                                       unsigned long)
{
    if (count == nullptr)
        return Fail(0x009);
    if (list == nullptr) {
        *count = static_cast<unsigned long>(files.size());
        return 0;
    }
    if (*count < files.size())
        return Fail(0x00E);
    size_t n = 0;
    for (size_t i = files.size(); i-- > 0; ++n) {
        std::memset(&list[n], 0, sizeof list[n]);
        list[n].VersionIndex = files[i].versionIndex;
        list[n].FileNumber = files[i].fileNumber;
        list[n].Base = files[i].base;
        list[n].DataLength = files[i].length;
        std::wcsncpy(list[n].Path, files[i].path.c_str(), KS_PATH_CHARS - 1);
    }
    *count = static_cast<unsigned long>(n);
    return 0;
}

unsigned long FakeCofran::GetLabelNoFromOffset(const _KS_VERSION*, unsigned long, const _KS_CDINFO*, unsigned long,
                                               const _KS_IMGNAME_NO*, unsigned long, unsigned long long,
                                               unsigned long*, unsigned long*)
{
    return Fail(0x108);
}

unsigned long FakeCofran::GetCofranNameFromOffset(const _KS_VERSION*, unsigned long, const _KS_IMGNAME_NO*,
                                                  unsigned long, unsigned long long, wchar_t*, unsigned long,
                                                  unsigned long*)
{
    return Fail(0x108);
}

unsigned long FakeCofran::GetCofranNameFromCofranNo(const _KS_VERSION*, unsigned long, const _KS_IMGNAME_NO*,
                                                    unsigned long, unsigned long long, wchar_t*, unsigned long)
{
    return Fail(0x108);
}

unsigned long FakeCofran::OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* pw, unsigned long bytes)
{
    CloseCofran();
    if (path == nullptr)
        return Fail(0x009);
    lastPasswordBytes = bytes;
    // As the container: the byte length must be the text's own, in whole characters.
    if (pw != nullptr && (bytes % sizeof(wchar_t) != 0 || std::wcslen(pw) != bytes / sizeof(wchar_t)))
        return Fail(0x009);
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].path == path) {
            if (encrypted && (pw == nullptr || std::wstring(pw, bytes / sizeof(wchar_t)) != password))
                return Fail(0x060);
            open_ = static_cast<int>(i);
            ++opens;
            lastOpenMode = mode;
            return 0;
        }
    return Fail(0x104);
}

unsigned long FakeCofran::GetCofranInfo(_KS_IMG_FILE_INFO* info)
{
    if (open_ < 0)
        return Fail(0x005);
    std::memset(info, 0, sizeof *info);
    info->Size = sizeof *info;
    info->Version = KS_IMG_VERSION;
    info->LastVersion = files[static_cast<size_t>(open_)].versionIndex;
    std::memcpy(info->SetId, setId, 16);
    info->VersionCount = static_cast<uint32_t>(versions.size());
    info->VolumeCount = static_cast<uint32_t>(volumes.size());
    info->NeededFiles = static_cast<uint32_t>(neededFiles >= 0 ? static_cast<size_t>(neededFiles) : files.size());
    return 0;
}

unsigned long FakeCofran::GetBackupVer(_KS_VERSION* out, unsigned long count)
{
    if (open_ < 0)
        return Fail(0x005);
    if (count < versions.size())
        return Fail(0x00E);
    std::memcpy(out, versions.data(), versions.size() * sizeof(_KS_VERSION));
    return 0;
}

unsigned long FakeCofran::GetBackupCdInfo(_KS_CDINFO*, unsigned long)
{
    return Fail(0x009);
}

unsigned long FakeCofran::GetFilters(_KS_FILTERS_HEAD*, unsigned long)
{
    return Fail(0x009);
}

unsigned long FakeCofran::GetVolumes(_KS_VOLUME* out, unsigned long count)
{
    if (open_ < 0)
        return Fail(0x005);
    if (count < volumes.size())
        return Fail(0x00E);
    std::memcpy(out, volumes.data(), volumes.size() * sizeof(_KS_VOLUME));
    return 0;
}

unsigned long FakeCofran::GetComment(wchar_t* comment, unsigned long chars)
{
    if (open_ < 0)
        return Fail(0x005);
    const wchar_t text[] = L"weekly";
    if (chars < 7)
        return Fail(0x00E);
    std::wmemcpy(comment, text, 7);
    return 0;
}

unsigned long FakeCofran::GetBackupImgNameInfo(_KS_IMGNAME_NO* names, unsigned long count)
{
    if (open_ < 0)
        return Fail(0x005);
    nameCapacity = count;
    if (count < files.size())
        return Fail(0x00E);
    for (size_t i = 0; i < files.size(); ++i) {
        names[i].FileNumber = files[i].fileNumber;
        names[i].NameNumber = files[i].fileNumber;
        names[i].Base = files[i].base;
    }
    return 0;
}

unsigned long FakeCofran::GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes)
{
    if (open_ < 0)
        return Fail(0x005);
    if (bytes < volume->BitmapSize)
        return Fail(0x00E);
    unsigned char* bits = static_cast<unsigned char*>(bitmap);
    for (const FakeVolumePart& part : files[static_cast<size_t>(open_)].parts)
        if (part.volumeNumber == volume->VolumeNumber)
            for (uint32_t n : part.usedClusters)
                if (n / 8 < bytes)
                    bits[n / 8] = static_cast<unsigned char>(bits[n / 8] | (1u << (n % 8)));
    return 0;
}

unsigned long FakeCofran::CheckCofranVer(const _KS_VERSION*)
{
    return open_ < 0 ? Fail(0x005) : 0;
}

unsigned long FakeCofran::GetAvailableCofranName(wchar_t*, unsigned long) { return Fail(0x005); }
unsigned long FakeCofran::GetAvailableLabel(wchar_t*, unsigned long) { return Fail(0x005); }

unsigned long FakeCofran::OpenVolume(_KS_VOLUME* volume)
{
    if (open_ < 0)
        return Fail(0x005);
    for (const FakeVolumePart& part : files[static_cast<size_t>(open_)].parts)
        if (part.volumeNumber == volume->VolumeNumber) {
            part_ = &part;
            nextBlock_ = 0;
            return 0;
        }
    return Fail(0x108);
}

unsigned long FakeCofran::GetNextBlockInfo(_KS_BLOCK*, unsigned long) { return Fail(0x006); }
unsigned long FakeCofran::ReadBlock(const _KS_BLOCK*, void*) { return Fail(0x006); }

unsigned long FakeCofran::CheckVolume()
{
    return part_ == nullptr ? Fail(0x005) : 0;
}

unsigned long FakeCofran::CheckNextBlock(_KS_BLOCK* block)
{
    if (part_ == nullptr)
        return Fail(0x005);
    if (nextBlock_ >= part_->blockClusters.size())
        return Fail(0x108);
    if (static_cast<int>(nextBlock_) == part_->corruptBlock)
        return Fail(0x00C);
    std::memset(block, 0, sizeof *block);
    block->CountSize = part_->blockClusters[nextBlock_] | (100u << KS_BLOCK_SIZE_SHIFT);
    ++nextBlock_;
    ++blocksReturned;
    if (onBlock)
        onBlock(blocksReturned);
    return 0;
}

unsigned long FakeCofran::ReadData(unsigned long, void*, unsigned long, unsigned long*) { return Fail(0x006); }

unsigned long FakeCofran::ReadSector(long long first, void* buffer, unsigned long count, unsigned long* read,
                                      unsigned long)
{
    if (part_ == nullptr || buffer == nullptr)
        return Fail(0x005);
    lastFirstSector = first;
    *read = count < sectorsServed ? count : sectorsServed;
    std::memset(buffer, 0xA5, static_cast<size_t>(*read) * 512);
    return *read == 0 ? Fail(0x106) : 0;
}

unsigned long FakeCofran::CloseVolume()
{
    part_ = nullptr;
    return 0;
}

unsigned long FakeCofran::CloseCofran()
{
    CloseVolume();
    open_ = -1;
    return 0;
}

unsigned long FakeCofran::BeginBackup(const wchar_t*, unsigned long, const _KS_FILTERS_HEAD*, const wchar_t*,
                                      unsigned long, unsigned long)
{
    return Fail(0x005);
}
unsigned long FakeCofran::WriteVolumeInfo(const _KS_VOLUME*, unsigned long) { return Fail(0x005); }
unsigned long FakeCofran::WriteData(unsigned long, const void*, unsigned long, unsigned long long) { return Fail(0x005); }
unsigned long FakeCofran::WriteSector(int, const void*, unsigned long, unsigned long) { return Fail(0x005); }
unsigned long FakeCofran::EndBackup(unsigned long) { return Fail(0x005); }
