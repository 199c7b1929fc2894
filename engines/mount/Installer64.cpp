#include "Installer64.h"

#include "KSResult.h"
#include "MountKinds.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

unsigned long InstallFailure()
{
    return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
}

} // namespace

unsigned long RunInstaller64(const wchar_t* folder, unsigned long, const Installer64Waits& waits)
{
    wchar_t own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || own[0] == 0)
        return InstallFailure();
    std::wstring program(own, length);
    const size_t cut = program.find_last_of(L"\\/");
    program = (cut == std::wstring::npos ? std::wstring() : program.substr(0, cut + 1)) + L"x64\\Inst.exe";

    const std::wstring line = L"\"" + program + L"\" -I " + folder;
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Inst is a console program: without CREATE_NO_WINDOW its console would flash
    // over the user interface while it installs.
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return InstallFailure();
    CloseHandle(process.hThread);

    for (unsigned wait = 0; wait < waits.slices; ++wait)
        if (WaitForSingleObject(process.hProcess, waits.sliceMilliseconds) == WAIT_OBJECT_0)
            break;
    DWORD code = STILL_ACTIVE;
    bool read = false;
    for (unsigned attempt = 0; attempt < waits.reads; ++attempt) {
        read = GetExitCodeProcess(process.hProcess, &code) != FALSE;
        if (!read || code != STILL_ACTIVE)
            break;
        Sleep(waits.readPauseMilliseconds);
    }
    CloseHandle(process.hProcess);
    // An installer still at work has no result yet: STILL_ACTIVE is not its answer.
    return read && code != STILL_ACTIVE ? code : InstallFailure();
}
