// One stored run of the urgent-block store: where its sectors lie on the volume and
// where their bytes are kept (the memory pool or the spill space). 28 bytes inside a
// tree entry, read and written through the codecs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

enum : uint32_t {
    URG_IN_POOL = 0,
    URG_IN_SPILL = 1,
};

struct URG_EXTENT {
    uint64_t FirstSector = 0;
    uint32_t SectorCount = 0;
    uint32_t Kind = URG_IN_POOL;
    uint64_t Position = 0;    // byte offset in the pool or in the spill space
    uint32_t ByteLength = 0;  // SectorCount × 512

    uint64_t End() const { return FirstSector + SectorCount; }
    bool Overlaps(uint64_t first, uint64_t count) const { return FirstSector < first + count && first < End(); }
};

constexpr size_t URG_EXTENT_BYTES = 28;

inline void StoreUrgExtent(unsigned char* out, const URG_EXTENT& e)
{
    LEWriter w(out);
    w.U64(e.FirstSector);
    w.U32(e.SectorCount);
    w.U32(e.Kind);
    w.U64(e.Position);
    w.U32(e.ByteLength);
}

inline URG_EXTENT LoadUrgExtent(const unsigned char* in)
{
    URG_EXTENT e;
    LEReader r(in);
    e.FirstSector = r.U64();
    e.SectorCount = r.U32();
    e.Kind = r.U32();
    e.Position = r.U64();
    e.ByteLength = r.U32();
    return e;
}
