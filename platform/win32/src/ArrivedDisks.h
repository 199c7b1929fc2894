// The disks that arrived through KSPlatformDiskArrival: each one's owner device
// behind a gate that removal closes, its partition table as read on arrival, the
// lock state of its volumes, and the letters still to come.
#pragma once

#include "DiskLayout.h"
#include "KSPlatformArrival.h"

#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

namespace ks_platform {

class ArrivedDisk {
public:
    ArrivedDisk(unsigned number, std::shared_ptr<KSDevice> owner, uint64_t bytes, std::vector<DosVolume> volumes,
                uint32_t signature);

    unsigned Number() const { return number_; }
    uint64_t Bytes() const { return bytes_; }
    // As read on arrival; never changes afterwards.
    const std::vector<DosVolume>& Volumes() const { return volumes_; }
    const DosVolume* VolumeAt(uint64_t firstSector) const;
    uint32_t Signature() const { return signature_; }

    // The owner's sectors and codes, ERROR_NOT_READY once the disk is gone. Offsets
    // and sizes are in bytes of the whole disk.
    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done);
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done);
    DWORD OwnerControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned);
    // Closes the gate: waits for requests under way, then lets go of the owner.
    void Remove();
    bool Present() const;
    bool OwnedBy(const KSDevice* owner) const;

    // The volume locks: one holder (an open volume device) at a time.
    DWORD Lock(uint64_t firstSector, const void* holder);
    DWORD Unlock(uint64_t firstSector, const void* holder);
    void Dismount(uint64_t firstSector);
    // A holder that goes lets go of its lock.
    void Release(const void* holder);
    bool Controls(unsigned partition, KSArrivedVolumeControls& controls) const;

private:
    struct VolumeLock {
        KSArrivedVolumeControls controls;
        const void* holder = nullptr;
    };

    const unsigned number_;
    const uint64_t bytes_;
    const std::vector<DosVolume> volumes_;
    const uint32_t signature_;
    mutable std::shared_mutex gate_;   // shared for each request, exclusive to remove
    std::shared_ptr<KSDevice> owner_;  // null once removed
    mutable std::mutex locksGuard_;
    std::map<uint64_t, VolumeLock> locks_;   // by first sector
};

class ArrivedDisks {
public:
    static ArrivedDisks& Instance();

    int Arrive(std::shared_ptr<KSDevice> owner);
    // Only the disk of that owner, when one is given.
    bool Remove(unsigned number, const KSDevice* owner = nullptr);
    // Removes every disk and puts the default letters back.
    void Clear();
    std::shared_ptr<ArrivedDisk> Find(unsigned number) const;
    std::vector<std::shared_ptr<ArrivedDisk>> All() const;
    void SetLetters(const KSArrivalLetters& letters);
    // One poll of the drive letters: the letters whose time has come are given.
    void Poll();

private:
    struct PendingLetters {
        unsigned disk;
        unsigned pollsLeft;
        char first;   // the chosen letter of the first partition, or 0
    };
    void GiveLetters(const PendingLetters& pending);

    mutable std::mutex guard_;
    std::map<unsigned, std::shared_ptr<ArrivedDisk>> disks_;
    std::vector<PendingLetters> pending_;
    KSArrivalLetters letters_;
};

// "\\.\PhysicalDriveN" and "\\.\X:" of arrived disks; null when number is no arrived
// disk (error then untouched) or with error set when the disk is gone.
std::shared_ptr<KSDevice> OpenArrivedDisk(unsigned number, DWORD& error);
std::shared_ptr<KSDevice> OpenArrivedVolume(const KSDriveVolume& volume, DWORD& error);

} // namespace ks_platform
