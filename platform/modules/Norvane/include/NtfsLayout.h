// Byte layouts of the NTFS structures this layer reads. The structs mirror the
// on-disk records field for field (little-endian, naturally aligned); they are
// filled through the little-endian codecs, never by casting onto a buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

// Boot sector (sector 0 of the volume): its fields are not aligned, so only their
// offsets are named.
enum : size_t {
    NTFS_BOOT_OEM_ID = 3,                  // 8 bytes "NTFS    "
    NTFS_BOOT_BYTES_PER_SECTOR = 11,       // u16
    NTFS_BOOT_SECTORS_PER_CLUSTER = 13,    // u8; 0xF4..0xFF mean 2^(256 - value)
    NTFS_BOOT_TOTAL_SECTORS = 40,          // u64
    NTFS_BOOT_MFT_LCN = 48,                // u64
    NTFS_BOOT_MFTMIRR_LCN = 56,            // u64
    NTFS_BOOT_CLUSTERS_PER_RECORD = 64,    // i8; negative: 2^-value bytes
    NTFS_BOOT_CLUSTERS_PER_INDEX = 68,     // i8; same coding
    NTFS_BOOT_SERIAL = 72,                 // u64
    NTFS_BOOT_END_MARKER = 510,            // u16 0xAA55
};

// Well-known file records.
enum : uint64_t {
    NTFS_FILE_MFT = 0,
    NTFS_FILE_MFTMIRR = 1,
    NTFS_FILE_ROOT = 5,
    NTFS_FILE_BITMAP = 6,
    NTFS_FILE_BOOT = 7,
    NTFS_FILE_BADCLUS = 8,
};

// Attribute types.
enum : uint32_t {
    NTFS_AT_STANDARD_INFORMATION = 0x10,
    NTFS_AT_ATTRIBUTE_LIST = 0x20,
    NTFS_AT_FILE_NAME = 0x30,
    NTFS_AT_DATA = 0x80,
    NTFS_AT_INDEX_ROOT = 0x90,
    NTFS_AT_INDEX_ALLOCATION = 0xA0,
    NTFS_AT_BITMAP = 0xB0,
    NTFS_AT_END = 0xFFFFFFFF,
};

enum : uint32_t {
    NTFS_FILE_MAGIC = 0x454C4946, // "FILE"
    NTFS_INDX_MAGIC = 0x58444E49, // "INDX"
};

// A file reference: record number in the low 48 bits, sequence number above.
constexpr uint64_t NtfsRecordNumber(uint64_t reference) { return reference & 0xFFFFFFFFFFFFull; }
constexpr uint16_t NtfsSequenceNumber(uint64_t reference) { return static_cast<uint16_t>(reference >> 48); }

// Head of a file record ("FILE").
struct NtfsFileRecordHeader {
    uint32_t Magic;               // +0
    uint16_t UpdateSequenceOffset;// +4
    uint16_t UpdateSequenceCount; // +6
    uint64_t LogSequenceNumber;   // +8
    uint16_t SequenceNumber;      // +16
    uint16_t LinkCount;           // +18
    uint16_t AttributesOffset;    // +20
    uint16_t Flags;               // +22 NTFS_RECORD_IN_USE, NTFS_RECORD_IS_DIRECTORY
    uint32_t BytesInUse;          // +24
    uint32_t BytesAllocated;      // +28
    uint64_t BaseRecord;          // +32 0 for a base record
    uint16_t NextAttributeId;     // +40
    uint16_t Reserved;            // +42
    uint32_t RecordNumber;        // +44
};
static_assert(sizeof(NtfsFileRecordHeader) == 48, "file record head is 48 bytes");
static_assert(offsetof(NtfsFileRecordHeader, AttributesOffset) == 20, "layout");
static_assert(offsetof(NtfsFileRecordHeader, BaseRecord) == 32, "layout");
static_assert(offsetof(NtfsFileRecordHeader, RecordNumber) == 44, "layout");

enum : uint16_t { NTFS_RECORD_IN_USE = 0x0001, NTFS_RECORD_IS_DIRECTORY = 0x0002 };

inline NtfsFileRecordHeader NtfsDecodeFileRecordHeader(const unsigned char* p)
{
    LEReader r(p);
    NtfsFileRecordHeader h;
    h.Magic = r.U32(); h.UpdateSequenceOffset = r.U16(); h.UpdateSequenceCount = r.U16();
    h.LogSequenceNumber = r.U64(); h.SequenceNumber = r.U16(); h.LinkCount = r.U16();
    h.AttributesOffset = r.U16(); h.Flags = r.U16(); h.BytesInUse = r.U32(); h.BytesAllocated = r.U32();
    h.BaseRecord = r.U64(); h.NextAttributeId = r.U16(); h.Reserved = r.U16(); h.RecordNumber = r.U32();
    return h;
}

// Head common to every attribute.
struct NtfsAttributeHeader {
    uint32_t Type;          // +0
    uint32_t Length;        // +4
    uint8_t NonResident;    // +8
    uint8_t NameLength;     // +9 in UTF-16 units
    uint16_t NameOffset;    // +10
    uint16_t Flags;         // +12
    uint16_t AttributeId;   // +14
};
static_assert(sizeof(NtfsAttributeHeader) == 16, "attribute head is 16 bytes");

// What follows the head of a resident attribute.
struct NtfsResidentPart {
    uint32_t ValueLength;   // +16
    uint16_t ValueOffset;   // +20
    uint8_t IndexedFlag;    // +22
    uint8_t Reserved;       // +23
};
static_assert(sizeof(NtfsResidentPart) == 8, "resident part is 8 bytes");
enum : size_t { NTFS_RESIDENT_HEADER_SIZE = 24 };

