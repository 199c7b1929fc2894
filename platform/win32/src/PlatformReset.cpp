// Puts the process's tables back as a real machine has them.
#include "ArrivedDisks.h"
#include "DeviceRegistry.h"
#include "DriveTable.h"
#include "KSPlatformSetup.h"
#include "KSPlatformVolumes.h"
#include "ServiceTable.h"

void KSPlatformReset()
{
    ks_platform::ArrivedDisks::Instance().Clear();
    ks_platform::DriveTable::Instance().Clear();
    ks_platform::DeviceRegistry::Instance().Clear();
    ks_platform::ServiceTable::Instance().Clear();
    KSPlatformClearDebugLines();
    KSPlatformSetVersion(KSPlatformDefaultVersion());
    KSPlatformSetClock(nullptr);
    KSPlatformClearRegistry();
    KSPlatformClearVolumeMounts();
    KSPlatformClearObjectNames();
    KSPlatformSetPrivilegeError(ERROR_SUCCESS);
    KSPlatformSetVolumeWriteError(ERROR_SUCCESS);
    KSPlatformSetWindowsDirectory(std::string());
    KSPlatformResetDesktop();
}
