// The records a caller hands to the backup engine: the options, the source list and
// its volume items. They travel inside command records between modules, so their
// layouts are exchange formats: little-endian, UTF-16 text (char16_t), fixed offsets.
// The engine copies them out of the caller's bytes with the codecs below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "LittleEndian.h"

enum : uint32_t {
    KS_BACKUP_OPTION_SIZE = 2720,
    KS_BACKUP_PATH_CHARS = 260,
    KS_BACKUP_PASSWORD_CHARS = 64,
    KS_BACKUP_COMMENT_CHARS = 1024,
    KS_BACKUP_SOURCE_HEAD_SIZE = 20,
    KS_VOLUME_ITEM_SIZE = 76,
    KS_VOLUME_ITEM_WORDS = 19,
};

// Storage types of the options (+20).
enum : uint32_t {
    KS_STORAGE_NONE = 0,   // a file target without storage bits
    KS_STORAGE_FILE = 16,
    KS_STORAGE_DISC = 32,  // optical disc
    KS_STORAGE_FILE2 = 48,
};

struct _KS_BACKUP_OPTION {
    uint32_t Size;                                // +0    at least 2,720
    uint32_t SectorBySector;                      // +4    non-zero copies every sector
    uint32_t CompressLevel;                       // +8
    uint32_t SplitMiB;                            // +12   file targets
    uint32_t Encrypt;                             // +16   only logged: the password decides
    uint32_t StorageType;                         // +20   KS_STORAGE_*
    char16_t ImagePath[KS_BACKUP_PATH_CHARS];     // +24   must not be empty
    char16_t Password[KS_BACKUP_PASSWORD_CHARS];  // +544  empty for none
    char16_t Comment[KS_BACKUP_COMMENT_CHARS];    // +672
};
static_assert(sizeof(_KS_BACKUP_OPTION) == KS_BACKUP_OPTION_SIZE, "_KS_BACKUP_OPTION is 2,720 bytes");
static_assert(offsetof(_KS_BACKUP_OPTION, StorageType) == 20, "layout");
static_assert(offsetof(_KS_BACKUP_OPTION, ImagePath) == 24, "layout");
static_assert(offsetof(_KS_BACKUP_OPTION, Password) == 544, "layout");
static_assert(offsetof(_KS_BACKUP_OPTION, Comment) == 672, "layout");

// One partition of one disk to back up.
struct _KS_VOLUME_ITEM {
    uint32_t CallerWords[16]; // +0  carried unchanged, read by no reader
    uint32_t DiskNumber;      // +64 index for the disk enumeration module
    uint32_t PartitionNumber; // +68
    uint32_t CheckDiskError;  // +72 non-zero: copy the volume sector by sector
};
static_assert(sizeof(_KS_VOLUME_ITEM) == KS_VOLUME_ITEM_SIZE, "_KS_VOLUME_ITEM is 76 bytes");
static_assert(offsetof(_KS_VOLUME_ITEM, DiskNumber) == 64, "layout");
static_assert(offsetof(_KS_VOLUME_ITEM, CheckDiskError) == 72, "layout");

// Head of the source record; Count items of 76 bytes follow it.
struct _KS_BACKUP_SOURCE {
    uint32_t Size;      // +0  the whole record, at least 20 + 76 x Count
    uint32_t Reserved4; // +4
    uint32_t SetMode;   // +8  0 new set, 1 append a version, 2 append after a reopen
    int32_t Priority;   // +12 2, 1, 0, -1, -2; anything else is normal
    uint32_t Count;     // +16 at least 1
};
static_assert(sizeof(_KS_BACKUP_SOURCE) == KS_BACKUP_SOURCE_HEAD_SIZE, "_KS_BACKUP_SOURCE head is 20 bytes");

inline void KSBackupOptionFromBytes(const unsigned char* in, _KS_BACKUP_OPTION& o)
{
    LEReader r(in);
    o.Size = r.U32(); o.SectorBySector = r.U32(); o.CompressLevel = r.U32(); o.SplitMiB = r.U32();
    o.Encrypt = r.U32(); o.StorageType = r.U32();
    r.Utf16(o.ImagePath, KS_BACKUP_PATH_CHARS); r.Utf16(o.Password, KS_BACKUP_PASSWORD_CHARS);
    r.Utf16(o.Comment, KS_BACKUP_COMMENT_CHARS);
}

inline void KSBackupOptionToBytes(const _KS_BACKUP_OPTION& o, unsigned char* out)
{
    LEWriter w(out);
    w.U32(o.Size); w.U32(o.SectorBySector); w.U32(o.CompressLevel); w.U32(o.SplitMiB);
    w.U32(o.Encrypt); w.U32(o.StorageType);
    w.Utf16(o.ImagePath, KS_BACKUP_PATH_CHARS); w.Utf16(o.Password, KS_BACKUP_PASSWORD_CHARS);
    w.Utf16(o.Comment, KS_BACKUP_COMMENT_CHARS);
}

inline void KSVolumeItemFromBytes(const unsigned char* in, _KS_VOLUME_ITEM& item)
{
    LEReader r(in);
    for (uint32_t& word : item.CallerWords)
        word = r.U32();
    item.DiskNumber = r.U32(); item.PartitionNumber = r.U32(); item.CheckDiskError = r.U32();
}

inline void KSVolumeItemToBytes(const _KS_VOLUME_ITEM& item, unsigned char* out)
{
    LEWriter w(out);
    for (uint32_t word : item.CallerWords)
        w.U32(word);
    w.U32(item.DiskNumber); w.U32(item.PartitionNumber); w.U32(item.CheckDiskError);
}

inline void KSBackupSourceFromBytes(const unsigned char* in, _KS_BACKUP_SOURCE& s)
{
    LEReader r(in);
    s.Size = r.U32(); s.Reserved4 = r.U32(); s.SetMode = r.U32();
    s.Priority = static_cast<int32_t>(r.U32()); s.Count = r.U32();
}

inline void KSBackupSourceToBytes(const _KS_BACKUP_SOURCE& s, unsigned char* out)
{
    LEWriter w(out);
    w.U32(s.Size); w.U32(s.Reserved4); w.U32(s.SetMode); w.U32(static_cast<uint32_t>(s.Priority)); w.U32(s.Count);
}

// A UTF-16 field as wide text, read only up to its width (a field without a NUL
// ends at its last unit). Surrogate pairs are joined where wchar_t holds 4 bytes.
inline std::wstring KSWideFromField(const char16_t* field, size_t units)
{
    std::wstring out;
    for (size_t i = 0; i < units && field[i] != 0; ++i) {
        char32_t c = field[i];
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < units && field[i + 1] >= 0xDC00 &&
            field[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (field[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

// Wide text into a UTF-16 field of the given width, cut to width - 1 units and NUL-ended.
inline void KSFieldFromWide(const std::wstring& text, char16_t* field, size_t units)
{
    size_t n = 0;
    for (wchar_t wc : text) {
        const char32_t c = static_cast<char32_t>(wc);
        if (c >= 0x10000) {
            if (n + 2 >= units)
                break;
            field[n++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            field[n++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            if (n + 1 >= units)
                break;
            field[n++] = static_cast<char16_t>(c);
        }
    }
    for (; n < units; ++n)
        field[n] = 0;
}
