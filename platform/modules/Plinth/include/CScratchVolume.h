// A volume's sparse temporary copy: the resizers work on it and the target partition
// is written only once they succeed. Zero stretches stay holes, so a copy of a large,
// half-empty volume costs what it holds. The file is removed when the object dies.
#pragma once

#include <cstdint>
#include <string>

#include "IDevice.h"
#include "KSPartitionPlace.h"

// Told how far a long copy is; answers false to stop it.
class IScratchWatch {
public:
    virtual bool Tick(uint64_t sectorsDone, uint64_t sectorsTotal) = 0;

protected:
    ~IScratchWatch() {}
};

class CScratchVolume {
public:
    CScratchVolume() = default;
    ~CScratchVolume();
    // An empty (all-hole) file of sectors sectors in folder ($TMPDIR or /tmp when null).
    bool Create(const char* folder, uint64_t sectors);
    // Grows or shrinks the file; new sectors read as zeros.
    bool Resize(uint64_t sectors);
    const std::string& Path() const { return path_; }
    uint64_t Sectors() const { return sectors_; }

    bool Read(void* buffer, uint64_t sector, uint64_t count);
    bool Write(const void* data, uint64_t sector, uint64_t count);

    enum Outcome { kDone = 0, kReadFailed = 2, kWriteFailed = 3, kCancelled = 4 };
    // Copies sectors [0, count) of device, leaving holes where it reads zeros.
    Outcome CopyAllFrom(IDevice& device, uint64_t count, IScratchWatch* watch = nullptr);
    // Copies the sectors below the data area and the clusters in use of source.
    Outcome CopyUsedFrom(const KSVolumeSource& source, IScratchWatch* watch = nullptr);
    // Writes the file's data stretches into target, the first sector last. With
    // onlyChanged, a stretch equal to what target holds is not written again.
    Outcome WriteInto(IDevice& target, uint64_t count, bool onlyChanged);

private:
    CScratchVolume(const CScratchVolume&) = delete;
    CScratchVolume& operator=(const CScratchVolume&) = delete;

    std::string path_;
    int fd_ = -1;
    uint64_t sectors_ = 0;
};
