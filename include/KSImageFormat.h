// Records of the .rvd image set: the head and tail of every image file, the
// directory lists (versions, disc labels, file names), the run index, the index
// chunk and its block entries, and the two in-memory records that the container
// hands to its callers. The volume record and the filters head live in KSVolume.h.
//
// On-disk records are little-endian and byte-exact; they are moved through the
// codecs below, never by casting a pointer onto a file buffer. A 64-bit field at
// an offset that is not a multiple of 8 is kept as two 32-bit halves (with
// accessors), so that the in-memory layout equals the on-disk one without packing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KSVolume.h"
#include "LittleEndian.h"

enum : uint32_t {
    KS_IMG_MAGIC = 0x46474D49,  // "IMGF"
    KS_IMG_VERSION = 0x00010001,
    KS_IMG_HEAD_SIZE = 1256,
    KS_IMG_TAIL_SIZE = 192,
    KS_VERSION_SIZE = 32,
    KS_CDINFO_SIZE = 140,
    KS_IMGNAME_NO_SIZE = 16,
    KS_RIND_MAGIC = 0x444E4952, // "RIND"
    KS_RIND_HEAD_SIZE = 48,
    KS_RIND_ENTRY_SIZE = 28,
    KS_INDX_MAGIC = 0x58444E49, // "INDX"
    KS_INDX_HEAD_SIZE = 16,
    KS_BLOCK_SIZE = 24,
    KS_INDEX_CHUNK_SIZE = 0x8000,
    KS_INDEX_CHUNK_KIB = 32,
    KS_PATH_CHARS = 272,          // wide characters of a path in memory
    KS_HEAD_PATH_UNITS = 260,     // UTF-16 units of the previous file's path in the head
    KS_BASE_NAME_UNITS = 256,     // UTF-16 units of the base name in the head
    KS_LABEL_UNITS = 64,          // UTF-16 units of a disc label text
};

// Head flag bits: a compress and an encrypt bit per blob group.
enum : uint32_t {
    KS_FLAG_COMPRESS_DATA = 0x01,    // data blocks, direct sector runs, pre-volume sectors
    KS_FLAG_COMPRESS_INDEX = 0x02,   // index chunks
    KS_FLAG_COMPRESS_FILTERS = 0x04, // filters and comment
    KS_FLAG_COMPRESS_DIR = 0x08,     // disc labels, versions, file names, volumes
    KS_FLAG_ENCRYPT_DATA = 0x10,
    KS_FLAG_ENCRYPT_INDEX = 0x20,
    KS_FLAG_ENCRYPT_FILTERS = 0x40,
    KS_FLAG_ENCRYPT_DIR = 0x80,
    KS_FLAG_COMPRESS_ALL = 0x0F,
    KS_FLAG_ENCRYPT_ALL = 0xF0,
    KS_FLAG_CONTINUES = 0x1000,      // tail +176 only: the set goes on in a next file
    KS_FLAG_CHAIN = 0xC000,          // version chain bits: set = older versions are needed
};

// Chain bits the writer puts into the version record (never into a head) of a
// version appended with BeginBackup use 1 or use 2.
enum : uint32_t {
    KS_VERSION_NEEDS_OLDER_1 = 0x4000,
    KS_VERSION_NEEDS_OLDER_2 = 0x8000,
};

// The four blob groups; a group's compress bit is (1 << group), its encrypt bit
// (0x10 << group).
enum KSBlobGroup : uint32_t {
    KS_GROUP_DATA = 0,
    KS_GROUP_INDEX = 1,
    KS_GROUP_FILTERS = 2,
    KS_GROUP_DIR = 3,
};

enum : int32_t { KS_TAIL_SET_COMPLETE = -1 };

// Run-index entry length word.
enum : uint32_t {
    KS_RUN_LENGTH_MASK = 0x3FFFFFFF,
    KS_RUN_DIRECT = 0x40000000,   // direct sector run of the system area
    KS_RUN_IN_TEMP = 0x80000000,  // in memory only: chunk moved to the index temp file
    KS_RUN_OPEN_CLUSTER = 0xFFFFFFFF,
};

// Block entry second word: bits 0..9 cluster count, bits 10..31 stored size.
enum : uint32_t {
    KS_BLOCK_COUNT_MASK = 0x3FF,
    KS_BLOCK_SIZE_SHIFT = 10,
};

