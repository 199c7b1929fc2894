// Installing and removing the bus driver.
#include "Palmet.h"

#include "DriverInstall.h"
#include "DriverRemoval.h"
#include "Installer64.h"
#include "KSResult.h"
#include "MountKinds.h"
#include "PendingInstalls.h"
#include "VolumeUtils.h"

unsigned long Palmet::InstallDriver(const wchar_t* folder, unsigned long unused)
{
    if (folder == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    RemoveDriver(folder);   // a bus device of an earlier install goes first; whether there was one does not matter
    if (!WaitForNoPendingInstalls(200))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kPendingInstalls);
    // A 32-bit program cannot install drivers on 64-bit Windows: the 64-bit installer
    // beside it does.
    return IsWow64Windows() ? RunInstaller64(folder, unused) : InstallDriverInProcess(folder, unused);
}

unsigned long Palmet::RemoveDriver(const wchar_t* folder)
{
    if (folder == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    return RemoveBusDevice(folder);
}
