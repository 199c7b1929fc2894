// Control of the layer's device installer list, window manager and user token on
// Linux: what a machine would have, set up by tests. Like KSPlatformControl.h, none
// of this exists on Windows.
#pragma once

#include <windows.h>
#include <winuser.h>

#include <functional>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Devices of the device installer's list (SetupDiGetClassDevsW and its calls).

struct KSSetupDevice {
    GUID classGuid{};
    // The hardware-id property's characters as stored, NULs included: L"a\0b\0\0"
    // (KSSetupMultiString builds it); empty leaves the device without the property.
    std::wstring hardwareIds;
    DWORD hardwareIdType = 7; // REG_MULTI_SZ
    // Such as ROOT\SYSTEM\0000; empty: one is made up (ROOT\DEVICE\nnnn).
    std::wstring instanceId;
    bool present = true;      // a registered device that is not plugged in is absent
    std::wstring driverInf;   // the information file of its installed driver; empty: none
};

// The strings, each followed by a NUL, and the closing NUL.
std::wstring KSSetupMultiString(const std::vector<std::wstring>& strings);
void KSPlatformAddSetupDevice(const KSSetupDevice& device);
// Forgets every device, interface, failure and setting of this part (the device
// installer, the configuration manager, module calls, WOW64 and heaps' failures).
void KSPlatformClearSetupDevices();
// Makes SetupDiGetClassDevsW/A fail with error (ERROR_SUCCESS lets it succeed).
void KSPlatformSetSetupListError(DWORD error);
// Device lists made and not yet destroyed.
unsigned KSPlatformOpenSetupLists();
// The devices registered with the machine now, in the order they came.
std::vector<KSSetupDevice> KSPlatformSetupDevices();

// Device interfaces, as a driver registers and enables them: listed under their
// interface class by SetupDiGetClassDevs with DIGCF_DEVICEINTERFACE, with the path
// that CreateFile opens (\\?\root#name#0000#{...}; the device registered with
// KSPlatformRegisterDevice under the part after \\?\ answers it). Adding a path
// again changes nothing; removing one that is not there does nothing.
void KSPlatformAddDeviceInterface(const GUID& interfaceClass, const std::string& path);
void KSPlatformRemoveDeviceInterface(const GUID& interfaceClass, const std::string& path);

// The nth call from now (1: the next) of the named entry point fails with error:
// "SetupDiCreateDeviceInfoW", "UpdateDriverForPlugAndPlayDevicesW", "HeapCreate", ...
// Each name keeps one pending failure; a later call for the same name replaces it,
// and nth 0 takes it back.
void KSPlatformFailSetupCall(const std::string& call, DWORD error, unsigned nth = 1);
// CMP_WaitNoPendingInstallEvents answers WAIT_TIMEOUT to the next count calls, then
// WAIT_OBJECT_0 (kKSInstallsAlwaysPending: never ends).
constexpr unsigned kKSInstallsAlwaysPending = ~0u;
void KSPlatformSetPendingInstalls(unsigned count);
// Calls of CMP_WaitNoPendingInstallEvents so far.
unsigned KSPlatformPendingInstallWaits();
// Driver installs and device removals from now on need a restart.
void KSPlatformSetSetupRestartNeeded(bool needed);

// A driver installed on a device (by UpdateDriverForPlugAndPlayDevicesW or
// SetupDiInstallDevice).
struct KSDriverInstall {
    std::wstring instanceId;
    std::wstring hardwareIds;   // the device's multi-string
    std::wstring inf;
    std::string how;            // "update" or "install"
};
std::vector<KSDriverInstall> KSPlatformDriverInstalls();
// Called after each driver install, outside the layer's locks (a test can start
// the driver's bus from it). Null: none.
void KSPlatformSetDriverInstallHook(std::function<void(const KSDriverInstall&)> hook);

