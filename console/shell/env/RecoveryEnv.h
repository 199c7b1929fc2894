// What the console asks of the recovery environment it runs in: the devices behind
// the volumes and discs mounted under "/mnt", the discs' mount and eject commands, the
// partition the console itself was started from, and byte counts for display.
// Every "/mnt", "/sys/block" and "/dev" path hangs from the environment root
// (EnvRoot.h); every command runs through the environment's command runner
// (IEnvCommandRunner.h).
#pragma once

#include <string>

class IPartitionEntry;
class IVessmarModule;

// Smallest buffer the device lookups accept.
constexpr int kEnvDeviceBufferSize = 260;

// The device of the volume mounted at mountPoint, from "/mnt/volinfo". False when n is
// below 260, the list cannot be read, no line belongs to the mount point, the line has
// no blank, or the device does not fit in out.
bool GetVolDevName(char* out, int n, const char* mountPoint);
// The same from the disc list "/mnt/volcdrominfo".
bool GetDevName(char* out, int n, const char* mountPoint);

// The mount point that holds path: the root's "/mnt/" and the folder that follows it
// ("/mnt/P2/images/a.rvd" gives "/mnt/P2"); empty for a path elsewhere.
std::string MountPointOfPath(const std::string& path);

// The kernel's first sector of a partition of a disk, from
// "/sys/block/<disk>/<partition>/start"; 0 when it is missing or empty.
long long GetPartStartSector(const char* disk, const char* partition);
// The partition that holds path and the 0-based position of its disk among the
// device manager's disks; null (and -1) when the volume, its disk or the partition
// cannot be found.
IPartitionEntry* GetSelfPartition(const char* path, int& diskIndex);

// How GetSelfPartition reaches the device manager: OpenModuleT<IVessmarModule>("Vessmar")
// unless a test put another opener in place (null restores it).
using EnvVessmarOpener = IVessmarModule* (*)();
void SetEnvVessmarOpener(EnvVessmarOpener opener);

// Unmounts the disc mounted at the mount point that holds path and ejects it; false,
// running nothing, when the disc list has no device for it.
bool EjectCD(const char* mountPoint);
// Mounts the listed disc of that mount point again and rewrites the disc list.
bool MountCD(const char* mountPoint);
// Runs the environment's "/mnt/mcd" and gives the discs 2 seconds; false only when
// the script could not be started.
bool UpdateCD();
// Mount or unmount every disc of the disc list; false when the list cannot be read.
bool MountAllCD();
bool UnmountAllCD();

// "1.00 GB" from 2^30 bytes up, "1.00 MB" from 2^20, else kilobytes ("1024.00 KB"
// for 2^20 - 1; negative counts too).
std::string GetFileSizeString(long long bytes);