// Version stamp of a version start, UTC.
struct _KS_TIME_STAMP {
    uint16_t Year;
    uint8_t Month;     // 1..12
    uint8_t Day;
    uint8_t Hour;
    uint8_t Minute;
    uint8_t Second;
    uint8_t DayOfWeek; // 0 = Sunday
};
static_assert(sizeof(_KS_TIME_STAMP) == 8, "_KS_TIME_STAMP is 8 bytes");

struct _KS_IMG_HEAD {
    uint32_t Magic;                          // +0   "IMGF"
    uint32_t HeadSize;                       // +4   1256
    uint32_t Version;                        // +8   0x00010001
    uint32_t Checksum;                       // +12  byte sum with this field 0
    uint8_t SetId[16];                       // +16  GUID of the set
    uint32_t Flags;                          // +32  KS_FLAG_*
    uint8_t Level;                           // +36  zlib level 0..9
    uint8_t ModeBits;                        // +37  BeginBackup mode bits 4..7
    uint8_t CipherMode;                      // +38  0 ECB .. 4 CTR
    uint8_t Reserved39;                      // +39
    uint32_t VersionIndex;                   // +40
    uint32_t FileNumber;                     // +44  position in the set over all versions
    _KS_TIME_STAMP Time;                     // +48
    uint64_t Base;                           // +56  stream offset of the data area
    uint32_t NameNumber;                     // +64
    uint8_t Reserved68[12];                  // +68
    uint8_t PasswordDigest[16];              // +80  MD5 of the password
    uint8_t Reserved96[128];                 // +96
    char16_t PrevPath[KS_HEAD_PATH_UNITS];   // +224 path of the previous file of the set
    char16_t BaseName[KS_BASE_NAME_UNITS];   // +744 base name of the set
};
static_assert(sizeof(_KS_IMG_HEAD) == 1256, "_KS_IMG_HEAD is 1256 bytes");
static_assert(offsetof(_KS_IMG_HEAD, Checksum) == 12, "layout");
static_assert(offsetof(_KS_IMG_HEAD, SetId) == 16, "layout");
static_assert(offsetof(_KS_IMG_HEAD, Flags) == 32, "layout");
static_assert(offsetof(_KS_IMG_HEAD, Level) == 36, "layout");
static_assert(offsetof(_KS_IMG_HEAD, CipherMode) == 38, "layout");
static_assert(offsetof(_KS_IMG_HEAD, VersionIndex) == 40, "layout");
static_assert(offsetof(_KS_IMG_HEAD, Time) == 48, "layout");
static_assert(offsetof(_KS_IMG_HEAD, Base) == 56, "layout");
static_assert(offsetof(_KS_IMG_HEAD, NameNumber) == 64, "layout");
static_assert(offsetof(_KS_IMG_HEAD, PasswordDigest) == 80, "layout");
static_assert(offsetof(_KS_IMG_HEAD, PrevPath) == 224, "layout");
static_assert(offsetof(_KS_IMG_HEAD, BaseName) == 744, "layout");