// IsWow64Process's answer for this process: false, as for a native program, unless
// set.
void KSPlatformSetWow64(bool wow64);
// GetProcAddress finds no call of this name in the module ("setupapi.dll", ...); an
// empty name makes GetModuleHandle find no module of that name at all.
void KSPlatformHideProcedure(const std::string& module, const std::string& name);
// Heaps made by HeapCreate and not destroyed, and their blocks not freed.
unsigned KSPlatformLiveHeaps();
unsigned KSPlatformLiveHeapBlocks();

// ---------------------------------------------------------------------------
// GetVersionExA: the extended record's service pack (KSPlatformSetVersion sets the
// rest), and refusals of the extended (156-byte) and plain (148-byte) records
// (ERROR_SUCCESS: answered).
void KSPlatformSetServicePack(WORD major, WORD minor);
void KSPlatformSetVersionErrors(DWORD extended, DWORD plain);

// ---------------------------------------------------------------------------
// The window manager: message boxes shown (none is displayed; each answers IDOK)
// and GetSystemMetrics(SM_CLEANBOOT) (0: a normal start).

struct KSMessageBox {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
};

std::vector<KSMessageBox> KSPlatformMessageBoxes();
void KSPlatformSetCleanBoot(int mode);

// ---------------------------------------------------------------------------
// The user's token. The process token's groups hold, unless set otherwise, the
// Administrators group enabled; the thread has no token until one is set.

struct KSTokenGroup {
    BYTE authority[6] = {0, 0, 0, 0, 0, 5};
    std::vector<DWORD> subAuthorities;
    DWORD attributes = 0;
};

// S-1-5-32-544 with the given attributes.
KSTokenGroup KSAdministratorsGroup(DWORD attributes);
void KSPlatformSetProcessTokenGroups(const std::vector<KSTokenGroup>& groups);
void KSPlatformSetThreadToken(bool present, const std::vector<KSTokenGroup>& groups);
// Makes GetTokenInformation fail with error (ERROR_SUCCESS lets it answer).
void KSPlatformSetTokenInformationError(DWORD error);
// SIDs of AllocateAndInitializeSid not yet freed.
unsigned KSPlatformLiveSids();

// ---------------------------------------------------------------------------
// Named events and mutexes whose creation fails with the given error (ERROR_SUCCESS
// removes the failure), as when another program holds the name for another kind or
// the system is out of resources.
void KSPlatformFailNamedObject(const std::string& name, DWORD error);

// ---------------------------------------------------------------------------
// Registry keys opened or created, with the access asked for (KEY_WOW64_64KEY
// included), in order.

struct KSRegistryOpen {
    std::string path; // "HKLM\\SOFTWARE\\..."
    REGSAM access = 0;
};

std::vector<KSRegistryOpen> KSPlatformRegistryOpens();

// Puts all of the above back as on a fresh machine (KSPlatformReset does it too).
void KSPlatformResetDesktop();

// ---------------------------------------------------------------------------
// Scripted child processes: CreateProcessA/W given a command line that a script
// names starts no program but a process of this layer that follows the script on a
// thread of its own. Other command lines start programs as before. Times run on the
// steady clock, like the waits that watch them.

struct KSProcessScript {
    enum class Crash {
        None,
        // Sets the event, lets a wait take it while the process still runs, then ends.
        WhileRunning,
        // Sets the event and ends in one step: a waiter sees both at once.
        AsItEnds,
    };
    std::string commandLine;           // compared exactly
    DWORD startError = ERROR_SUCCESS;  // CreateProcess fails with this when not 0
    unsigned runMilliseconds = 0;      // how long the process runs before the crash or its end
    DWORD exitCode = 0;
    Crash crash = Crash::None;
    std::string crashEvent;            // the named auto-reset event the crash sets
};

struct KSProcessStart {
    std::string commandLine;
    bool inheritHandles = false;
    bool started = false;
    unsigned long creationFlags = 0;   // as CreateProcess was given them
};

// Adds a script or replaces the one of the same command line.
void KSPlatformAddProcessScript(const KSProcessScript& script);
// Every CreateProcess call a script took, in order.
std::vector<KSProcessStart> KSPlatformProcessStarts();
// Waits for the scripted processes still running to end, then forgets scripts and starts.
void KSPlatformClearProcessScripts();
