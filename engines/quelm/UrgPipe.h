// The urgent-block store of one snapshot attempt: the old contents of sectors that
// changed on the live volume and that the backup has not taken yet. Runs go first
// into an 8 MiB memory pool, then into spill files in the temp folder, and are found
// through the page tree. Everything is counted in 512-byte sectors; every call holds
// the store's lock for its whole run.
//
// Results mix Windows error numbers (8, 87, 1168, returned as they are), the spill
// file kind 0x10B of module 4 and the tree's 0xE01B00xx codes: callers take any
// non-zero low 12 bits as failure.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "UrgBtree.h"
#include "UrgSpillSpace.h"
#include "UrgStoreLayout.h"

class UrgPipe {
public:
    // The store for a temp folder and a volume name ("C:" gives the spill-file prefix
    // "C"). Null with result 8 when memory runs out.
    static UrgPipe* Create(const wchar_t* tempFolder, const wchar_t* volumeName, unsigned long* result,
                           const UrgStoreLayout& layout = UrgStoreLayout());
    // Ends the store: its spill files are deleted.
    static void Destroy(UrgPipe* store);

    // Stores a run. Sectors already stored keep their first stored copy (the data as it
    // was when the snapshot started); only the parts not yet stored are added. A
    // failed save leaves the pool and spill marks as they were.
    unsigned long Save(uint64_t firstSector, uint32_t sectorCount, const void* data);
    // The first stored extent that overlaps the run: its overlap's first sector and
    // count come back in firstSector and sectorCount, its bytes at the buffer's start.
    // 87 for null arguments, 1168 when nothing overlaps.
    unsigned long Read(uint64_t* firstSector, uint32_t* sectorCount, void* buffer);
    bool Contains(uint64_t firstSector, uint32_t sectorCount);

    uint32_t PoolMark() const { return poolMark_; }
    uint64_t SpillMark() const { return spillMark_; }
    const UrgSpillSpace& Spill() const { return *spill_; }

private:
    UrgPipe(const std::wstring& folder, const std::wstring& prefix, const UrgStoreLayout& layout);
    ~UrgPipe();
    UrgPipe(const UrgPipe&) = delete;
    UrgPipe& operator=(const UrgPipe&) = delete;

    unsigned long SaveLocked(uint64_t firstSector, uint32_t sectorCount, const unsigned char* data);
    unsigned long SearchTimed(uint64_t firstSector, uint64_t sectorCount, URG_EXTENT& found);

    CRITICAL_SECTION lock_;
    UrgStoreLayout layout_;
    std::unique_ptr<unsigned char[]> pool_;
    uint32_t poolMark_ = 0;
    uint64_t spillMark_ = 0;
    std::unique_ptr<UrgSpillSpace> spill_;
    UrgBtree tree_;
    DWORD searchMs_ = 0;
    DWORD readMs_ = 0;
    DWORD writeMs_ = 0;
};