struct _KS_IMG_TAIL {
    uint8_t Reserved0[68];       // +0
    uint32_t Checksum;           // +68  byte sum with this field 0
    uint32_t NameListPos;        // +72
    uint32_t NameListRaw;        // +76
    uint32_t NameListStored;     // +80
    uint32_t VersionListPos;     // +84
    uint32_t VersionListRaw;     // +88
    uint32_t VersionListStored;  // +92
    uint32_t FiltersPos;         // +96  always 1256
    uint32_t FiltersRaw;         // +100
    uint32_t FiltersStored;      // +104
    uint32_t VolumeListPosLow;   // +108 (64-bit position, see KSTailVolumeListPos)
    uint32_t VolumeListPosHigh;  // +112
    uint32_t VolumeListRaw;      // +116
    uint32_t VolumeListStored;   // +120
    uint32_t LabelListPos;       // +124
    uint32_t LabelCount;         // +128
    uint32_t LabelListRaw;       // +132
    uint32_t LabelListStored;    // +136
    uint32_t CommentPos;         // +140
    uint32_t CommentRaw;         // +144
    uint32_t CommentStored;      // +148
    uint64_t Base;               // +152 equal to head +56
    uint64_t DataLength;         // +160
    uint32_t DataStart;          // +168
    int32_t EndState;            // +172 -1 = set complete, else position in the run
    uint32_t Flags;              // +176 head flags, plus KS_FLAG_CONTINUES
    uint32_t Version;            // +180 0x00010001
    uint32_t TailSize;           // +184 192
    uint32_t Magic;              // +188 "IMGF"
};
static_assert(sizeof(_KS_IMG_TAIL) == 192, "_KS_IMG_TAIL is 192 bytes");
static_assert(offsetof(_KS_IMG_TAIL, Checksum) == 68, "layout");
static_assert(offsetof(_KS_IMG_TAIL, VersionListPos) == 84, "layout");
static_assert(offsetof(_KS_IMG_TAIL, FiltersPos) == 96, "layout");
static_assert(offsetof(_KS_IMG_TAIL, VolumeListPosLow) == 108, "layout");
static_assert(offsetof(_KS_IMG_TAIL, VolumeListRaw) == 116, "layout");
static_assert(offsetof(_KS_IMG_TAIL, LabelListPos) == 124, "layout");
static_assert(offsetof(_KS_IMG_TAIL, CommentPos) == 140, "layout");
static_assert(offsetof(_KS_IMG_TAIL, Base) == 152, "layout");
static_assert(offsetof(_KS_IMG_TAIL, DataStart) == 168, "layout");
static_assert(offsetof(_KS_IMG_TAIL, EndState) == 172, "layout");
static_assert(offsetof(_KS_IMG_TAIL, Flags) == 176, "layout");
static_assert(offsetof(_KS_IMG_TAIL, Magic) == 188, "layout");

struct _KS_VERSION {
    uint32_t Index;       // +0
    uint32_t FirstFile;   // +4  file number of the version's first file
    uint16_t FileCount;   // +8
    uint16_t Reserved10;  // +10
    uint32_t Flags;       // +12 head flags at the version's start; 0xC000 = chain bits
    uint32_t LabelIndex;  // +16 0xFFFFFFFF on hard disk
    uint16_t DiscCount;   // +20
    uint16_t Reserved22;  // +22
    _KS_TIME_STAMP Time;  // +24
};
static_assert(sizeof(_KS_VERSION) == 32, "_KS_VERSION is 32 bytes");
static_assert(offsetof(_KS_VERSION, Flags) == 12, "layout");
static_assert(offsetof(_KS_VERSION, LabelIndex) == 16, "layout");
static_assert(offsetof(_KS_VERSION, DiscCount) == 20, "layout");
static_assert(offsetof(_KS_VERSION, Time) == 24, "layout");

enum : uint32_t { KS_NO_LABEL = 0xFFFFFFFF };

struct _KS_CDINFO {
    uint32_t Index;               // +0
    uint32_t FirstFile;           // +4
    uint16_t FileCount;           // +8
    uint8_t Reserved10[2];        // +10
    char16_t Label[KS_LABEL_UNITS]; // +12
};
static_assert(sizeof(_KS_CDINFO) == 140, "_KS_CDINFO is 140 bytes");
static_assert(offsetof(_KS_CDINFO, Label) == 12, "layout");

struct _KS_IMGNAME_NO {
    uint32_t FileNumber; // +0
    uint32_t NameNumber; // +4 0 = the name has no number
    uint64_t Base;       // +8
};
static_assert(sizeof(_KS_IMGNAME_NO) == 16, "_KS_IMGNAME_NO is 16 bytes");
static_assert(offsetof(_KS_IMGNAME_NO, Base) == 8, "layout");

struct _KS_RIND_HEAD {
    uint32_t Magic;            // +0  "RIND"
    uint32_t HeadSize;         // +4  48
    uint16_t VolumeNumber;     // +8
    uint16_t ChunkKiB;         // +10 32
    uint32_t PreSectors;       // +12 pre-volume sectors stored
    uint64_t PreOffset;        // +16 their stream offset
    uint32_t PreStored;        // +24 their stored size
    uint32_t Reserved28;       // +28
    uint64_t PreCrc;           // +32 CRC-64 of their raw bytes
    uint32_t FirstMaskedEntry; // +40 position of the first entry written with a change mask
    uint32_t Reserved44;       // +44
};
static_assert(sizeof(_KS_RIND_HEAD) == 48, "_KS_RIND_HEAD is 48 bytes");
static_assert(offsetof(_KS_RIND_HEAD, PreOffset) == 16, "layout");
static_assert(offsetof(_KS_RIND_HEAD, PreCrc) == 32, "layout");
static_assert(offsetof(_KS_RIND_HEAD, FirstMaskedEntry) == 40, "layout");

