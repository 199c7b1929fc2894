// Windows volume operations shared by the engines: locking, dismounting and
// unlettering a volume, and finding a partition's number, volume name and letter.
// Each operation opens what it needs and closes it again, except the lock, whose
// handle the caller keeps until it unlocks.
#pragma once

#include <windows.h>

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
