// What the snapshot client and the snapshot driver exchange through device control:
// the control codes and the byte-exact records, little-endian, read and written
// through the codecs below. Handles and addresses travel as 64-bit values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "LittleEndian.h"

// Device type 0x800A, any access. GET_VOLUME_ID goes to the volume device, the others
// to the driver's control device.
constexpr uint32_t IOCTL_SNAP_GET_VOLUME_ID = 0x800A2AC0u;   // buffered, out: u32 volume id
constexpr uint32_t IOCTL_SNAP_QUERY_INFO = 0x800A2ACBu;      // SNAP_DRIVER_INFO in/out
constexpr uint32_t IOCTL_SNAP_CREATE = 0x800A2AD3u;          // SNAP_CREATE_RECORD in/out
constexpr uint32_t IOCTL_SNAP_START = 0x800A2ADBu;           // u64 snapshot id in/out
constexpr uint32_t IOCTL_SNAP_SET_BITMAP = 0x800A2AE3u;      // SNAP_BITMAP_RECORD in/out
constexpr uint32_t IOCTL_SNAP_READ_SNAPSHOT = 0x800A2AEAu;   // SNAP_READ_RECORD in/out
constexpr uint32_t IOCTL_SNAP_CONTROL = 0x800A2AF3u;         // u64 snapshot id in/out
constexpr uint32_t IOCTL_SNAP_STOP = 0x800A2AFBu;            // u64 snapshot id, u32 0 in/out
constexpr uint32_t IOCTL_SNAP_DELETE = 0x800A2B03u;          // u64 snapshot id in/out
constexpr uint32_t IOCTL_SNAP_WRITE_SECTORS = 0x800A2B0Au;   // SNAP_SECTOR_RECORD as the output
constexpr uint32_t IOCTL_SNAP_READ_SECTORS = 0x800A2B12u;    // SNAP_SECTOR_RECORD as the output

// Device type, function and method of each code, as the driver decodes them.
constexpr uint32_t SnapControlDeviceType(uint32_t code) { return code >> 16; }
constexpr uint32_t SnapControlMethod(uint32_t code) { return code & 3u; }
static_assert(SnapControlDeviceType(IOCTL_SNAP_CREATE) == 0x800A, "snapshot device type");
static_assert(SnapControlMethod(IOCTL_SNAP_GET_VOLUME_ID) == 0, "GET_VOLUME_ID is buffered");
static_assert(SnapControlMethod(IOCTL_SNAP_READ_SNAPSHOT) == 2 && SnapControlMethod(IOCTL_SNAP_WRITE_SECTORS) == 2 &&
                  SnapControlMethod(IOCTL_SNAP_READ_SECTORS) == 2,
              "sector transfers use direct output");
static_assert(SnapControlMethod(IOCTL_SNAP_CREATE) == 3, "the others pass their buffers as they are");

constexpr uint32_t SNAP_START_BYTES = 8;
constexpr uint32_t SNAP_CONTROL_BYTES = 8;
constexpr uint32_t SNAP_STOP_BYTES = 12;
constexpr uint32_t SNAP_DELETE_BYTES = 8;

// A pointer or handle as the 64-bit value a record carries, and back.
inline int64_t SnapAddressValue(const void* p) { return static_cast<int64_t>(reinterpret_cast<intptr_t>(p)); }
inline void* SnapAddressPointer(int64_t value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }

// ---------------------------------------------------------------------------
// SNAP_DRIVER_INFO, 132 bytes: u32 value, char[128] driver name.
constexpr size_t SNAP_DRIVER_INFO_BYTES = 132;
constexpr size_t SNAP_DRIVER_NAME_CHARS = 128;

struct SNAP_DRIVER_INFO {
    uint32_t Value = 0;
    char Name[SNAP_DRIVER_NAME_CHARS] = {};
};