// 28 bytes in arrays, so its 64-bit fields are halves (see the accessors below).
struct _KS_RIND_ENTRY {
    uint32_t First;      // +0  first cluster, or first sector of a direct run
    uint32_t Length;     // +4  bits 0..29 length; KS_RUN_DIRECT; KS_RUN_IN_TEMP
    uint32_t OffsetLow;  // +8  stream offset of the chunk or the sectors
    uint32_t OffsetHigh; // +12
    uint32_t Stored;     // +16 stored size
    uint32_t CrcLow;     // +20 CRC-64 of the raw bytes
    uint32_t CrcHigh;    // +24
};
static_assert(sizeof(_KS_RIND_ENTRY) == 28, "_KS_RIND_ENTRY is 28 bytes");
static_assert(offsetof(_KS_RIND_ENTRY, OffsetLow) == 8, "layout");
static_assert(offsetof(_KS_RIND_ENTRY, Stored) == 16, "layout");
static_assert(offsetof(_KS_RIND_ENTRY, CrcLow) == 20, "layout");

inline uint64_t KSJoin64(uint32_t low, uint32_t high) { return uint64_t(low) | (uint64_t(high) << 32); }
inline uint64_t KSTailVolumeListPos(const _KS_IMG_TAIL& t) { return KSJoin64(t.VolumeListPosLow, t.VolumeListPosHigh); }
inline void KSSetTailVolumeListPos(_KS_IMG_TAIL& t, uint64_t v)
{
    t.VolumeListPosLow = static_cast<uint32_t>(v);
    t.VolumeListPosHigh = static_cast<uint32_t>(v >> 32);
}
inline uint64_t KSRindEntryOffset(const _KS_RIND_ENTRY& e) { return KSJoin64(e.OffsetLow, e.OffsetHigh); }
inline void KSSetRindEntryOffset(_KS_RIND_ENTRY& e, uint64_t v)
{
    e.OffsetLow = static_cast<uint32_t>(v);
    e.OffsetHigh = static_cast<uint32_t>(v >> 32);
}
inline uint64_t KSRindEntryCrc(const _KS_RIND_ENTRY& e) { return KSJoin64(e.CrcLow, e.CrcHigh); }
inline void KSSetRindEntryCrc(_KS_RIND_ENTRY& e, uint64_t v)
{
    e.CrcLow = static_cast<uint32_t>(v);
    e.CrcHigh = static_cast<uint32_t>(v >> 32);
}

struct _KS_INDX_HEAD {
    uint32_t Magic;      // +0  "INDX"
    uint32_t FirstEntry; // +4  16
    uint32_t Used;       // +8  16 + 24 x entries
    uint32_t Reserved;   // +12
};
static_assert(sizeof(_KS_INDX_HEAD) == 16, "_KS_INDX_HEAD is 16 bytes");

struct _KS_BLOCK {
    uint32_t FirstCluster; // +0
    uint32_t CountSize;    // +4  bits 0..9 clusters, bits 10..31 stored size
    uint64_t Offset;       // +8  stream offset of the stored data
    uint64_t Crc;          // +16 CRC-64 of the raw cluster data
};
static_assert(sizeof(_KS_BLOCK) == 24, "_KS_BLOCK is 24 bytes");
static_assert(offsetof(_KS_BLOCK, Offset) == 8, "layout");
static_assert(offsetof(_KS_BLOCK, Crc) == 16, "layout");

inline uint32_t KSBlockClusters(const _KS_BLOCK& b) { return b.CountSize & KS_BLOCK_COUNT_MASK; }
inline uint32_t KSBlockStored(const _KS_BLOCK& b) { return b.CountSize >> KS_BLOCK_SIZE_SHIFT; }

