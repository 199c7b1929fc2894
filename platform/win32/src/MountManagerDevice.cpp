#include "MountManagerDevice.h"

#include "LittleEndian.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace ks_platform {

namespace {

constexpr DWORD kQueryPoints = 0x6D0008;
// MOUNTMGR_MOUNT_POINT: six fields, offsets and lengths of UTF-16 texts.
constexpr DWORD kPointBytes = 24;
constexpr DWORD kDeviceNameOffsetAt = 16;
constexpr DWORD kDeviceNameLengthAt = 20;

std::string Utf16Ascii(const unsigned char* bytes, size_t length)
{
    std::string text;
    for (size_t i = 0; i + 1 < length; i += 2) {
        const uint16_t c = LoadLE16(bytes + i);
        if (c == 0 || c > 0x7F)
            return {};
        text += static_cast<char>(c);
    }
    return text;
}

class MountManagerDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    uint64_t Size() const override { return 0; }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        if (code != kQueryPoints)
            return ERROR_INVALID_FUNCTION;
        if (!in || inSize < kPointBytes)
            return ERROR_INVALID_PARAMETER;
        const auto* request = static_cast<const unsigned char*>(in);
        const uint32_t offset = LoadLE32(request + kDeviceNameOffsetAt);
        const uint16_t length = LoadLE16(request + kDeviceNameLengthAt);
        if (offset < kPointBytes || uint64_t{offset} + length > inSize)
            return ERROR_INVALID_PARAMETER;
        const std::string partition = Utf16Ascii(request + offset, length);
        unsigned disk = 0, number = 0;
        char tail = 0;
        if (std::sscanf(partition.c_str(), "\\Device\\Harddisk%u\\Partition%u%c", &disk, &number, &tail) != 2)
            return ERROR_FILE_NOT_FOUND;
        wchar_t target[128];
        const std::wstring dosName = L"Harddisk" + std::to_wstring(disk) + L"Partition" + std::to_wstring(number);
        if (QueryDosDeviceW(dosName.c_str(), target, 128) == 0)
            return ERROR_FILE_NOT_FOUND;
        const std::wstring device(target);
        // MOUNTMGR_MOUNT_POINTS: size, count, one mount point, then its device name.
        const DWORD nameBytes = static_cast<DWORD>(device.size() * 2);
        const DWORD nameAt = 8 + kPointBytes;
        const DWORD total = nameAt + nameBytes;
        if (!out || outSize < 8)
            return ERROR_INSUFFICIENT_BUFFER;
        auto* answer = static_cast<unsigned char*>(out);
        std::memset(answer, 0, outSize);
        StoreLE32(answer, total);
        if (outSize < total) {
            returned = 8;
            return ERROR_MORE_DATA;
        }
        StoreLE32(answer + 4, 1);
        StoreLE32(answer + 8 + kDeviceNameOffsetAt, nameAt);
        StoreLE16(answer + 8 + kDeviceNameLengthAt, static_cast<uint16_t>(nameBytes));
        for (size_t i = 0; i < device.size(); ++i)
            StoreLE16(answer + nameAt + 2 * i, static_cast<uint16_t>(device[i]));
        returned = total;
        return ERROR_SUCCESS;
    }
};

} // namespace

std::shared_ptr<KSDevice> OpenMountManager(DWORD, DWORD&) { return std::make_shared<MountManagerDevice>(); }

} // namespace ks_platform
