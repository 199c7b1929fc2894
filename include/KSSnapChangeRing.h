// The change ring: the cache buffer the snapshot client hands to the driver at
// creation. The driver appends the old contents of each block about to be
// overwritten as an entry; the client takes the oldest entry (the head) and unlinks
// it, both under the client's mutex. Offsets are from the start of the buffer (head
// fields) or of the entry, u32 little-endian at odd places, so every field goes
// through the codecs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LittleEndian.h"

// Ring head fields.
constexpr size_t SNAP_RING_FIRST_ENTRY = 1;   // offset of the empty ring's first entry
constexpr size_t SNAP_RING_HEAD = 9;          // offset of the oldest entry
constexpr size_t SNAP_RING_TAIL = 13;         // offset of the newest entry
constexpr size_t SNAP_RING_COUNT = 17;        // number of entries
constexpr size_t SNAP_RING_BYTES_IN_USE = 21;
// Where the driver puts the first entry: past the head fields, at a round offset.
constexpr uint32_t SNAP_RING_HEAD_BYTES = 32;

// Entry fields (SNAP_RING_ENTRY).
constexpr size_t SNAP_ENTRY_FIRST_SECTOR = 8;  // u64
constexpr size_t SNAP_ENTRY_SECTOR_COUNT = 20;
constexpr size_t SNAP_ENTRY_SIZE = 24;         // the entry's bytes, data included
constexpr size_t SNAP_ENTRY_DATA_OFFSET = 28;  // from the entry
constexpr size_t SNAP_ENTRY_PREVIOUS = 32;     // 0 for none
constexpr size_t SNAP_ENTRY_NEXT = 36;         // 0 for none
constexpr size_t SNAP_ENTRY_LAST_FIELD_END = 41;
// Where the driver puts an entry's data: past its fields, at a round offset.
constexpr uint32_t SNAP_ENTRY_HEAD_BYTES = 48;
static_assert(SNAP_ENTRY_HEAD_BYTES >= SNAP_ENTRY_LAST_FIELD_END, "entry data after the entry's fields");

struct SnapRingHead {
    uint32_t FirstEntry = 0;
    uint32_t Head = 0;
    uint32_t Tail = 0;
    uint32_t Count = 0;
    uint32_t BytesInUse = 0;
};

inline SnapRingHead LoadSnapRingHead(const unsigned char* ring)
{
    SnapRingHead h;
    h.FirstEntry = LoadLE32(ring + SNAP_RING_FIRST_ENTRY);
    h.Head = LoadLE32(ring + SNAP_RING_HEAD);
    h.Tail = LoadLE32(ring + SNAP_RING_TAIL);
    h.Count = LoadLE32(ring + SNAP_RING_COUNT);
    h.BytesInUse = LoadLE32(ring + SNAP_RING_BYTES_IN_USE);
    return h;
}
inline void StoreSnapRingHead(unsigned char* ring, const SnapRingHead& h)
{
    StoreLE32(ring + SNAP_RING_FIRST_ENTRY, h.FirstEntry);
    StoreLE32(ring + SNAP_RING_HEAD, h.Head);
    StoreLE32(ring + SNAP_RING_TAIL, h.Tail);
    StoreLE32(ring + SNAP_RING_COUNT, h.Count);
    StoreLE32(ring + SNAP_RING_BYTES_IN_USE, h.BytesInUse);
}

struct SnapRingEntry {
    uint64_t FirstSector = 0;
    uint32_t SectorCount = 0;
    uint32_t Size = 0;
    uint32_t DataOffset = 0;
    uint32_t Previous = 0;
    uint32_t Next = 0;
};

inline SnapRingEntry LoadSnapRingEntry(const unsigned char* entry)
{
    SnapRingEntry e;
    e.FirstSector = LoadLE64(entry + SNAP_ENTRY_FIRST_SECTOR);
    e.SectorCount = LoadLE32(entry + SNAP_ENTRY_SECTOR_COUNT);
    e.Size = LoadLE32(entry + SNAP_ENTRY_SIZE);
    e.DataOffset = LoadLE32(entry + SNAP_ENTRY_DATA_OFFSET);
    e.Previous = LoadLE32(entry + SNAP_ENTRY_PREVIOUS);
    e.Next = LoadLE32(entry + SNAP_ENTRY_NEXT);
    return e;
}
inline void StoreSnapRingEntry(unsigned char* entry, const SnapRingEntry& e)
{
    StoreLE32(entry + 4, 0);
    StoreLE64(entry + SNAP_ENTRY_FIRST_SECTOR, e.FirstSector);
    StoreLE32(entry + 16, 0);
    StoreLE32(entry + SNAP_ENTRY_SECTOR_COUNT, e.SectorCount);
    StoreLE32(entry + SNAP_ENTRY_SIZE, e.Size);
    StoreLE32(entry + SNAP_ENTRY_DATA_OFFSET, e.DataOffset);
    StoreLE32(entry + SNAP_ENTRY_PREVIOUS, e.Previous);
    StoreLE32(entry + SNAP_ENTRY_NEXT, e.Next);
    entry[40] = 0;
}

// Unlinks the entry at offset from the ring (the caller holds the ring's mutex): the
// count drops; the last entry out empties the ring, otherwise its neighbours are
// linked to each other and head or tail takes over where one is missing.
inline void UnlinkSnapRingEntry(unsigned char* ring, uint32_t offset)
{
    SnapRingHead head = LoadSnapRingHead(ring);
    const SnapRingEntry entry = LoadSnapRingEntry(ring + offset);
    if (head.Count <= 1) {
        head.Count = 0;
        head.Head = head.Tail = head.FirstEntry;
        head.BytesInUse = 0;
    } else {
        --head.Count;
        if (entry.Previous != 0)
            StoreLE32(ring + entry.Previous + SNAP_ENTRY_NEXT, entry.Next);
        else
            head.Head = entry.Next;
        if (entry.Next != 0)
            StoreLE32(ring + entry.Next + SNAP_ENTRY_PREVIOUS, entry.Previous);
        else
            head.Tail = entry.Previous;
        head.BytesInUse = head.BytesInUse >= entry.Size ? head.BytesInUse - entry.Size : 0;
    }
    StoreSnapRingHead(ring, head);
}