// In memory only: one file of a set. Copy with sizeof, never with a literal size.
struct _KS_IMG {
    uint32_t VersionIndex;          // head +40
    uint32_t FileNumber;            // head +44
    uint64_t Base;                  // tail +152
    uint64_t DataLength;            // tail +160
    wchar_t Path[KS_PATH_CHARS];
};

// In memory only: the description of an open set. Size holds sizeof(_KS_IMG_FILE_INFO).
struct _KS_IMG_FILE_INFO {
    uint32_t Size;
    uint32_t Version;        // head +8
    uint32_t Flags;          // head flags
    uint32_t LastVersion;    // head +40
    uint8_t SetId[16];       // GUID of the set
    uint32_t VersionCount;
    uint32_t LabelCount;
    uint32_t FiltersLength;  // bytes
    uint32_t VolumeCount;    // volumes in the last file's volume list
    uint32_t CommentLength;  // characters, NUL included (a character above U+FFFF counts twice)
    uint32_t NeededFiles;    // files needed to read the last version
};
static_assert(sizeof(_KS_IMG_FILE_INFO) == 56, "_KS_IMG_FILE_INFO is 56 bytes");

// ---- codecs -------------------------------------------------------------------

inline void KSTimeStampToBytes(const _KS_TIME_STAMP& t, LEWriter& w)
{
    w.U16(t.Year); w.U8(t.Month); w.U8(t.Day); w.U8(t.Hour); w.U8(t.Minute); w.U8(t.Second); w.U8(t.DayOfWeek);
}
inline void KSTimeStampFromBytes(LEReader& r, _KS_TIME_STAMP& t)
{
    t.Year = r.U16(); t.Month = r.U8(); t.Day = r.U8(); t.Hour = r.U8(); t.Minute = r.U8(); t.Second = r.U8();
    t.DayOfWeek = r.U8();
}

inline void KSImgHeadToBytes(const _KS_IMG_HEAD& h, unsigned char out[KS_IMG_HEAD_SIZE])
{
    LEWriter w(out);
    w.U32(h.Magic); w.U32(h.HeadSize); w.U32(h.Version); w.U32(h.Checksum); w.Bytes(h.SetId, 16);
    w.U32(h.Flags); w.U8(h.Level); w.U8(h.ModeBits); w.U8(h.CipherMode); w.U8(h.Reserved39);
    w.U32(h.VersionIndex); w.U32(h.FileNumber); KSTimeStampToBytes(h.Time, w); w.U64(h.Base);
    w.U32(h.NameNumber); w.Bytes(h.Reserved68, 12); w.Bytes(h.PasswordDigest, 16); w.Bytes(h.Reserved96, 128);
    w.Utf16(h.PrevPath, KS_HEAD_PATH_UNITS); w.Utf16(h.BaseName, KS_BASE_NAME_UNITS);
}
inline void KSImgHeadFromBytes(const unsigned char in[KS_IMG_HEAD_SIZE], _KS_IMG_HEAD& h)
{
    LEReader r(in);
    h.Magic = r.U32(); h.HeadSize = r.U32(); h.Version = r.U32(); h.Checksum = r.U32(); r.Bytes(h.SetId, 16);
    h.Flags = r.U32(); h.Level = r.U8(); h.ModeBits = r.U8(); h.CipherMode = r.U8(); h.Reserved39 = r.U8();
    h.VersionIndex = r.U32(); h.FileNumber = r.U32(); KSTimeStampFromBytes(r, h.Time); h.Base = r.U64();
    h.NameNumber = r.U32(); r.Bytes(h.Reserved68, 12); r.Bytes(h.PasswordDigest, 16); r.Bytes(h.Reserved96, 128);
    r.Utf16(h.PrevPath, KS_HEAD_PATH_UNITS); r.Utf16(h.BaseName, KS_BASE_NAME_UNITS);
}

