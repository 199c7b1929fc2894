// The disk-access service "zedskacs" on Linux: a service of the platform layer's
// service table and, while it runs, its devices "\\.\ZEDSKACS" (the control device)
// and "\\.\ZEDSKACS\N" for every disk N of the layer's disk map (arrived disks
// among them). A disk's device reads and writes the disk's sectors and passes its
// control codes on as "\\.\PhysicalDriveN" does. While the service is stopped the
// names open nothing (ERROR_FILE_NOT_FOUND).
//
// Process-wide, for tests and the demo; nothing of it ships.
#pragma once

#include <windows.h>

// Adds the service (stopped, or running as state says) and registers its devices.
void KSZedskacsInstall(DWORD state = SERVICE_STOPPED);
// Unregisters the devices; the service stays in the table, as an installed one does.
void KSZedskacsRemove();
