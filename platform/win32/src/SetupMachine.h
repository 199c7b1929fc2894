// The device installer's view of the machine, shared by the device-list, interface,
// install and configuration-manager calls: the device nodes (and elements created in
// a list but not yet registered), the interfaces drivers have enabled, the lists
// callers hold, and what tests set (failures, pending installs, restarts).
#pragma once

#include "KSPlatformSetup.h"

#include <setupapi.h>

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace ks_platform {

struct SetupNode {
    KSSetupDevice device;
    bool registered = true;   // false: an element of one list, not yet part of the machine
};

struct SetupInterface {
    GUID interfaceClass{};
    std::string path;
};

// What a list keeps about one of its elements: the install parameters and drivers.
struct SetupElement {
    DWORD devInst = 0;
    bool ownedByList = false;            // created in this list; goes with it unless registered
    DWORD flags = 0;                     // install parameters
    DWORD flagsEx = 0;
    std::wstring driverPath;
    std::vector<std::wstring> compatibleInfs;
    std::wstring selectedInf;
};

struct SetupList {
    bool hasClass = false;
    GUID classGuid{};
    std::vector<SetupElement> elements;
    std::vector<SetupInterface> interfaces;   // for lists of interfaces
    DWORD selected = 0;
};

struct SetupFailure {
    unsigned countdown = 0;
    DWORD error = ERROR_SUCCESS;
};

struct SetupMachine {
    std::mutex lock;
    std::map<DWORD, SetupNode> nodes;   // by DevInst, in the order they came
    DWORD nextDevInst = 2;              // 1 is the root of the tree
    std::vector<SetupInterface> interfaces;
    std::set<SetupList*> lists;
    DWORD listError = ERROR_SUCCESS;
    std::map<std::string, SetupFailure> failures;
    unsigned pendingInstalls = 0;
    unsigned pendingWaits = 0;
    bool restartNeeded = false;
    std::vector<KSDriverInstall> installs;
    std::function<void(const KSDriverInstall&)> installHook;
    bool wow64 = false;
    std::set<std::string> hiddenProcedures;   // "module!name", "module!" for a module
};

SetupMachine& Setup();

// True (the last error set) when a failure a test set for the call falls due now.
// Called with the machine's lock held.
bool SetupCallFails(SetupMachine& machine, const char* call);

// The live list behind a handle, or null with ERROR_INVALID_HANDLE. Lock held.
SetupList* FindSetupList(SetupMachine& machine, HDEVINFO handle);
// The list's element a device record names, or null with ERROR_INVALID_PARAMETER.
SetupElement* FindSetupElement(SetupList& list, const SP_DEVINFO_DATA* device);
// The machine's node of an element, or null with ERROR_NO_SUCH_DEVINST when it has
// been removed.
SetupNode* FindSetupNode(SetupMachine& machine, DWORD devInst);
// Fills the caller's record for the list's element at index.
void DescribeSetupElement(const SetupMachine& machine, const SetupList& list, size_t index,
                          SP_DEVINFO_DATA& device);
// Adds a node to the list (once) and returns its index.
size_t AddSetupElement(SetupList& list, DWORD devInst, bool ownedByList);

// Case-insensitive comparison of device ids and hardware ids (ASCII letters only,
// as the device installer compares them).
bool SameDeviceId(const std::wstring& a, const std::wstring& b);
// True when the multi-string holds id.
bool MultiStringHolds(const std::wstring& multi, const std::wstring& id);
// A GUID from "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"; false when it is not one.
bool ParseGuid(const std::wstring& text, GUID& guid);

// Records a driver install; returns the hook to call once the lock is let go.
std::function<void(const KSDriverInstall&)> RecordDriverInstall(SetupMachine& machine, const SetupNode& node,
                                                                const std::wstring& inf, const char* how,
                                                                KSDriverInstall& record);

} // namespace ks_platform
