// Control of the layer's device installer list, window manager and user token on
// Linux: what a machine would have, set up by tests. Like KSPlatformControl.h, none
// of this exists on Windows.
#pragma once

#include <windows.h>
#include <winuser.h>

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
};

// The strings, each followed by a NUL, and the closing NUL.
std::wstring KSSetupMultiString(const std::vector<std::wstring>& strings);
void KSPlatformAddSetupDevice(const KSSetupDevice& device);
void KSPlatformClearSetupDevices();
// Makes SetupDiGetClassDevsW fail with error (ERROR_SUCCESS lets it succeed).
void KSPlatformSetSetupListError(DWORD error);
// Device lists made and not yet destroyed.
unsigned KSPlatformOpenSetupLists();

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
};

// Adds a script or replaces the one of the same command line.
void KSPlatformAddProcessScript(const KSProcessScript& script);
// Every CreateProcess call a script took, in order.
std::vector<KSProcessStart> KSPlatformProcessStarts();
// Waits for the scripted processes still running to end, then forgets scripts and starts.
void KSPlatformClearProcessScripts();
