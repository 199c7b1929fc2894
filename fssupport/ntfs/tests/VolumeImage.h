// A disk-image fixture held in memory for reader tests: the reader sees the volume
// at a partition offset through plain sector callbacks, tests may damage bytes
// first, and every write-callback call is recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KSFSSupport.h"

struct WriteCall {
    unsigned long long first;
    unsigned long count;
    unsigned long mode;
    std::vector<unsigned char> data;
};

class VolumeImage {
public:
    // Loads the image file; the volume starts at startSector of it.
    bool Load(const std::string& path, uint64_t startSector);

    std::vector<unsigned char>& Volume() { return volume_; }
    uint64_t VolumeSectors() const { return volume_.size() / 512; }
    // Writes the volume alone to a file, for the ntfs-3g tools.
    bool SaveVolume(const std::string& path) const;

    static unsigned long Read(void* context, unsigned long long first, unsigned long count, void* buffer);
    static unsigned long Write(void* context, unsigned long long first, unsigned long count, void* buffer,
                               unsigned long mode);

    std::vector<WriteCall> writes;
    unsigned long writeResult = 0;
    // Reads that touch a sector of [failFrom, failTo) fail (for read-failure tests).
    uint64_t failFrom = UINT64_MAX;
    uint64_t failTo = UINT64_MAX;

private:
    std::vector<unsigned char> volume_;
};

// Initialises a reader on the image; null on failure.
IKSFSSupport* OpenReader(VolumeImage& image, unsigned long* result = nullptr);
// The reader's whole bitmap.
std::vector<unsigned char> ReaderBitmap(IKSFSSupport* reader);
