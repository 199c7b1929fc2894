// Finds a file by name in one directory (the root directory, for the page and
// hibernation files): its $INDEX_ROOT entries first, then the index blocks that
// the index's $BITMAP marks in use. A found entry counts only when its file
// reference still names an in-use base record of the same sequence number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CNtfsRunList.h"

class CExtendMFT;
class CNtfsVolume;
class IKSFSSupport;

class CFindFile {
public:
    // Reads the directory's index attributes, unless the same directory of the same
    // volume, MFT and reader is cached already. Index blocks are read through the
    // reader's ReadSectors. Returns 0 or a result code.
    unsigned long InitDir(uint64_t directoryRecord, CNtfsVolume* volume, CExtendMFT* mft, IKSFSSupport* reader);

    // Looks name up. Returns 0 with found false when the directory holds no live
    // file of that name; a read failure's code, or a code for a damaged index.
    unsigned long GetFileRecordNO(const std::u16string& name, uint64_t& reference, bool& found);

private:
    unsigned long SearchIndexBlocks(const std::u16string& name, uint64_t& reference, bool& found);
    unsigned long ReadIndexBlock(uint64_t blockNumber, std::vector<unsigned char>& block);
    // Takes the first of matches that names a live base record.
    bool PickLiveReference(const std::vector<uint64_t>& matches, uint64_t& reference) const;
    bool BlockInUse(uint64_t blockNumber) const;

    bool cached_ = false;
    uint64_t directoryRecord_ = 0;
    CNtfsVolume* volume_ = nullptr;
    CExtendMFT* mft_ = nullptr;
    IKSFSSupport* reader_ = nullptr;

    std::vector<unsigned char> indexRoot_;
    uint32_t blockSize_ = 0;
    bool hasAllocation_ = false;
    CNtfsRunList allocationRuns_;
    uint64_t allocationSize_ = 0;
    std::vector<unsigned char> allocationBitmap_;
};
