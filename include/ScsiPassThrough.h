// The SCSI pass-through buffer the burner and the drive tool send with
// IOCTL_SCSI_PASS_THROUGH, and the optical-drive model reads: one buffer serves as
// input and output, a 44-byte header (the 32-bit layout) with the sense bytes and the
// data behind it at the offsets the header names. Byte-exact, read and written
// through these codecs only.
#pragma once

#include <cstdint>
#include <cstring>

#include "LittleEndian.h"

enum : uint32_t {
    KS_IOCTL_SCSI_PASS_THROUGH = 0x4D004,
    KS_IOCTL_SCSI_GET_ADDRESS = 0x41018,
    KS_IOCTL_STORAGE_QUERY_PROPERTY = 0x2D1400,
};

namespace scsi_pt {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kBufferBytes = 592;
constexpr uint32_t kSenseOffset = 48;
constexpr uint32_t kDataOffset = 80;
constexpr uint32_t kMaxData = kBufferBytes - kDataOffset;
constexpr uint8_t kDataIn = 1;

// Header field offsets.
enum : uint32_t {
    kLength = 0,          // u16
    kScsiStatus = 2,      // u8
    kPathId = 3,
    kTargetId = 4,
    kLun = 5,
    kCdbLength = 6,
    kSenseLength = 7,
    kDirection = 8,
    kTransferLength = 12, // u32
    kTimeOut = 16,        // u32, seconds
    kDataOffsetField = 20,
    kSenseOffsetField = 24,
    kCdb = 28,            // 16 bytes
};

struct Request {
    uint8_t cdb[16] = {};
    uint8_t cdbLength = 10;
    uint8_t senseLength = 32;
    uint32_t transferLength = 512;
    uint32_t timeOutSeconds = 20;
    uint8_t pathId = 0, targetId = 0, lun = 0;
};

inline void Encode(const Request& request, uint8_t (&buffer)[kBufferBytes])
{
    std::memset(buffer, 0, kBufferBytes);
    StoreLE16(buffer + kLength, kHeaderBytes);
    buffer[kPathId] = request.pathId;
    buffer[kTargetId] = request.targetId;
    buffer[kLun] = request.lun;
    buffer[kCdbLength] = request.cdbLength;
    buffer[kSenseLength] = request.senseLength;
    buffer[kDirection] = kDataIn;
    StoreLE32(buffer + kTransferLength, request.transferLength);
    StoreLE32(buffer + kTimeOut, request.timeOutSeconds);
    StoreLE32(buffer + kDataOffsetField, kDataOffset);
    StoreLE32(buffer + kSenseOffsetField, kSenseOffset);
    std::memcpy(buffer + kCdb, request.cdb, sizeof request.cdb);
}

inline uint32_t LoadBE32(const uint8_t* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t LoadBE24(const uint8_t* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]; }
inline uint16_t LoadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline void StoreBE32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
inline void StoreBE16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

} // namespace scsi_pt