inline void KSImgTailToBytes(const _KS_IMG_TAIL& t, unsigned char out[KS_IMG_TAIL_SIZE])
{
    LEWriter w(out);
    w.Bytes(t.Reserved0, 68); w.U32(t.Checksum);
    w.U32(t.NameListPos); w.U32(t.NameListRaw); w.U32(t.NameListStored);
    w.U32(t.VersionListPos); w.U32(t.VersionListRaw); w.U32(t.VersionListStored);
    w.U32(t.FiltersPos); w.U32(t.FiltersRaw); w.U32(t.FiltersStored);
    w.U32(t.VolumeListPosLow); w.U32(t.VolumeListPosHigh); w.U32(t.VolumeListRaw); w.U32(t.VolumeListStored);
    w.U32(t.LabelListPos); w.U32(t.LabelCount); w.U32(t.LabelListRaw); w.U32(t.LabelListStored);
    w.U32(t.CommentPos); w.U32(t.CommentRaw); w.U32(t.CommentStored);
    w.U64(t.Base); w.U64(t.DataLength); w.U32(t.DataStart); w.U32(static_cast<uint32_t>(t.EndState));
    w.U32(t.Flags); w.U32(t.Version); w.U32(t.TailSize); w.U32(t.Magic);
}
inline void KSImgTailFromBytes(const unsigned char in[KS_IMG_TAIL_SIZE], _KS_IMG_TAIL& t)
{
    LEReader r(in);
    r.Bytes(t.Reserved0, 68); t.Checksum = r.U32();
    t.NameListPos = r.U32(); t.NameListRaw = r.U32(); t.NameListStored = r.U32();
    t.VersionListPos = r.U32(); t.VersionListRaw = r.U32(); t.VersionListStored = r.U32();
    t.FiltersPos = r.U32(); t.FiltersRaw = r.U32(); t.FiltersStored = r.U32();
    t.VolumeListPosLow = r.U32(); t.VolumeListPosHigh = r.U32(); t.VolumeListRaw = r.U32(); t.VolumeListStored = r.U32();
    t.LabelListPos = r.U32(); t.LabelCount = r.U32(); t.LabelListRaw = r.U32(); t.LabelListStored = r.U32();
    t.CommentPos = r.U32(); t.CommentRaw = r.U32(); t.CommentStored = r.U32();
    t.Base = r.U64(); t.DataLength = r.U64(); t.DataStart = r.U32(); t.EndState = static_cast<int32_t>(r.U32());
    t.Flags = r.U32(); t.Version = r.U32(); t.TailSize = r.U32(); t.Magic = r.U32();
}

inline void KSVersionToBytes(const _KS_VERSION& v, unsigned char out[KS_VERSION_SIZE])
{
    LEWriter w(out);
    w.U32(v.Index); w.U32(v.FirstFile); w.U16(v.FileCount); w.U16(v.Reserved10); w.U32(v.Flags);
    w.U32(v.LabelIndex); w.U16(v.DiscCount); w.U16(v.Reserved22); KSTimeStampToBytes(v.Time, w);
}
inline void KSVersionFromBytes(const unsigned char in[KS_VERSION_SIZE], _KS_VERSION& v)
{
    LEReader r(in);
    v.Index = r.U32(); v.FirstFile = r.U32(); v.FileCount = r.U16(); v.Reserved10 = r.U16(); v.Flags = r.U32();
    v.LabelIndex = r.U32(); v.DiscCount = r.U16(); v.Reserved22 = r.U16(); KSTimeStampFromBytes(r, v.Time);
}

inline void KSCdInfoToBytes(const _KS_CDINFO& c, unsigned char out[KS_CDINFO_SIZE])
{
    LEWriter w(out);
    w.U32(c.Index); w.U32(c.FirstFile); w.U16(c.FileCount); w.Bytes(c.Reserved10, 2); w.Utf16(c.Label, KS_LABEL_UNITS);
}
inline void KSCdInfoFromBytes(const unsigned char in[KS_CDINFO_SIZE], _KS_CDINFO& c)
{
    LEReader r(in);
    c.Index = r.U32(); c.FirstFile = r.U32(); c.FileCount = r.U16(); r.Bytes(c.Reserved10, 2); r.Utf16(c.Label, KS_LABEL_UNITS);
}

inline void KSImgNameNoToBytes(const _KS_IMGNAME_NO& n, unsigned char out[KS_IMGNAME_NO_SIZE])
{
    LEWriter w(out);
    w.U32(n.FileNumber); w.U32(n.NameNumber); w.U64(n.Base);
}
inline void KSImgNameNoFromBytes(const unsigned char in[KS_IMGNAME_NO_SIZE], _KS_IMGNAME_NO& n)
{
    LEReader r(in);
    n.FileNumber = r.U32(); n.NameNumber = r.U32(); n.Base = r.U64();
}

