#include "PluginRecord.h"

#include "LittleEndian.h"

#include <cstring>
#include <cwchar>

uint32_t MountDiskId(const _KS_VOLUME& volume, unsigned letter)
{
    uint32_t id = volume.RunIndexStoredSize;
    id = id * 16 + volume.PartitionNumber;
    id = id * 16 + volume.DriveLetter;
    id = id * 32 + volume.DiskNumber;
    id = id * 32 + static_cast<uint32_t>(letter);
    return id * 32;
}

uint64_t MountDiskSectors(uint64_t totalSectors)
{
    constexpr uint64_t kCylinder = 255 * 63;
    const uint64_t cylinders = (totalSectors + 63 + kCylinder - 1) / kCylinder;
    return (cylinders == 0 ? 1 : cylinders) * kCylinder - 63;
}

namespace {

// Writes text as UTF-16 into a field of chars units, always leaving a terminator.
void PutUtf16(uint8_t* field, size_t chars, const wchar_t* text)
{
    if (text == nullptr)
        return;
    size_t at = 0;
    for (const wchar_t* p = text; *p != 0; ++p) {
        const uint32_t c = static_cast<uint32_t>(*p);
        const bool pair = c > 0xFFFF;
        if (at + (pair ? 2 : 1) >= chars)
            break;
        if (pair) {
            StoreLE16(field + 2 * at++, static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            StoreLE16(field + 2 * at++, static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            StoreLE16(field + 2 * at++, static_cast<uint16_t>(c));
        }
    }
}

} // namespace

void FillPluginRecord(uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE], const _KS_VOLUME& volume, unsigned letter,
                      const wchar_t* password, const wchar_t* imagePath)
{
    std::memset(record, 0, sizeof record);
    StoreLE32(record, ZEDISK_PLUGIN_RECORD_SIZE);
    StoreLE32(record + ZEDISK_RECORD_DISK_ID, MountDiskId(volume, letter));
    std::memcpy(record + ZEDISK_RECORD_VOLUME, &volume, sizeof volume);
    record[ZEDISK_RECORD_LETTER] = static_cast<uint8_t>(letter);
    StoreLE64(record + ZEDISK_RECORD_SECTORS, MountDiskSectors(volume.TotalSectors));
    PutUtf16(record + ZEDISK_RECORD_PASSWORD, ZEDISK_PASSWORD_CHARS, password);
    PutUtf16(record + ZEDISK_RECORD_PATH, ZEDISK_PATH_CHARS, imagePath);
}

uint32_t RecordDiskId(const uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE])
{
    return LoadLE32(record + ZEDISK_RECORD_DISK_ID);
}
