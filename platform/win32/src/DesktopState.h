// Resets of the desktop calls' state, gathered by KSPlatformResetDesktop.
#pragma once

void KSPlatformClearMessageBoxes();
void KSPlatformResetTokens();
void KSPlatformClearNamedObjectFailures();
void KSPlatformClearRegistryOpens();
