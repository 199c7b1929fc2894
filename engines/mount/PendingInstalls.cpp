#include "PendingInstalls.h"

#include "VolumeUtils.h"

#include <windows.h>

bool WaitForNoPendingInstalls(unsigned tries)
{
    for (unsigned pause = 0; pause < tries; ++pause) {
        if (!InstallsPending())
            return true;
        Sleep(500);
    }
    return !InstallsPending();
}
