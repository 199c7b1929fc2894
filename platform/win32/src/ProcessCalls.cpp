// Child processes by fork and exec. The child's standard handles become its
// descriptors 0 to 2; with inherit handles, every inheritable pipe end goes with it
// and is named in KS_INHERITED_HANDLES ("handle:descriptor,..."), from which the
// layer of a child that uses it puts each at its parent's handle number. The drive
// letters that name folders go with every child, as a machine's drives are seen by
// all its programs.
#include "CommandLine.h"
#include "DriveTable.h"
#include "FileObjects.h"
#include "HandleTable.h"
#include "PipeEnd.h"
#include "ProcessObject.h"
#include "ScriptedProcesses.h"
#include "WaitLock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace ks_platform;

extern char** environ;

namespace {

constexpr const char* kInheritedVariable = "KS_INHERITED_HANDLES";
// The drive letters with folders behind them, so that a child of the layer finds
// "X:\..." paths where its parent does: "X=/host/folder" entries split by 0x1F.
constexpr const char* kDriveFoldersVariable = "KS_DRIVE_FOLDERS";
constexpr char kDriveSeparator = '\x1F';

void TakeInheritedDrives()
{
    const char* list = std::getenv(kDriveFoldersVariable);
    if (!list)
        return;
    std::string rest = list;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find(kDriveSeparator, start);
        if (end == std::string::npos)
            end = rest.size();
        const std::string entry = rest.substr(start, end - start);
        if (entry.size() > 2 && entry[1] == '=') {
            KSDriveEntry drive;
            drive.letter = entry[0];
            drive.hostFolder = entry.substr(2);
            if (!ks_platform::DriveTable::Instance().Find(drive.letter))
                ks_platform::DriveTable::Instance().Add(drive);
        }
        start = end + 1;
    }
    ::unsetenv(kDriveFoldersVariable);
}

std::string DriveFoldersOfParent()
{
    std::string list;
    ks_platform::DriveTable::Instance().ForEach([&list](const KSDriveEntry& drive) {
        if (drive.hostFolder.empty())
            return;
        if (!list.empty())
            list += kDriveSeparator;
        list += std::string(1, drive.letter) + "=" + drive.hostFolder;
    });
    return list;
}

// Takes the handles this process inherited, once, when the layer is loaded.
struct InheritedHandles {
    InheritedHandles()
    {
        TakeInheritedDrives();
        const char* list = std::getenv(kInheritedVariable);
        if (!list)
            return;
        const char* p = list;
        while (*p) {
            char* end = nullptr;
            const unsigned long long value = std::strtoull(p, &end, 10);
            if (!end || *end != ':')
                break;
            const long fd = std::strtol(end + 1, &end, 10);
            auto pipe = std::make_shared<PipeEnd>(static_cast<int>(fd));
            if (!HandleTable::Instance().AddAt(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)),
                                               std::make_shared<DeviceObject>(pipe, GENERIC_READ | GENERIC_WRITE)))
                (void)pipe; // the descriptor closes with the end
            else
                ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
            if (*end != ',')
                break;
            p = end + 1;
        }
        ::unsetenv(kInheritedVariable);
    }
};
const InheritedHandles inheritedAtLoad;

struct ChildPlan {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    std::string folder;
    int stdFds[3] = {-1, -1, -1};     // -1: keep the parent's
    std::vector<int> inherited;
};

DWORD ExitCodeOfStatus(int status)
{
    if (WIFEXITED(status))
        return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 0xC0000000u | static_cast<DWORD>(WTERMSIG(status));
    return 1;
}

// Reaps the child and signals its handle.
void WatchChild(std::shared_ptr<ProcessObject> process)
{
    std::thread([process] {
        int status = 0;
        pid_t got;
        do
            got = ::waitpid(process->Pid(), &status, 0);
        while (got == -1 && errno == EINTR);
        {
            std::lock_guard<std::mutex> guard(WaitLock());
            process->End(got == -1 ? 1 : ExitCodeOfStatus(status));
        }
        WaitChanged().notify_all();
    }).detach();
}

