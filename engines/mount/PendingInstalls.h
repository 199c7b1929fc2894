// Waiting until the device installer has no installs in progress.
#pragma once

// Up to tries pauses of 500 ms while installs are pending. True when none are left.
bool WaitForNoPendingInstalls(unsigned tries);
