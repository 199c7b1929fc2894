// The configuration manager's calls: waiting for device installs in progress, and
// finding a device node by its instance id.
#include "SetupMachine.h"

#include <cfgmgr32.h>

using namespace ks_platform;

// Not declared in a header: callers take it by name from "setupapi.dll".
extern "C" DWORD WINAPI CMP_WaitNoPendingInstallEvents(DWORD timeout);

extern "C" DWORD WINAPI CMP_WaitNoPendingInstallEvents(DWORD)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    ++machine.pendingWaits;
    if (SetupCallFails(machine, "CMP_WaitNoPendingInstallEvents"))
        return WAIT_FAILED;
    if (machine.pendingInstalls == 0)
        return WAIT_OBJECT_0;
    if (machine.pendingInstalls != kKSInstallsAlwaysPending)
        --machine.pendingInstalls;
    return WAIT_TIMEOUT;
}

extern "C" CONFIGRET WINAPI CM_Locate_DevNodeW(PDEVINST devInst, DEVINSTID_W instanceId, ULONG flags)
{
    if (!devInst)
        return CR_INVALID_POINTER;
    *devInst = 0;
    if ((flags & ~CM_LOCATE_DEVNODE_PHANTOM) != 0)
        return CR_INVALID_FLAG;
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    if (SetupCallFails(machine, "CM_Locate_DevNodeW"))
        return CR_FAILURE;
    if (!instanceId || !*instanceId) {
        *devInst = 1;   // the root of the tree
        return CR_SUCCESS;
    }
    for (const auto& entry : machine.nodes) {
        const SetupNode& node = entry.second;
        if (!node.registered || !SameDeviceId(node.device.instanceId, instanceId))
            continue;
        if (!node.device.present && (flags & CM_LOCATE_DEVNODE_PHANTOM) == 0)
            return CR_NO_SUCH_DEVNODE;
        *devInst = entry.first;
        return CR_SUCCESS;
    }
    return CR_NO_SUCH_DEVNODE;
}