// Everything the child needs is made before fork: after it only async-signal-safe
// calls run.
BOOL Start(ChildPlan& plan, LPPROCESS_INFORMATION info)
{
    std::vector<char*> argv;
    for (std::string& argument : plan.arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : plan.environment)
        envp.push_back(&entry[0]);
    envp.push_back(nullptr);
    int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        ::close(devNull);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return FALSE;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        int fds[3];
        for (int i = 0; i < 3; ++i)
            fds[i] = plan.stdFds[i] == -2 ? devNull : plan.stdFds[i];
        // Move the sources above 2 first, so that one dup2 does not overwrite another's.
        for (int i = 0; i < 3; ++i)
            if (fds[i] >= 0 && fds[i] <= 2)
                fds[i] = ::fcntl(fds[i], F_DUPFD_CLOEXEC, 3);
        for (int i = 0; i < 3; ++i)
            if (fds[i] >= 0)
                ::dup2(fds[i], i);
        for (int fd : plan.inherited)
            ::fcntl(fd, F_SETFD, 0);
        if (!plan.folder.empty() && ::chdir(plan.folder.c_str()) != 0) {
            const int error = errno;
            (void)!::write(status[1], &error, sizeof error);
            ::_exit(127);
        }
        ::execve(plan.program.c_str(), argv.data(), envp.data());
        const int error = errno;
        (void)!::write(status[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(status[1]);
    ::close(devNull);
    if (pid < 0) {
        ::close(status[0]);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    int childError = 0;
    ssize_t n;
    do
        n = ::read(status[0], &childError, sizeof childError);
    while (n == -1 && errno == EINTR);
    ::close(status[0]);
    auto process = std::make_shared<ProcessObject>(pid);
    WatchChild(process);
    if (n > 0) {
        SetLastError(childError == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_BAD_EXE_FORMAT);
        return FALSE;
    }
    HANDLE handle = HandleTable::Instance().Add(process);
    HANDLE thread = handle ? HandleTable::Instance().Add(process) : nullptr;
    if (!handle || !thread) {
        if (handle)
            CloseHandle(handle);
        return FALSE;
    }
    if (info) {
        info->hProcess = handle;
        info->hThread = thread;
        info->dwProcessId = static_cast<DWORD>(pid);
        info->dwThreadId = static_cast<DWORD>(pid);
    } else {
        CloseHandle(handle);
        CloseHandle(thread);
    }
    return TRUE;
}

template <typename StartupInfo>
BOOL CreateFromText(const std::string* application, const std::string* commandLine, BOOL inheritHandles,
                    DWORD creationFlags, const std::string* folder, const StartupInfo* startup,
                    LPPROCESS_INFORMATION info)
{
    BOOL scriptedResult = FALSE;
    if (commandLine && StartScriptedProcess(*commandLine, inheritHandles != FALSE, creationFlags, info, scriptedResult))
        return scriptedResult;
    ChildPlan plan;
    if (commandLine)
        plan.arguments = SplitCommandLine(*commandLine);
    if (application && plan.arguments.empty())
        plan.arguments.push_back(*application);
    if (plan.arguments.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    plan.program = FindProgram(application ? *application : plan.arguments[0]);
    if (plan.program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (folder) {
        const std::wstring wide(folder->begin(), folder->end());
        plan.folder = KSPlatformHostPath(wide.c_str());
    }
    if (startup && (startup->dwFlags & STARTF_USESTDHANDLES)) {
        const HANDLE handles[3] = {startup->hStdInput, startup->hStdOutput, startup->hStdError};
        for (int i = 0; i < 3; ++i) {
            const int fd = handles[i] ? DescriptorOfHandle(handles[i]) : -1;
            plan.stdFds[i] = fd >= 0 ? fd : -2; // a missing standard handle reads and writes nothing
        }
    }
    std::string inheritedList;
    if (inheritHandles)
        for (const std::pair<HANDLE, int>& end : InheritableHandles()) {
            plan.inherited.push_back(end.second);
            if (!inheritedList.empty())
                inheritedList += ',';
            inheritedList += std::to_string(reinterpret_cast<uintptr_t>(end.first)) + ':' + std::to_string(end.second);
        }
    for (char** entry = environ; *entry; ++entry)
        if (std::strncmp(*entry, kInheritedVariable, std::strlen(kInheritedVariable)) != 0 &&
            std::strncmp(*entry, kDriveFoldersVariable, std::strlen(kDriveFoldersVariable)) != 0)
            plan.environment.emplace_back(*entry);
    if (!inheritedList.empty())
        plan.environment.push_back(std::string(kInheritedVariable) + "=" + inheritedList);
    const std::string drives = DriveFoldersOfParent();
    if (!drives.empty())
        plan.environment.push_back(std::string(kDriveFoldersVariable) + "=" + drives);
    return Start(plan, info);
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    const size_t length = std::wcstombs(nullptr, text, 0);
    if (length == static_cast<size_t>(-1)) {
        for (const wchar_t* c = text; *c; ++c)
            out += static_cast<char>(*c < 0x80 ? *c : '?');
        return out;
    }
    out.resize(length);
    std::wcstombs(&out[0], text, length + 1);
    return out;
}

} // namespace

extern "C" VOID WINAPI GetStartupInfoA(LPSTARTUPINFOA info)
{
    if (!info)
        return;
    std::memset(info, 0, sizeof *info);
    info->cb = sizeof *info;
}

extern "C" BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                                      LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags, LPVOID,
                                      LPCSTR currentDirectory,
                                      LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation)
{
    const std::string app = application ? application : "";
    const std::string line = commandLine ? commandLine : "";
    const std::string folder = currentDirectory ? currentDirectory : "";
    return CreateFromText(application ? &app : nullptr, commandLine ? &line : nullptr, inheritHandles, creationFlags,
                          currentDirectory ? &folder : nullptr, startupInfo, processInformation);
}

extern "C" BOOL WINAPI CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                                      LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags, LPVOID,
                                      LPCWSTR currentDirectory, LPSTARTUPINFOW startupInfo,
                                      LPPROCESS_INFORMATION processInformation)
{
    const std::string app = application ? Narrow(application) : "";
    const std::string line = commandLine ? Narrow(commandLine) : "";
    const std::string folder = currentDirectory ? Narrow(currentDirectory) : "";
    return CreateFromText(application ? &app : nullptr, commandLine ? &line : nullptr, inheritHandles, creationFlags,
                          currentDirectory ? &folder : nullptr, startupInfo, processInformation);
}

extern "C" BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode)
{
    std::shared_ptr<ProcessObject> object = HandleTable::Instance().FindAs<ProcessObject>(process, ObjectKind::Process);
    if (!object)
        return FALSE;
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(WaitLock());
    *exitCode = object->ExitCode();
    return TRUE;
}

extern "C" BOOL WINAPI TerminateProcess(HANDLE process, UINT)
{
    std::shared_ptr<ProcessObject> object = HandleTable::Instance().FindAs<ProcessObject>(process, ObjectKind::Process);
    if (!object)
        return FALSE;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        if (object->Signalled(0))
            return TRUE;
    }
    // A scripted process (number 0) has no program to kill; kill(0) would hit the group.
    if (object->Pid() > 0)
        ::kill(object->Pid(), SIGKILL);
    return TRUE;
}

namespace {

template <typename Char>
DWORD CopyModulePath(Char* buffer, DWORD size)
{
    const std::string path = ModulePath();
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(path.size());
    const DWORD copied = length < size ? length : size - 1;
    for (DWORD i = 0; i < copied; ++i)
        buffer[i] = static_cast<Char>(static_cast<unsigned char>(path[i]));
    buffer[copied] = 0;
    if (copied < length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return copied;
}

} // namespace

extern "C" DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) { return CopyModulePath(fileName, size); }
extern "C" DWORD WINAPI GetModuleFileNameW(HMODULE, LPWSTR fileName, DWORD size) { return CopyModulePath(fileName, size); }
