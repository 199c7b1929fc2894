// The device-scan worker: asks the device manager module "Vessmar" to scan the
// machine's disks again, then raises the scan's end flag. The flag is the only
// thing the worker shares with the GTK main thread.
#pragma once

#include "vessmar/IVessmarModule.h"

#include <glib.h>

// Opens the module's root interface; null when the module cannot be had.
using VessmarOpener = IVessmarModule* (*)();

// The opener the worker uses: OpenModuleT<IVessmarModule>("Vessmar") unless a test
// put another in place (null restores it).
void SetVessmarOpener(VessmarOpener opener);
IVessmarModule* OpenVessmarModule();

// The end flag: cleared by each new scan dialog, set by the worker when the rescan
// has returned (or was skipped), tested and cleared by the dialog's timeout.
void ClearScanEndFlag();
void SetScanEndFlag();
// True once, when the flag was set; clears it.
bool TakeScanEndFlag();

// Body of the worker thread; the argument is not used.
gpointer ExcuteVessmarCreate(gpointer unused);

// Starts the worker detached. When no thread can be made the flag is raised at
// once (no rescan), so the scan dialog still closes at its next tick.
bool StartVessmarRescan();