// What follows the head of a non-resident attribute.
struct NtfsNonResidentPart {
    uint64_t LowestVcn;         // +16
    uint64_t HighestVcn;        // +24
    uint16_t MappingPairsOffset;// +32
    uint16_t CompressionUnit;   // +34
    uint32_t Reserved;          // +36
    uint64_t AllocatedSize;     // +40
    uint64_t DataSize;          // +48
    uint64_t InitializedSize;   // +56
};
static_assert(sizeof(NtfsNonResidentPart) == 48, "non-resident part is 48 bytes");
enum : size_t { NTFS_NONRESIDENT_HEADER_SIZE = 64 };

inline NtfsAttributeHeader NtfsDecodeAttributeHeader(const unsigned char* p)
{
    LEReader r(p);
    NtfsAttributeHeader h;
    h.Type = r.U32(); h.Length = r.U32(); h.NonResident = r.U8(); h.NameLength = r.U8();
    h.NameOffset = r.U16(); h.Flags = r.U16(); h.AttributeId = r.U16();
    return h;
}
inline NtfsResidentPart NtfsDecodeResidentPart(const unsigned char* attribute)
{
    LEReader r(attribute + sizeof(NtfsAttributeHeader));
    NtfsResidentPart h;
    h.ValueLength = r.U32(); h.ValueOffset = r.U16(); h.IndexedFlag = r.U8(); h.Reserved = r.U8();
    return h;
}
inline NtfsNonResidentPart NtfsDecodeNonResidentPart(const unsigned char* attribute)
{
    LEReader r(attribute + sizeof(NtfsAttributeHeader));
    NtfsNonResidentPart h;
    h.LowestVcn = r.U64(); h.HighestVcn = r.U64(); h.MappingPairsOffset = r.U16(); h.CompressionUnit = r.U16();
    h.Reserved = r.U32(); h.AllocatedSize = r.U64(); h.DataSize = r.U64(); h.InitializedSize = r.U64();
    return h;
}

// Entry of an attribute list; the name (UTF-16) lies at NameOffset.
struct NtfsAttributeListEntryHeader {
    uint32_t Type;          // +0
    uint16_t Length;        // +4
    uint8_t NameLength;     // +6
    uint8_t NameOffset;     // +7
    uint64_t LowestVcn;     // +8
    uint64_t FileReference; // +16
    uint16_t AttributeId;   // +24
    uint8_t Padding[6];     // +26 (entries are 8-byte aligned)
};
static_assert(sizeof(NtfsAttributeListEntryHeader) == 32, "attribute list entry head");
static_assert(offsetof(NtfsAttributeListEntryHeader, FileReference) == 16, "layout");
enum : size_t { NTFS_ATTRLIST_ENTRY_MIN = 26 };

// Head of an index node, inside $INDEX_ROOT (at value offset 16) and index blocks
// (at offset 24). Entry offsets are counted from the start of this head.
struct NtfsIndexNodeHeader {
    uint32_t EntriesOffset;  // +0
    uint32_t BytesInUse;     // +4
    uint32_t BytesAllocated; // +8
    uint8_t Flags;           // +12
    uint8_t Reserved[3];     // +13
};
static_assert(sizeof(NtfsIndexNodeHeader) == 16, "index node head is 16 bytes");

inline NtfsIndexNodeHeader NtfsDecodeIndexNodeHeader(const unsigned char* p)
{
    LEReader r(p);
    NtfsIndexNodeHeader h;
    h.EntriesOffset = r.U32(); h.BytesInUse = r.U32(); h.BytesAllocated = r.U32(); h.Flags = r.U8();
    r.Bytes(h.Reserved, 3);
    return h;
}

// $INDEX_ROOT value head; the node head follows at +16.
struct NtfsIndexRootHeader {
    uint32_t IndexedType;     // +0
    uint32_t CollationRule;   // +4
    uint32_t IndexBlockSize;  // +8
    uint8_t ClustersPerBlock; // +12
    uint8_t Reserved[3];      // +13
};
static_assert(sizeof(NtfsIndexRootHeader) == 16, "index root head is 16 bytes");
enum : size_t { NTFS_INDEX_BLOCK_NODE_OFFSET = 24 };

// Head of an index entry; the key (for directories a $FILE_NAME value) follows.
struct NtfsIndexEntryHeader {
    uint64_t FileReference; // +0
    uint16_t Length;        // +8
    uint16_t KeyLength;     // +10
    uint16_t Flags;         // +12 NTFS_INDEX_ENTRY_*
    uint16_t Reserved;      // +14
};
static_assert(sizeof(NtfsIndexEntryHeader) == 16, "index entry head is 16 bytes");
enum : uint16_t { NTFS_INDEX_ENTRY_NODE = 0x01, NTFS_INDEX_ENTRY_END = 0x02 };

inline NtfsIndexEntryHeader NtfsDecodeIndexEntryHeader(const unsigned char* p)
{
    LEReader r(p);
    NtfsIndexEntryHeader h;
    h.FileReference = r.U64(); h.Length = r.U16(); h.KeyLength = r.U16(); h.Flags = r.U16(); h.Reserved = r.U16();
    return h;
}

// In a $FILE_NAME value: the name length (u8, UTF-16 units) and the name.
enum : size_t { NTFS_FILE_NAME_LENGTH = 64, NTFS_FILE_NAME_NAME = 66 };
