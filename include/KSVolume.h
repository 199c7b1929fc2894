// The volume record: the 256-byte description of one volume, written by the
// file-system readers and the engines, stored whole in an image file's volume list
// and passed between every engine, the command channel and the console.
// The in-memory layout equals the on-disk layout (all fields naturally aligned);
// the codecs below still move it field by field so that the byte order is explicit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

enum : uint32_t {
    KS_VOLUME_MAGIC = 0x4D4C4F56, // "VOLM"
    KS_VOLUME_SIZE = 256,
    KS_FILTERS_MAGIC = 0x52544C46, // "FLTR"
};

// File-system kind numbers, as the engines number them.
enum : uint8_t {
    KS_FS_FAT12 = 1,
    KS_FS_FAT16 = 2,
    KS_FS_FAT32 = 3,
    KS_FS_NTFS = 4,
    KS_FS_OTHER = 255,
};

// Volume flag bits (+17).
enum : uint8_t {
    KS_VOLFLAG_ACTIVE = 0x01,
    KS_VOLFLAG_PART_BIT2 = 0x02,
    KS_VOLFLAG_PART_BIT1 = 0x04,
    KS_VOLFLAG_HIDDEN = 0x08,
    KS_VOLFLAG_DYNAMIC = 0x10,
    KS_VOLFLAG_PRIMARY = 0x20,
    KS_VOLFLAG_NO_FS_READER = 0x40,
    KS_VOLFLAG_ALL_SECTORS = 0x80,
};

struct _KS_VOLUME {
    uint32_t Magic;              // +0   "VOLM"
    uint32_t Size;               // +4   256
    uint16_t VolumeNumber;       // +8   position in the image's volume list
    uint16_t SectorsPerCluster;  // +10  never 0
    uint16_t DiskNumber;         // +12
    uint16_t PartitionNumber;    // +14
    uint8_t DriveLetter;         // +16  0 = A
    uint8_t Flags;               // +17  KS_VOLFLAG_*
    uint8_t FileSystem;          // +18  KS_FS_*
    uint8_t Reserved19;          // +19
    uint32_t PartitionStartLow;  // +20  first sector of the partition, low 32 bits
    uint32_t BytesPerSector;     // +24  non-zero multiple of 512
    uint16_t PreVolumeSectors;   // +28  sectors stored from just before the volume
    uint16_t ReservedSectors;    // +30  FAT boot area; NTFS 0
    uint32_t SectorsPerFat;      // +32
    uint16_t RootDirSectors;     // +36  FAT12/16 only
    uint8_t NumberOfFats;        // +38
    uint8_t PartitionType;       // +39  partition-table type id
    uint32_t BitmapSize;         // +40  cluster bitmap size in bytes
    uint8_t EngineData[4];       // +44  filled by the engines, carried unchanged
    uint64_t TotalSectors;       // +48
    uint64_t UsedSectors;        // +56
    char16_t Label[64];          // +64  volume label, UTF-16
    uint64_t RunIndexOffset;     // +192 stream offset of the run index
    uint32_t RunIndexRawSize;    // +200
    uint32_t RunIndexStoredSize; // +204
    uint64_t StartLessHidden;    // +208 first sector minus hidden sectors
    uint64_t HiddenPlusTotal;    // +216 hidden sectors plus total sectors
    uint64_t PartitionStart;     // +224 first sector of the partition
    uint32_t ArcNumbers;         // +232
    uint32_t DiskSignature;      // +236
    uint32_t Heads;              // +240 tracks per cylinder
    uint32_t SectorsPerTrack;    // +244
    uint8_t Reserved248[8];      // +248
};
static_assert(sizeof(_KS_VOLUME) == 256, "_KS_VOLUME is 256 bytes");
static_assert(offsetof(_KS_VOLUME, SectorsPerCluster) == 10, "layout");
static_assert(offsetof(_KS_VOLUME, DriveLetter) == 16, "layout");
static_assert(offsetof(_KS_VOLUME, PartitionStartLow) == 20, "layout");
static_assert(offsetof(_KS_VOLUME, PreVolumeSectors) == 28, "layout");
static_assert(offsetof(_KS_VOLUME, SectorsPerFat) == 32, "layout");
static_assert(offsetof(_KS_VOLUME, RootDirSectors) == 36, "layout");
static_assert(offsetof(_KS_VOLUME, BitmapSize) == 40, "layout");
static_assert(offsetof(_KS_VOLUME, TotalSectors) == 48, "layout");
static_assert(offsetof(_KS_VOLUME, UsedSectors) == 56, "layout");
static_assert(offsetof(_KS_VOLUME, Label) == 64, "layout");
static_assert(offsetof(_KS_VOLUME, RunIndexOffset) == 192, "layout");
static_assert(offsetof(_KS_VOLUME, RunIndexStoredSize) == 204, "layout");
static_assert(offsetof(_KS_VOLUME, StartLessHidden) == 208, "layout");
static_assert(offsetof(_KS_VOLUME, ArcNumbers) == 232, "layout");
static_assert(offsetof(_KS_VOLUME, SectorsPerTrack) == 244, "layout");

