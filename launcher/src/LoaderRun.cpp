#include "LoaderRun.h"

#include "LoaderChecks.h"
#include "LoaderTexts.h"

#include <winuser.h>

#include <cstdio>
#include <string>

namespace loader {

namespace {

constexpr DWORD kWaitMilliseconds = 5000;

void Tell(const char* text) { MessageBoxA(nullptr, text, kCaption, MB_ICONINFORMATION); }

int Refuse(const char* text)
{
    Tell(text);
    return 1;
}

void CloseIfOpen(HANDLE handle)
{
    if (handle)
        CloseHandle(handle);
}

bool Start(const char* commandLine, PROCESS_INFORMATION& process)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine; // CreateProcessA may write into its command line
    process = PROCESS_INFORMATION{};
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process) !=
           FALSE;
}

void WarnAboutIncompatibleSoftware(const SystemVersion& version)
{
    const std::string list = IncompatibleSoftware(version);
    if (list.empty())
        return;
    // A long product name is cut at the end of the box's text, not written past it.
    char text[kWarningBytes];
    std::snprintf(text, sizeof text, kIncompatibleFormat, list.c_str());
    Tell(text);
}

// Waits for Main to end and answers whether it set the crash event on the way.
bool WatchForCrash(HANDLE main, HANDLE crashEvent)
{
    const HANDLE handles[2] = {main, crashEvent};
    const DWORD count = crashEvent ? 2 : 1;
    bool crashed = false;
    for (;;) {
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, kWaitMilliseconds);
        if (result == WAIT_TIMEOUT)
            continue;
        if (crashEvent && result == WAIT_OBJECT_0 + 1) {
            crashed = true;
            continue;
        }
        break;
    }
    // Main may set the event and end before this wait wakes: the wait then reports
    // the process, the first handle, and the event would be lost without this look.
    if (crashEvent && WaitForSingleObject(crashEvent, 0) == WAIT_OBJECT_0)
        crashed = true;
    return crashed;
}

int RunMain(HANDLE instanceMutex)
{
    HANDLE loaderMutex = CreateMutexA(nullptr, TRUE, kLoaderMutex);
    PROCESS_INFORMATION main{};
    if (!Start(kMainCommandLine, main)) {
        Tell(kMainFailed);
        CloseIfOpen(loaderMutex);
        CloseIfOpen(instanceMutex);
        return 1;
    }
    HANDLE crashEvent = CreateEventA(nullptr, FALSE, FALSE, kCrashEvent);
    if (WatchForCrash(main.hProcess, crashEvent)) {
        PROCESS_INFORMATION reporter{};
        if (Start(kCrashReporterCommandLine, reporter)) {
            CloseHandle(reporter.hThread);
            CloseHandle(reporter.hProcess);
        }
    }
    CloseHandle(main.hThread);
    CloseHandle(main.hProcess);
    CloseIfOpen(crashEvent);
    CloseIfOpen(loaderMutex);
    CloseIfOpen(instanceMutex);
    return 0;
}

} // namespace

int RunLoader()
{
    SystemVersion version;
    if (!ReadSystemVersion(version) || !IsSupportedSystem(version))
        return Refuse(kWrongSystem);
    if (IsSafeMode())
        return Refuse(kSafeMode);
    if (!IsAdministrator())
        return Refuse(kNotAdministrator);
    if (!HasVolumeFilter())
        return Refuse(kReinstall);
    if (!HasBusDriver())
        return Refuse(kRestartOrReinstall);
    if (!SnapshotDeviceOpens())
        return Refuse(kRestartOrReinstall);
    // Held until the launcher ends, so that a second launcher stops here. A failed
    // creation lets the launcher go on.
    HANDLE instanceMutex = CreateMutexA(nullptr, TRUE, kInstanceMutex);
    if (instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instanceMutex);
        return Refuse(kAlreadyRunning);
    }
    WarnAboutIncompatibleSoftware(version);
    return RunMain(instanceMutex);
}

} // namespace loader
