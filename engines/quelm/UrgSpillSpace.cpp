#include "UrgSpillSpace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "QuelmKinds.h"

using namespace quelm_kinds;

namespace {
constexpr uint64_t kSpillSector = 512;
constexpr uint64_t kViewGranularity = 0x10000;
constexpr DWORD kHidden = 0x2; // FILE_ATTRIBUTE_HIDDEN

uint64_t RoundUp(uint64_t value, uint64_t step) { return (value + step - 1) / step * step; }
} // namespace

UrgSpillSpace::UrgSpillSpace(const std::wstring& folder, const std::wstring& prefix, const UrgStoreLayout& layout)
    : folder_(folder), prefix_(prefix), layout_(layout), files_(layout.maxSpillFiles, INVALID_HANDLE_VALUE),
      mappings_(layout.maxSpillFiles, nullptr), mapped_(layout.maxSpillFiles, 0)
{
}

UrgSpillSpace::~UrgSpillSpace() { Destroy(); }

std::wstring UrgSpillSpace::FileName(uint32_t number) const
{
    // A folder written with forward slashes (a Linux one) keeps them.
    std::wstring name = folder_;
    const bool slashes = name.find(L'/') != std::wstring::npos && name.find(L'\\') == std::wstring::npos;
    if (!name.empty() && name.back() != L'\\' && name.back() != L'/')
        name.push_back(slashes ? L'/' : L'\\');
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%03u", number);
    return name + prefix_ + digits + L".zet";
}

unsigned long UrgSpillSpace::Write(uint64_t offset, const void* data, uint64_t length)
{
    if (offset % kSpillSector != 0 || length % kSpillSector != 0)
        return kWinInvalidParameter;
    if (length == 0)
        return 0;
    // A run that would need a file past the last one fails before anything is written.
    if ((offset + length - 1) / layout_.spillFileBytes >= layout_.maxSpillFiles)
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (length != 0) {
        const uint32_t number = static_cast<uint32_t>(offset / layout_.spillFileBytes);
        const uint64_t local = offset % layout_.spillFileBytes;
        const uint64_t piece = std::min(length, layout_.spillFileBytes - local);
        const unsigned long rc = WriteInFile(number, local, bytes, piece);
        if (rc != 0)
            return rc;
        offset += piece;
        bytes += piece;
        length -= piece;
    }
    return 0;
}

unsigned long UrgSpillSpace::Read(uint64_t offset, void* buffer, uint64_t length)
{
    if (offset % kSpillSector != 0 || length % kSpillSector != 0)
        return kWinInvalidParameter;
    if ((offset + length) / layout_.spillFileBytes > layout_.maxSpillFiles)
        return kWinInvalidParameter;
    unsigned char* bytes = static_cast<unsigned char*>(buffer);
    while (length != 0) {
        const uint32_t number = static_cast<uint32_t>(offset / layout_.spillFileBytes);
        const uint64_t local = offset % layout_.spillFileBytes;
        const uint64_t piece = std::min(length, layout_.spillFileBytes - local);
        const unsigned long rc = ReadInFile(number, local, bytes, piece);
        if (rc != 0)
            return rc;
        offset += piece;
        bytes += piece;
        length -= piece;
    }
    return 0;
}

unsigned long UrgSpillSpace::WriteInFile(uint32_t number, uint64_t local, const unsigned char* data, uint64_t length)
{
    unsigned long rc;
    if (files_[number] == INVALID_HANDLE_VALUE && mappings_[number] == nullptr && (rc = OpenFile(number)) != 0)
        return rc;
    if (local + length > mapped_[number] && (rc = GrowMapping(number, local + length)) != 0)
        return rc;
    return CopyThroughView(number, local, const_cast<unsigned char*>(data), length, true);
}

unsigned long UrgSpillSpace::ReadInFile(uint32_t number, uint64_t local, unsigned char* buffer, uint64_t length)
{
    if (mappings_[number] == nullptr || local + length > mapped_[number])
        return kWinInvalidParameter;
    return CopyThroughView(number, local, buffer, length, false);
}

unsigned long UrgSpillSpace::OpenFile(uint32_t number)
{
    const std::wstring name = FileName(number);
    DeleteFileW(name.c_str());
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    files_[number] = file;
    names_.push_back(name);
    SetFileAttributesW(name.c_str(), kHidden);
    const uint64_t size = std::min(layout_.growStep, layout_.spillFileBytes);
    HANDLE mapping = layout_.createMapping(file, nullptr, PAGE_READWRITE | SEC_RESERVE,
                                           static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
    if (mapping == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    mappings_[number] = mapping;
    mapped_[number] = size;
    reserved_ += size;
    return 0;
}

// Each file's mapping is grown on its own: a growth never reaches into the next
// file's part of the spill space.
unsigned long UrgSpillSpace::GrowMapping(uint32_t number, uint64_t end)
{
    if (files_[number] == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    const uint64_t growth = RoundUp(end - mapped_[number], layout_.growStep);
    const uint64_t size = std::min(mapped_[number] + growth, layout_.spillFileBytes);
    if (mappings_[number] != nullptr)
        CloseHandle(mappings_[number]);
    mappings_[number] = nullptr;
    HANDLE mapping = layout_.createMapping(files_[number], nullptr, PAGE_READWRITE | SEC_RESERVE,
                                           static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
    if (mapping == nullptr) {
        // The bytes stored so far stay readable through a mapping of the old size.
        mappings_[number] = CreateFileMappingW(files_[number], nullptr, PAGE_READWRITE | SEC_RESERVE,
                                               static_cast<DWORD>(mapped_[number] >> 32),
                                               static_cast<DWORD>(mapped_[number]), nullptr);
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    }
    mappings_[number] = mapping;
    reserved_ += size - mapped_[number];
    mapped_[number] = size;
    return 0;
}

unsigned long UrgSpillSpace::CopyThroughView(uint32_t number, uint64_t local, unsigned char* bytes, uint64_t length,
                                             bool write)
{
    const uint64_t start = local / kViewGranularity * kViewGranularity;
    const uint64_t end = std::min(RoundUp(local + length, kViewGranularity), mapped_[number]);
    void* view = MapViewOfFile(mappings_[number], FILE_MAP_ALL_ACCESS, static_cast<DWORD>(start >> 32),
                               static_cast<DWORD>(start), static_cast<SIZE_T>(end - start));
    if (view == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, kSpillFile);
    unsigned char* at = static_cast<unsigned char*>(view) + (local - start);
    if (write)
        std::memcpy(at, bytes, static_cast<size_t>(length));
    else
        std::memcpy(bytes, at, static_cast<size_t>(length));
    UnmapViewOfFile(view);
    return 0;
}

void UrgSpillSpace::Destroy()
{
    for (size_t i = 0; i < mappings_.size(); ++i) {
        if (mappings_[i] != nullptr)
            CloseHandle(mappings_[i]);
        mappings_[i] = nullptr;
        if (files_[i] != INVALID_HANDLE_VALUE)
            CloseHandle(files_[i]);
        files_[i] = INVALID_HANDLE_VALUE;
        mapped_[i] = 0;
    }
    for (const std::wstring& name : names_)
        DeleteFileW(name.c_str());
    names_.clear();
    reserved_ = 0;
}
