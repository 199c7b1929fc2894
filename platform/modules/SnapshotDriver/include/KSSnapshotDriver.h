// The snapshot driver's stand-in on Linux: the control device "\\.\zendbakdrv1" and,
// for every lettered volume of the drive table, a volume device "\\.\X:" that
// answers IOCTL_SNAP_GET_VOLUME_ID and routes writes through the snapshot. Volumes
// are stretches of disk-map images; a running snapshot copies each block's old
// contents into its client's change ring before the first write to the block reaches
// the image, and serves snapshot reads as the volume was at its start.
//
// Everything here is process-wide and for tests and the demo; nothing of it ships.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

// Registers the devices (for the drive table's lettered volumes as they are now) and
// clears every snapshot, switch and injected failure.
void KSSnapshotDriverInstall();
// Unregisters the devices and drops every snapshot.
void KSSnapshotDriverRemove();

// Writes sectors of a lettered volume as a program on the machine would: through the
// running snapshot, if any. ERROR_SUCCESS, or the error the write failed with
// (ERROR_BUSY when the client's ring stayed full for the whole wait).
DWORD KSSnapshotDriverLiveWrite(char letter, uint64_t firstSector, uint32_t count, const void* data);

// IOCTL_SNAP_CREATE refuses a change ring of this many bytes (ERROR_NOT_ENOUGH_MEMORY).
void KSSnapshotDriverRefuseCacheSize(uint32_t bytes);
// Every later request with this control code fails with error (0 lets it pass again).
void KSSnapshotDriverFailControl(uint32_t code, DWORD error);
// The sector size IOCTL_SNAP_CREATE reports (512 unless changed).
void KSSnapshotDriverSetSectorSize(uint32_t bytes);
// When on, a preserved block is forgotten once its client has unlinked it from the
// ring: snapshot reads then give the volume's current data there, so the client's own
// store holds the only copy.
void KSSnapshotDriverForgetUnlinked(bool forget);
// How long a write waits for room in a full ring before it is refused.
void KSSnapshotDriverSetRingWait(DWORD milliseconds);

struct KSSnapshotDriverCall {
    uint32_t code = 0;
    uint64_t firstSector = 0; // sector transfers and snapshot reads
    uint32_t sectorCount = 0;
    uint32_t ringSize = 0;    // IOCTL_SNAP_CREATE
    bool succeeded = false;
};

// Called with every control request before the driver answers it, on the requesting
// thread and with no lock of the driver held (a snapshot read or a sector transfer
// carries its range). A result other than ERROR_SUCCESS fails the request with it.
// Tests use it to change a volume, or fail a read, at a chosen point of a client's
// work (null removes the hook).
void KSSnapshotDriverBeforeRequest(std::function<DWORD(const KSSnapshotDriverCall& call)> hook);

// Called with the code of every control request that succeeded, on the requesting
// thread, once the driver has answered it (null removes the hook). Tests use it to
// change a volume at a chosen point of a client's work.
void KSSnapshotDriverOnRequest(std::function<void(uint32_t code)> hook);

// The control requests sent to the control device since Install, in order.
std::vector<KSSnapshotDriverCall> KSSnapshotDriverCalls();
// Blocks preserved into rings since Install, and snapshots alive now.
uint64_t KSSnapshotDriverPreservedBlocks();
unsigned KSSnapshotDriverLiveSnapshots();
// Entries still linked in the clients' rings: preserved blocks not yet drained.
unsigned KSSnapshotDriverQueuedBlocks();
