// A scripted process is a pair of process objects (the process and its first
// thread, both signalled when it ends) driven by a thread of this process.
#include "ScriptedProcesses.h"

#include "EventObject.h"
#include "HandleTable.h"
#include "KSPlatformSetup.h"
#include "ObjectNames.h"
#include "ProcessObject.h"
#include "WaitLock.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using namespace ks_platform;

namespace {

// A scripted process whose parent never opens or never takes the crash event still ends after this.
constexpr auto kCrashTakenLimit = std::chrono::seconds(10);

struct ScriptState {
    std::mutex lock;
    std::map<std::string, KSProcessScript> scripts;
    std::vector<KSProcessStart> starts;
    std::vector<std::thread> runners;
};

ScriptState& Scripts()
{
    static auto* state = new ScriptState;
    return *state;
}

void EndTogether(const std::shared_ptr<ProcessObject>& process, const std::shared_ptr<ProcessObject>& thread,
                 DWORD exitCode, const std::shared_ptr<EventObject>& crash)
{
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (crash)
            crash->Set(true);
        process->End(exitCode);
        thread->End(exitCode);
    }
    WaitChanged().notify_all();
}

// The crash event as the process sees it: the named object itself, without a handle
// of the handle table (the process is not this one), once its parent has it open too,
// so that the crash cannot fall between the parent's start and its opening the event.
std::shared_ptr<EventObject> WatchedCrashEvent(const std::string& name)
{
    const std::wstring wide(name.begin(), name.end());
    std::shared_ptr<KernelObject> object =
        CreateNamed(wide.c_str(), ObjectKind::Event, [] { return std::make_shared<EventObject>(false, false); });
    if (!object)
        return nullptr;
    const auto limit = std::chrono::steady_clock::now() + kCrashTakenLimit;
    while (object.use_count() < 2 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::static_pointer_cast<EventObject>(object);
}

void RunScript(KSProcessScript script, std::shared_ptr<ProcessObject> process, std::shared_ptr<ProcessObject> thread)
{
    if (script.runMilliseconds)
        std::this_thread::sleep_for(std::chrono::milliseconds(script.runMilliseconds));
    std::shared_ptr<EventObject> crash;
    if (script.crash != KSProcessScript::Crash::None && !script.crashEvent.empty())
        crash = WatchedCrashEvent(script.crashEvent);
    if (crash && script.crash == KSProcessScript::Crash::WhileRunning) {
        std::unique_lock<std::mutex> lock(WaitLock());
        crash->Set(true);
        WaitChanged().notify_all();
        // A wait that takes the event tells nobody, so look again now and then.
        const auto limit = std::chrono::steady_clock::now() + kCrashTakenLimit;
        while (crash->Signalled(0) && std::chrono::steady_clock::now() < limit)
            WaitChanged().wait_for(lock, std::chrono::milliseconds(2));
        lock.unlock();
        EndTogether(process, thread, script.exitCode, nullptr);
    } else {
        EndTogether(process, thread, script.exitCode, crash);
    }
}

} // namespace

void KSPlatformAddProcessScript(const KSProcessScript& script)
{
    std::lock_guard<std::mutex> guard(Scripts().lock);
    Scripts().scripts[script.commandLine] = script;
}

std::vector<KSProcessStart> KSPlatformProcessStarts()
{
    std::lock_guard<std::mutex> guard(Scripts().lock);
    return Scripts().starts;
}

void KSPlatformClearProcessScripts()
{
    std::vector<std::thread> runners;
    {
        std::lock_guard<std::mutex> guard(Scripts().lock);
        runners.swap(Scripts().runners);
        Scripts().scripts.clear();
        Scripts().starts.clear();
    }
    for (std::thread& runner : runners)
        runner.join();
}

namespace ks_platform {

bool StartScriptedProcess(const std::string& commandLine, bool inheritHandles, DWORD creationFlags,
                          LPPROCESS_INFORMATION info, BOOL& result)
{
    ScriptState& state = Scripts();
    std::lock_guard<std::mutex> guard(state.lock);
    const auto found = state.scripts.find(commandLine);
    if (found == state.scripts.end())
        return false;
    const KSProcessScript& script = found->second;
    KSProcessStart start{commandLine, inheritHandles, false, creationFlags};
    if (script.startError != ERROR_SUCCESS || !info) {
        state.starts.push_back(start);
        SetLastError(info ? script.startError : ERROR_INVALID_PARAMETER);
        result = FALSE;
        return true;
    }
    // No program runs, so there is no process number; 0 marks a scripted one.
    auto process = std::make_shared<ProcessObject>(0);
    auto thread = std::make_shared<ProcessObject>(0);
    HANDLE processHandle = HandleTable::Instance().Add(process);
    HANDLE threadHandle = processHandle ? HandleTable::Instance().Add(thread) : nullptr;
    if (!threadHandle) {
        if (processHandle)
            CloseHandle(processHandle);
        state.starts.push_back(start);
        result = FALSE;
        return true;
    }
    info->hProcess = processHandle;
    info->hThread = threadHandle;
    info->dwProcessId = 0;
    info->dwThreadId = 0;
    start.started = true;
    state.starts.push_back(start);
    state.runners.emplace_back(RunScript, script, process, thread);
    result = TRUE;
    return true;
}

} // namespace ks_platform
