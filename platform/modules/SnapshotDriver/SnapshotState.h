// One snapshot of a volume: the client's ring and objects it was created with, which
// sectors have been preserved since START, the copies the driver still keeps for
// snapshot reads, and the order in which entries went into the ring (the client
// unlinks the oldest first, so the ring's count tells which are gone).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "KSSnapRecords.h"
#include "SnapshotVolume.h"

class SnapshotState {
public:
    SnapshotState(uint64_t id, std::shared_ptr<SnapshotVolume> volume, const SNAP_CREATE_RECORD& record);

    enum class Preserve { Done, RingFull, Failed };
    // Puts the old contents of every block of [first, first + count) not yet preserved
    // into the client's ring, before the caller writes. Entries that fit stay put when
    // the ring runs full, so a retry adds only the rest.
    // Entries of the ring the client has not unlinked yet.
    uint32_t QueuedEntries() const;
    Preserve PreserveBefore(uint64_t first, uint32_t count, bool forget, DWORD& error);
    // Sectors as they were at START, from the kept copies and the volume, into out.
    DWORD ReadSnapshot(uint64_t first, uint32_t count, bool forget, unsigned char* out);

    uint64_t Id() const { return id_; }
    const std::shared_ptr<SnapshotVolume>& Volume() const { return volume_; }
    bool started = false;
    unsigned char* exchange = nullptr;
    uint32_t exchangeBytes = 0;
    uint32_t alignBase = 0; // blocks are aligned to this sector (the bitmap's first)
    uint64_t preservedBlocks = 0;

private:
    // Drops the kept copies of entries the client has unlinked (ring mutex held).
    void ForgetUnlinked(uint32_t linked);
    const std::vector<unsigned char>* KeptRunOf(uint64_t sector, uint64_t& runFirst) const;

    const uint64_t id_;
    const std::shared_ptr<SnapshotVolume> volume_;
    const uint64_t areaFirst_;
    const uint64_t areaEnd_;
    const uint32_t blockSectors_;
    const HANDLE semaphore_;
    const HANDLE mutex_;
    unsigned char* const ring_;
    const uint32_t ringBytes_;
    std::vector<bool> preserved_;                          // by sector of the area
    std::map<uint64_t, std::vector<unsigned char>> kept_;  // by first sector of a run
    std::deque<uint64_t> issued_;                          // first sector of each entry, oldest first
};