inline void StoreSnapDriverInfo(void* out, const SNAP_DRIVER_INFO& info)
{
    LEWriter w(out);
    w.U32(info.Value);
    w.Bytes(info.Name, SNAP_DRIVER_NAME_CHARS);
}
inline SNAP_DRIVER_INFO LoadSnapDriverInfo(const void* in)
{
    SNAP_DRIVER_INFO info;
    LEReader r(in);
    info.Value = r.U32();
    r.Bytes(info.Name, SNAP_DRIVER_NAME_CHARS);
    return info;
}

// ---------------------------------------------------------------------------
// SNAP_CREATE_RECORD, 2,112 bytes.
constexpr size_t SNAP_CREATE_VOLUME_ID = 0;
constexpr size_t SNAP_CREATE_FIRST_SECTOR = 4;
constexpr size_t SNAP_CREATE_SECTOR_COUNT = 12;
constexpr size_t SNAP_CREATE_SEMAPHORE = 20;
constexpr size_t SNAP_CREATE_MUTEX = 28;
constexpr size_t SNAP_CREATE_RING_ADDRESS = 36;
constexpr size_t SNAP_CREATE_RING_SIZE = 44;
constexpr size_t SNAP_CREATE_SECTORS_PER_BIT = 48;
constexpr size_t SNAP_CREATE_VOLUME_PATH = 52;
constexpr size_t SNAP_CREATE_PATH_CHARS = 1024;
constexpr size_t SNAP_CREATE_SNAPSHOT_ID = SNAP_CREATE_VOLUME_PATH + 2 * SNAP_CREATE_PATH_CHARS;
constexpr size_t SNAP_CREATE_SECTOR_SIZE = SNAP_CREATE_SNAPSHOT_ID + 8;
constexpr size_t SNAP_CREATE_RECORD_BYTES = SNAP_CREATE_SECTOR_SIZE + 4;
static_assert(SNAP_CREATE_SNAPSHOT_ID == 2100 && SNAP_CREATE_SECTOR_SIZE == 2108, "create record layout");
static_assert(SNAP_CREATE_RECORD_BYTES == 2112, "create record size");

struct SNAP_CREATE_RECORD {
    uint32_t VolumeId = 0;
    uint64_t FirstSector = 0;
    uint64_t SectorCount = 0;
    int64_t Semaphore = 0;
    int64_t Mutex = 0;
    int64_t RingAddress = 0;
    uint32_t RingSize = 0;
    uint32_t SectorsPerBit = 0;
    char16_t VolumePath[SNAP_CREATE_PATH_CHARS] = {}; // "\??\C:", NUL-terminated
    uint64_t SnapshotId = 0;                          // out
    uint32_t SectorSize = 0;                          // out
};

inline void StoreSnapCreateRecord(void* out, const SNAP_CREATE_RECORD& r)
{
    LEWriter w(out);
    w.U32(r.VolumeId);
    w.U64(r.FirstSector);
    w.U64(r.SectorCount);
    w.U64(static_cast<uint64_t>(r.Semaphore));
    w.U64(static_cast<uint64_t>(r.Mutex));
    w.U64(static_cast<uint64_t>(r.RingAddress));
    w.U32(r.RingSize);
    w.U32(r.SectorsPerBit);
    w.Utf16(r.VolumePath, SNAP_CREATE_PATH_CHARS);
    w.U64(r.SnapshotId);
    w.U32(r.SectorSize);
}
inline SNAP_CREATE_RECORD LoadSnapCreateRecord(const void* in)
{
    SNAP_CREATE_RECORD r;
    LEReader rd(in);
    r.VolumeId = rd.U32();
    r.FirstSector = rd.U64();
    r.SectorCount = rd.U64();
    r.Semaphore = static_cast<int64_t>(rd.U64());
    r.Mutex = static_cast<int64_t>(rd.U64());
    r.RingAddress = static_cast<int64_t>(rd.U64());
    r.RingSize = rd.U32();
    r.SectorsPerBit = rd.U32();
    rd.Utf16(r.VolumePath, SNAP_CREATE_PATH_CHARS);
    r.SnapshotId = rd.U64();
    r.SectorSize = rd.U32();
    return r;
}