inline void KSRindHeadToBytes(const _KS_RIND_HEAD& h, unsigned char out[KS_RIND_HEAD_SIZE])
{
    LEWriter w(out);
    w.U32(h.Magic); w.U32(h.HeadSize); w.U16(h.VolumeNumber); w.U16(h.ChunkKiB); w.U32(h.PreSectors);
    w.U64(h.PreOffset); w.U32(h.PreStored); w.U32(h.Reserved28); w.U64(h.PreCrc); w.U32(h.FirstMaskedEntry);
    w.U32(h.Reserved44);
}
inline void KSRindHeadFromBytes(const unsigned char in[KS_RIND_HEAD_SIZE], _KS_RIND_HEAD& h)
{
    LEReader r(in);
    h.Magic = r.U32(); h.HeadSize = r.U32(); h.VolumeNumber = r.U16(); h.ChunkKiB = r.U16(); h.PreSectors = r.U32();
    h.PreOffset = r.U64(); h.PreStored = r.U32(); h.Reserved28 = r.U32(); h.PreCrc = r.U64();
    h.FirstMaskedEntry = r.U32(); h.Reserved44 = r.U32();
}

inline void KSRindEntryToBytes(const _KS_RIND_ENTRY& e, unsigned char out[KS_RIND_ENTRY_SIZE])
{
    LEWriter w(out);
    w.U32(e.First); w.U32(e.Length); w.U32(e.OffsetLow); w.U32(e.OffsetHigh); w.U32(e.Stored); w.U32(e.CrcLow);
    w.U32(e.CrcHigh);
}
inline void KSRindEntryFromBytes(const unsigned char in[KS_RIND_ENTRY_SIZE], _KS_RIND_ENTRY& e)
{
    LEReader r(in);
    e.First = r.U32(); e.Length = r.U32(); e.OffsetLow = r.U32(); e.OffsetHigh = r.U32(); e.Stored = r.U32();
    e.CrcLow = r.U32(); e.CrcHigh = r.U32();
}

inline void KSIndxHeadToBytes(const _KS_INDX_HEAD& h, unsigned char out[KS_INDX_HEAD_SIZE])
{
    LEWriter w(out);
    w.U32(h.Magic); w.U32(h.FirstEntry); w.U32(h.Used); w.U32(h.Reserved);
}
inline void KSIndxHeadFromBytes(const unsigned char in[KS_INDX_HEAD_SIZE], _KS_INDX_HEAD& h)
{
    LEReader r(in);
    h.Magic = r.U32(); h.FirstEntry = r.U32(); h.Used = r.U32(); h.Reserved = r.U32();
}

inline void KSBlockToBytes(const _KS_BLOCK& b, unsigned char out[KS_BLOCK_SIZE])
{
    LEWriter w(out);
    w.U32(b.FirstCluster); w.U32(b.CountSize); w.U64(b.Offset); w.U64(b.Crc);
}
inline void KSBlockFromBytes(const unsigned char in[KS_BLOCK_SIZE], _KS_BLOCK& b)
{
    LEReader r(in);
    b.FirstCluster = r.U32(); b.CountSize = r.U32(); b.Offset = r.U64(); b.Crc = r.U64();
}

// Byte sum of an encoded head or tail with its checksum field (4 bytes at
// checksumOffset) taken as zero.
inline uint32_t KSRecordByteSum(const unsigned char* bytes, size_t size, size_t checksumOffset)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        if (i < checksumOffset || i >= checksumOffset + 4)
            sum += bytes[i];
    return sum;
}
inline uint32_t KSImgHeadChecksum(const unsigned char bytes[KS_IMG_HEAD_SIZE])
{
    return KSRecordByteSum(bytes, KS_IMG_HEAD_SIZE, offsetof(_KS_IMG_HEAD, Checksum));
}
inline uint32_t KSImgTailChecksum(const unsigned char bytes[KS_IMG_TAIL_SIZE])
{
    return KSRecordByteSum(bytes, KS_IMG_TAIL_SIZE, offsetof(_KS_IMG_TAIL, Checksum));
}
