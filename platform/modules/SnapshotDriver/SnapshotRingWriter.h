// The driver's side of a client's change ring: finds room for a new entry after the
// newest one (wrapping to the first entry's place when the end is reached, never
// over the oldest entry still linked) and appends it. The caller holds the client's
// ring mutex.
#pragma once

#include <cstdint>

class SnapshotRingWriter {
public:
    SnapshotRingWriter(unsigned char* ring, uint32_t size) : ring_(ring), size_(size) {}

    // Lays out an empty ring.
    void Reset();
    // The entry's bytes for a block of sectors.
    static uint32_t EntryBytes(uint32_t sectors);
    // Appends an entry with the block's data; false when the ring has no room.
    bool Append(uint64_t firstSector, uint32_t sectors, const unsigned char* data);
    // Entries still linked (the client unlinks the oldest first).
    uint32_t Count() const;

private:
    bool FindRoom(uint32_t bytes, uint32_t& offset) const;

    unsigned char* ring_;
    uint32_t size_;
};
