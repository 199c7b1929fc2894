// Where the clone wizard gets its command objects, its disk enumeration and its device
// manager. The console uses the real ones; tests put stand-ins in their place.
#pragma once

#include <vector>

#include "vessmar/AddPartitionParam.h"

class ICensa;
class ITasque;
class IVessmarModule;

typedef ITasque* (*CloneCommandFactory)();
typedef ICensa* (*CloneCensaSource)();
typedef IVessmarModule* (*CloneVessmarOpener)();
typedef bool (*CloneModuleProbe)(const char* name);

// A new command object (released by the caller), or null.
ITasque* NewCloneCommand();
// The disk enumeration object, or null.
ICensa* CloneCensa();
// The device manager module "Vessmar", or null when it cannot be opened.
IVessmarModule* OpenCloneVessmar();

// Null restores the real one.
void SetCloneCommandFactory(CloneCommandFactory factory);
void SetCloneCensaSource(CloneCensaSource source);
void SetCloneVessmarOpener(CloneVessmarOpener opener);

// The modules a run's copy engine loads by name for these partitions: the FAT copier
// "Brasket" when a FAT16 or FAT32 volume is copied by file system.
std::vector<const char*> CloneRunModules(const std::vector<AddPartitionParam>& partitions);
// Whether module name loads and answers its interface, as the engine will ask it.
bool CloneModuleLoads(const char* name);
void SetCloneModuleProbe(CloneModuleProbe probe);
