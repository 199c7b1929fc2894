// Doubles of the outside modules behind a volume reader: a disk enumeration object
// describing one partition, a raw device of computed sector contents, a file-system
// reader with a computed cluster bitmap and a recording snapshot client that hands
// over preserved blocks from its own thread. The factories are plain functions, so
// the doubles' settings live in one world that each test fills.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "KSDiskInfo.h"
#include "KSPlatformControl.h"
#include "VolumeServices.h"

// A block the snapshot driver preserves: when a callback is attached (atAttach), or
// when a snapshot read that overlaps it fails (the volume is written meanwhile; the
// block arrives while the reader pauses before its next try, see PauseDeliveringClock).
// A block may also arrive from a thread of its own once a snapshot read reaches the
// trigger sector, while the reader goes on (triggerAsync).
struct PreservedBlock {
    uint64_t first;
    uint32_t count;
    bool atAttach = true;
    bool delivered = false;
    uint64_t triggerAsync = UINT64_MAX;
};

struct VolumeWorld {
    _KS_DISK_INFO disk{};
    _KS_PARTITION_INFO partition{};
    // Contents of a disk sector: every byte is this function of the sector number.
    std::function<uint8_t(uint64_t)> sectorByte = [](uint64_t s) { return static_cast<uint8_t>(s * 7 + 1); };
    // The file-system reader: none when fsKind is 0.
    unsigned long fsKind = 0;
    uint32_t fsSectorsPerCluster = 8;
    uint64_t fsTotalSectors = 0;
    std::function<bool(uint64_t)> clusterUsed = [](uint64_t) { return true; };
    // The snapshot client: whether one opens, the volume sectors its snapshot reads
    // fail on, and the blocks it preserves once a callback is attached.
    bool snapshotOpens = false;
    std::set<uint64_t> failingSnapshotSectors;
    std::vector<PreservedBlock> preserved;
    uint8_t preservedByte = 0xAB; // the blocks' contents when the snapshot started

    // What the snapshot double saw.
    std::vector<std::string> snapshotCalls;
    std::vector<uint8_t> snapshotBitmap;
    uint32_t snapshotFirstSector = 0, snapshotBits = 0, snapshotSectorsPerBit = 0;
    std::vector<unsigned long> preservedResults;
    std::atomic<unsigned> snapshotReads{0};
    std::mutex lock;
    // Run at the reader's next pause (set by a failed snapshot read).
    std::function<void()> pauseHook;
};

// A fake clock whose sleeps are the reader's pauses between tries of a failed read:
// the blocks preserved during that read arrive then, from the driver's thread, while
// the reader holds nothing.
class PauseDeliveringClock : public KSFakeClock {
public:
    void Sleep(DWORD milliseconds) override;
};

VolumeWorld& World();
void ResetWorld();
const KSVolumeServices& DoubleServices();