// Head of the filters blob; the rest of the blob is built by the backup engine.
struct _KS_FILTERS_HEAD {
    uint32_t Tag;    // +0 read by no module
    uint32_t Length; // +4 total byte length of the blob, head included
};
static_assert(sizeof(_KS_FILTERS_HEAD) == 8, "_KS_FILTERS_HEAD is 8 bytes");

inline void KSVolumeToBytes(const _KS_VOLUME& v, unsigned char out[KS_VOLUME_SIZE])
{
    LEWriter w(out);
    w.U32(v.Magic); w.U32(v.Size); w.U16(v.VolumeNumber); w.U16(v.SectorsPerCluster);
    w.U16(v.DiskNumber); w.U16(v.PartitionNumber); w.U8(v.DriveLetter); w.U8(v.Flags);
    w.U8(v.FileSystem); w.U8(v.Reserved19); w.U32(v.PartitionStartLow); w.U32(v.BytesPerSector);
    w.U16(v.PreVolumeSectors); w.U16(v.ReservedSectors); w.U32(v.SectorsPerFat);
    w.U16(v.RootDirSectors); w.U8(v.NumberOfFats); w.U8(v.PartitionType); w.U32(v.BitmapSize);
    w.Bytes(v.EngineData, 4); w.U64(v.TotalSectors); w.U64(v.UsedSectors); w.Utf16(v.Label, 64);
    w.U64(v.RunIndexOffset); w.U32(v.RunIndexRawSize); w.U32(v.RunIndexStoredSize);
    w.U64(v.StartLessHidden); w.U64(v.HiddenPlusTotal); w.U64(v.PartitionStart);
    w.U32(v.ArcNumbers); w.U32(v.DiskSignature); w.U32(v.Heads); w.U32(v.SectorsPerTrack);
    w.Bytes(v.Reserved248, 8);
}

inline void KSVolumeFromBytes(const unsigned char in[KS_VOLUME_SIZE], _KS_VOLUME& v)
{
    LEReader r(in);
    v.Magic = r.U32(); v.Size = r.U32(); v.VolumeNumber = r.U16(); v.SectorsPerCluster = r.U16();
    v.DiskNumber = r.U16(); v.PartitionNumber = r.U16(); v.DriveLetter = r.U8(); v.Flags = r.U8();
    v.FileSystem = r.U8(); v.Reserved19 = r.U8(); v.PartitionStartLow = r.U32(); v.BytesPerSector = r.U32();
    v.PreVolumeSectors = r.U16(); v.ReservedSectors = r.U16(); v.SectorsPerFat = r.U32();
    v.RootDirSectors = r.U16(); v.NumberOfFats = r.U8(); v.PartitionType = r.U8(); v.BitmapSize = r.U32();
    r.Bytes(v.EngineData, 4); v.TotalSectors = r.U64(); v.UsedSectors = r.U64(); r.Utf16(v.Label, 64);
    v.RunIndexOffset = r.U64(); v.RunIndexRawSize = r.U32(); v.RunIndexStoredSize = r.U32();
    v.StartLessHidden = r.U64(); v.HiddenPlusTotal = r.U64(); v.PartitionStart = r.U64();
    v.ArcNumbers = r.U32(); v.DiskSignature = r.U32(); v.Heads = r.U32(); v.SectorsPerTrack = r.U32();
    r.Bytes(v.Reserved248, 8);
}