// ---------------------------------------------------------------------------
// SNAP_BITMAP_RECORD, 40 bytes: the exchange buffer and the used-block bitmap region.
constexpr size_t SNAP_BITMAP_RECORD_BYTES = 40;

struct SNAP_BITMAP_RECORD {
    uint64_t SnapshotId = 0;
    int64_t ExchangeAddress = 0;
    uint32_t ExchangeSize = 0;
    int64_t BitmapAddress = 0;   // 0 without a bitmap, and so is the rest of the region
    uint32_t BitmapFirstSector = 0;
    uint32_t BitmapBits = 0;
    uint32_t SectorsPerBit = 0;
};

inline void StoreSnapBitmapRecord(void* out, const SNAP_BITMAP_RECORD& r)
{
    LEWriter w(out);
    w.U64(r.SnapshotId);
    w.U64(static_cast<uint64_t>(r.ExchangeAddress));
    w.U32(r.ExchangeSize);
    w.U64(static_cast<uint64_t>(r.BitmapAddress));
    w.U32(r.BitmapFirstSector);
    w.U32(r.BitmapBits);
    w.U32(r.SectorsPerBit);
}
inline SNAP_BITMAP_RECORD LoadSnapBitmapRecord(const void* in)
{
    SNAP_BITMAP_RECORD r;
    LEReader rd(in);
    r.SnapshotId = rd.U64();
    r.ExchangeAddress = static_cast<int64_t>(rd.U64());
    r.ExchangeSize = rd.U32();
    r.BitmapAddress = static_cast<int64_t>(rd.U64());
    r.BitmapFirstSector = rd.U32();
    r.BitmapBits = rd.U32();
    r.SectorsPerBit = rd.U32();
    return r;
}

// ---------------------------------------------------------------------------
// SNAP_READ_RECORD, 30 bytes: a snapshot read into the exchange buffer.
constexpr size_t SNAP_READ_RECORD_BYTES = 30;

struct SNAP_READ_RECORD {
    uint64_t SnapshotId = 0;
    uint64_t FirstSector = 0;
    uint32_t SectorCount = 0;  // out: sectors delivered
    uint32_t VolumeId = 0;
    uint32_t OutValue = 0;     // out: kept by the client
    uint8_t OutFlag = 0;       // out
    uint8_t Flag = 0;          // the caller's flag
};

inline void StoreSnapReadRecord(void* out, const SNAP_READ_RECORD& r)
{
    LEWriter w(out);
    w.U64(r.SnapshotId);
    w.U64(r.FirstSector);
    w.U32(r.SectorCount);
    w.U32(r.VolumeId);
    w.U32(r.OutValue);
    w.U8(r.OutFlag);
    w.U8(r.Flag);
}
inline SNAP_READ_RECORD LoadSnapReadRecord(const void* in)
{
    SNAP_READ_RECORD r;
    LEReader rd(in);
    r.SnapshotId = rd.U64();
    r.FirstSector = rd.U64();
    r.SectorCount = rd.U32();
    r.VolumeId = rd.U32();
    r.OutValue = rd.U32();
    r.OutFlag = rd.U8();
    r.Flag = rd.U8();
    return r;
}

// ---------------------------------------------------------------------------
// SNAP_SECTOR_RECORD: a 16-byte head (u32 volume id, u32 count n, u64 first sector)
// followed by n sectors of data.
constexpr size_t SNAP_SECTOR_HEAD_BYTES = 16;

struct SNAP_SECTOR_HEAD {
    uint32_t VolumeId = 0;
    uint32_t SectorCount = 0;
    uint64_t FirstSector = 0;
};

inline void StoreSnapSectorHead(void* out, const SNAP_SECTOR_HEAD& h)
{
    LEWriter w(out);
    w.U32(h.VolumeId);
    w.U32(h.SectorCount);
    w.U64(h.FirstSector);
}
inline SNAP_SECTOR_HEAD LoadSnapSectorHead(const void* in)
{
    SNAP_SECTOR_HEAD h;
    LEReader r(in);
    h.VolumeId = r.U32();
    h.SectorCount = r.U32();
    h.FirstSector = r.U64();
    return h;
}
