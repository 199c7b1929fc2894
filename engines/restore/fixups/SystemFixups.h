// The Windows fix-ups after a restore: after each partition, or at the end of a disk
// run, the restored partitions get their table entries, boot sectors, letters and
// names, and the restored system its boot configuration and "MountedDevices".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KSRestoreRecords.h"

class CRestore;
class IFixupVolume;
struct FixupServices;

// The partition the target names among the disk's partitions (the worker's target
// lookup), or null; with rescan the disks are read afresh first.
IFixupVolume* FindFixupTarget(const FixupServices& services, const _KS_RESTORE_TARGET& target, bool rescan = false);

unsigned long UpdateSystemForPartOpt(CRestore& engine, const _KS_RESTORE_OPERATION& operation);
unsigned long UpdateSystemForDiskOpt(CRestore& engine);
// mode 1 after a partition, 0 in a disk run; with flag clear in mode 0 only the disk
// number is handed on.
unsigned long UpdateBootIni(CRestore& engine, const _KS_RESTORE_OPERATION& operation, unsigned long mode,
                            bool flag);
// The worker's boot.ini update for a run without partition fix-ups.
unsigned long UpdateBootIniAfterRun(CRestore& engine, const _KS_RESTORE_OPERATION& operation);
