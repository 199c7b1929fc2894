// The system modules a program finds already loaded, their calls by name, and the
// WOW64 question. On Linux every call lives in this layer; a module handle only
// names which table of calls GetProcAddress looks in.
#include "SetupMachine.h"

#include <cfgmgr32.h>
#include <newdev.h>

#include <cstring>

using namespace ks_platform;

extern "C" DWORD WINAPI CMP_WaitNoPendingInstallEvents(DWORD timeout);

namespace {

struct ModuleCall {
    const char* name;
    FARPROC call;
};

template <typename Function>
FARPROC AsProcedure(Function* function)
{
    // Through void (*)(void), which every function pointer type may be cast to.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct SystemModule {
    const char* name;   // lower case, with ".dll"
    std::vector<ModuleCall> calls;
};

const std::vector<SystemModule>& SystemModules()
{
    static const std::vector<SystemModule>* modules = new std::vector<SystemModule>{
        {"kernel32.dll", {{"IsWow64Process", AsProcedure(&IsWow64Process)}}},
        {"setupapi.dll", {{"CMP_WaitNoPendingInstallEvents", AsProcedure(&CMP_WaitNoPendingInstallEvents)}}},
        {"cfgmgr32.dll",
         {{"CMP_WaitNoPendingInstallEvents", AsProcedure(&CMP_WaitNoPendingInstallEvents)},
          {"CM_Locate_DevNodeW", AsProcedure(&CM_Locate_DevNodeW)}}},
        {"newdev.dll", {{"UpdateDriverForPlugAndPlayDevicesW", AsProcedure(&UpdateDriverForPlugAndPlayDevicesW)}}},
        {"advapi32.dll", {}},
        {"ntdll.dll", {}},
    };
    return *modules;
}

// Module handles are small numbers no other handle of the layer uses.
constexpr uintptr_t kModuleBase = 0x7FFE0000;
constexpr uintptr_t kProgramModule = 0x400000;

std::string ModuleKey(std::string name)
{
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".dll") != 0)
        name += ".dll";
    return name;
}

HMODULE FindModule(const std::string& name)
{
    const std::string key = ModuleKey(name);
    const std::vector<SystemModule>& modules = SystemModules();
    for (size_t i = 0; i < modules.size(); ++i) {
        if (key != modules[i].name)
            continue;
        SetupMachine& machine = Setup();
        std::lock_guard<std::mutex> guard(machine.lock);
        if (machine.hiddenProcedures.count(key + "!") != 0)
            break;
        return reinterpret_cast<HMODULE>(kModuleBase + i);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

} // namespace

extern "C" HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (!name)
        return reinterpret_cast<HMODULE>(kProgramModule);
    return FindModule(name);
}

extern "C" HMODULE WINAPI GetModuleHandleW(LPCWSTR name)
{
    if (!name)
        return reinterpret_cast<HMODULE>(kProgramModule);
    std::string narrow;
    for (const wchar_t* c = name; *c; ++c) {
        if (*c > 0x7F) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        narrow += static_cast<char>(*c);
    }
    return FindModule(narrow);
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(module);
    const std::vector<SystemModule>& modules = SystemModules();
    if (value < kModuleBase || value >= kModuleBase + modules.size() || !name) {
        SetLastError(value == kProgramModule ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const SystemModule& system = modules[value - kModuleBase];
    {
        SetupMachine& machine = Setup();
        std::lock_guard<std::mutex> guard(machine.lock);
        if (machine.hiddenProcedures.count(std::string(system.name) + "!" + name) != 0) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return nullptr;
        }
    }
    for (const ModuleCall& call : system.calls)
        if (std::strcmp(call.name, name) == 0)
            return call.call;
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

extern "C" BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64)
{
    if (!wow64 || process != GetCurrentProcess()) {
        // Other processes are all started by this layer, which runs only native programs.
        if (wow64 && process && process != INVALID_HANDLE_VALUE) {
            *wow64 = FALSE;
            return TRUE;
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    *wow64 = machine.wow64 ? TRUE : FALSE;
    return TRUE;
}

void KSPlatformHideProcedure(const std::string& module, const std::string& name)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    machine.hiddenProcedures.insert(ModuleKey(module) + "!" + name);
}
