// Checks Pip.exe beside it as the disc burner uses it: "Pip -h N tool arguments" must
// write the tool's output and errors to the inherited handle N and end with the
// tool's exit code.
//
//   PipRelay              runs the check (the tool is this program again)
//   PipRelay tool TEXT N  the tool: TEXT on its output and on its errors, exit code N
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kToolExitCode = 37;

int Tool(const char* text, const char* code)
{
    std::printf("out:%s\n", text);
    std::fflush(stdout);
    std::fprintf(stderr, "err:%s\n", text);
    return std::atoi(code);
}

int Check()
{
    char own[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    std::string folder(own, length);
    folder.erase(folder.find_last_of("\\/") + 1);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        std::printf("PipRelay: no pipe (%lu)\n", GetLastError());
        return 1;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const std::string line = "\"" + folder + "Pip.exe\" -h " +
                             std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(writeEnd))) +
                             " \"" + folder + "PipRelay.exe\" tool relayed " + std::to_string(kToolExitCode);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string writable = line;
    if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("PipRelay: Pip.exe does not start (%lu)\n", GetLastError());
        return 1;
    }
    CloseHandle(writeEnd);   // the pipe ends when Pip and its tool have ended
    std::string relayed;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        relayed.append(buffer, got);
    CloseHandle(readEnd);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    int faults = 0;
    if (relayed.find("out:relayed") == std::string::npos || relayed.find("err:relayed") == std::string::npos) {
        std::printf("PipRelay: the tool's output and errors were not relayed; got \"%s\"\n", relayed.c_str());
        ++faults;
    }
    if (code != kToolExitCode) {
        std::printf("PipRelay: Pip ended with %lu, the tool with %lu\n", code, kToolExitCode);
        ++faults;
    }
    if (faults == 0)
        std::printf("ok   Pip.exe relayed the tool's output, errors and exit code %lu\n", code);
    return faults == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "tool") == 0)
        return Tool(argv[2], argv[3]);
    return Check();
}
