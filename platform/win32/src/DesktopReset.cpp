// Puts the device list, message boxes, start mode, tokens, failing names, registry
// record, version refusals and process scripts back as on a fresh machine.
#include "DesktopState.h"
#include "KSPlatformSetup.h"

void KSPlatformResetDesktop()
{
    KSPlatformClearSetupDevices();
    KSPlatformClearMessageBoxes();
    KSPlatformSetCleanBoot(0);
    KSPlatformResetTokens();
    KSPlatformClearNamedObjectFailures();
    KSPlatformClearRegistryOpens();
    KSPlatformSetServicePack(3, 0);
    KSPlatformSetVersionErrors(ERROR_SUCCESS, ERROR_SUCCESS);
    KSPlatformClearProcessScripts();
}
