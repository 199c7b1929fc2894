// What Windows does after a disk is plugged in, as one call of the Linux platform
// layer: disk arrival. None of this exists on Windows.
//
// The arriving disk is a KSDevice whose bytes are the disk's sectors and whose
// control codes are its owner's (a bus driver's child, a test's stand-in). On
// arrival the layer
//   - makes it the next disk of its disk map: "\\.\PhysicalDriveN", N the first
//     number after the disk map's own disks that no arrived disk holds, answering
//     IOCTL_DISK_GET_DRIVE_LAYOUT from the disk's own partition table;
//   - reads that table once and gives each partition M the names
//     "\Device\HarddiskN\PartitionM" and "\GLOBAL??\Volume{...}" (QueryDosDeviceW
//     lists and resolves them, SetVolumeMountPointW takes them);
//   - after the number of polls set below (a poll is a GetLogicalDrives call, what a
//     program watching for a new drive does), gives each partition that has no
//     letter by then a drive letter: the first partition the chosen one when it is
//     free, every other one the first free letter from C.
// "\\.\X:" of such a volume reads and writes the partition's sectors, answers the
// layer's volume controls (lock, unlock, dismount, length) itself and passes every
// other control code to the disk's owner. Removal takes the letters, names and disk
// number away again; handles still open then fail their requests with
// ERROR_NOT_READY and never reach the owner again.
#pragma once

#include "KSPlatformControl.h"

#include <cstdint>
#include <memory>
#include <vector>

// How the letters of arriving disks come. Process-wide; KSPlatformReset puts the
// default back (the letter at once, the first free one from C).
struct KSArrivalLetters {
    static constexpr unsigned kNever = 0xFFFFFFFFu;
    unsigned polls = 0;   // GetLogicalDrives calls before the letter comes; kNever: no letter
    char letter = 0;      // the first partition's letter; 0: the first free from C
};
void KSPlatformSetArrivalLetters(const KSArrivalLetters& letters);

// The disk arrives; its disk-map number, or -1 when its sectors cannot be read (no
// size, or sector 0 unreadable), in which case nothing was made.
int KSPlatformDiskArrival(std::shared_ptr<KSDevice> disk);
// The disk goes with every name and letter it had; false for a number no arrived
// disk holds, or, with owner given, one whose disk arrived with another owner (the
// number was given anew after the layer was reset).
bool KSPlatformDiskRemoval(unsigned disk, const KSDevice* owner = nullptr);
// Disk-map numbers of the arrived disks, ascending.
std::vector<unsigned> KSPlatformArrivedDisks();

// What the volume controls of an arrived disk's volumes saw, for tests that check a
// lock was always undone.
struct KSArrivedVolumeControls {
    unsigned locks = 0, unlocks = 0, dismounts = 0;
    bool locked = false;   // a handle holds the lock now
};
bool KSPlatformArrivedVolumeControls(unsigned disk, unsigned partition, KSArrivedVolumeControls& controls);
