// Windows volume operations shared by the engines: locking, dismounting and
// unlettering a volume, and finding a partition's number, volume name and letter.
// Each operation opens what it needs and closes it again, except the lock, whose
// handle the caller keeps until it unlocks.
#pragma once

#include <windows.h>

#include <setupapi.h>

#include <cstdint>

// The volume "\\.\X:" opened for reading and writing and locked (up to 11 tries,
// 100 ms apart); INVALID_HANDLE_VALUE when it would not lock.
HANDLE LockVolume(char letter);
// Unlocks (up to 11 tries, 100 ms apart, until one succeeds) and closes a valid handle.
void UnlockAndCloseVolume(HANDLE volume);
// Dismounts the volume of the handle, or without one (INVALID_HANDLE_VALUE or null)
// opens "\\.\X:" for it. True when the last dismount succeeded; false when nothing
// opened.
bool DismountVolume(HANDLE volume, char letter);
// Removes the mount point "X:\".
BOOL RemoveDriveLetter(char letter);

// The number of the partition of disk whose first byte is start x 512 in the disk's
// drive layout.
bool GetPartitionNumber(unsigned disk, uint64_t start, unsigned& number);
// The device "\Device\HarddiskN\PartitionM" stands for; false when it has none.
bool GetPartitionDeviceTarget(unsigned disk, unsigned partition, wchar_t* out, size_t size);
// The braced volume name "{...}" (38 characters and a terminator) of the partition.
bool GetVolumeOfPartition(wchar_t out[39], unsigned disk, uint64_t start);
// The drive letter the partition's volume has.
bool GetLetterOfPartition(char& letter, unsigned disk, uint64_t start);

// ---------------------------------------------------------------------------
// What the mount engine needs beyond the volume operations above.

// The braced volume name "{...}" (38 characters and a terminator) of the volume that
// has the letter; false when the letter has none.
BOOL GetVolumeOfLetter(wchar_t* out, size_t size, char letter);
// Gives the volume that begins at start of disk the letter wanted. 0 on success;
// kind 0x209 (module 6) when the disk shows no volume there yet, so the caller can try
// again later; kind 0x050 when a mount point could not be set.
unsigned long AssignDriveLetter(char wanted, unsigned disk, uint64_t start);
// Starts the disk-access service; one that already runs counts as started. 0, or kind
// 0x100 (module 6).
unsigned long StartDiskAccessService();
// The interface class the virtual-disk bus registers.
GUID BusInterfaceClass();
// The virtual-disk bus device, found through its interface class and opened for
// reading and writing or for reading alone; INVALID_HANDLE_VALUE when there is none.
HANDLE OpenBusDevice(bool forWriting);

// Whether the device installer still has installs in progress (its wait call, taken
// from the loaded "setupapi.dll", answers WAIT_TIMEOUT at once); false when the call
// is not there.
bool InstallsPending();
// Whether this is a 32-bit program on 64-bit Windows (IsWow64Process, taken from
// "kernel32"); false when the call is not there.
bool IsWow64Windows();
// The list of present devices of all classes, with device set to the first whose
// hardware ids hold hardwareId (case does not matter); INVALID_HANDLE_VALUE when none
// does. The caller destroys the list.
HDEVINFO FindDeviceNode(const wchar_t* hardwareId, SP_DEVINFO_DATA& device);

// The disk-access service's control device "\\.\ZEDSKACS", one handle for the
// process: opened on first use (as an existing device, else with CREATE_ALWAYS) and
// closed when the process ends. INVALID_HANDLE_VALUE while neither open succeeds; a
// later call tries again. The caller never closes it.
HANDLE DiskAccessControlDevice();
// Closes the control device now; the next DiskAccessControlDevice opens it again.
void CloseDiskAccessControlDevice();

// One disk of the disk-access service, "\\.\ZEDSKACS\N". Every operation on an
// unopened object does nothing and answers false.
class DiskAccessDevice {
public:
    DiskAccessDevice() = default;
    ~DiskAccessDevice() { Close(); }
    DiskAccessDevice(const DiskAccessDevice&) = delete;
    DiskAccessDevice& operator=(const DiskAccessDevice&) = delete;

    // Disk numbers above 1000 are never opened. The first open of the process opens
    // the control device too (DiskAccessControlDevice), whether or not the disk opens.
    bool Open(unsigned disk);
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Read(uint64_t sector, void* buffer, DWORD sectors);
    bool Write(uint64_t sector, const void* data, DWORD sectors);
    bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
    bool Close();

private:
    unsigned disk_ = 0;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
