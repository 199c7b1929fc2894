// A live partition as a sector device, read through the backup module's per-volume
// reader, as a clone's copiers need it. It refuses writes.
#pragma once

#include <cstdint>

#include "IDevice.h"
#include "IKSVolume.h"

class CRestore;

class CDriverDevice : public IDevice {
public:
    typedef unsigned long (*ReaderFactory)(unsigned long version, unsigned long kind, void** out);

    CDriverDevice(const uint32_t item[19], const CRestore& engine, unsigned long force,
                  ReaderFactory factory = KSCreateObjHotVolume);
    ~CDriverDevice() override;
    int ReadSector(unsigned char* buffer, long long firstSector, long long count) override;
    int WriteSector(unsigned char* buffer, long long firstSector, long long count) override;
    int Open() override;
    int Close() override;
    // The last reader result; a reader's "volume holds the image" becomes the live-source kind.
    unsigned long LastResult() const;
    // The open reader's record of the volume (geometry, file system); null when closed.
    const _KS_VOLUME* Volume() const;

private:
    void Drop();

    uint32_t item_[19];
    IKSVolume* reader_ = nullptr;
    unsigned long force_;
    const CRestore& engine_;
    ReaderFactory factory_;
    unsigned long last_ = 0;
};
