#include "ToolRunner.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

void CToolOutput::Append(const char* data, size_t size)
{
    std::lock_guard<std::mutex> guard(lock_);
    text_.append(data, size);
}

void CToolOutput::AppendNewline()
{
    std::lock_guard<std::mutex> guard(lock_);
    text_ += '\n';
}

std::string CToolOutput::Text() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return text_;
}

std::string QuotedPath(const std::string& path) { return "\"" + path + "\""; }

ToolRun RunTool(const std::string& toolAndArguments, CToolOutput& output, unsigned waitMs, bool newlineAfterRead)
{
    ToolRun run;
    SECURITY_ATTRIBUTES inherit{};
    inherit.nLength = sizeof inherit;
    inherit.bInheritHandle = TRUE;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    // Built whole: temp folders are long and hold spaces.
    std::string commandLine =
        "Pip -h " + std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(writeEnd))) + " " +
        toolAndArguments;
    OutputDebugStringA(commandLine.c_str());
    PROCESS_INFORMATION process{};
    const BOOL created = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(writeEnd);
    if (!created) {
        CloseHandle(readEnd);
        return run;
    }
    run.started = true;
    if (waitMs)
        Sleep(waitMs);
    char buffer[4096];
    for (;;) {
        std::memset(buffer, 0, sizeof buffer);
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, sizeof buffer - 1, &got, nullptr))
            break;
        ++run.reads;
        OutputDebugStringA(buffer);
        output.Append(buffer, got);
        if (newlineAfterRead)
            output.AppendNewline();
    }
    CloseHandle(readEnd);
    // Success is the tool's own word, not the amount of its output.
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    if (!GetExitCodeProcess(process.hProcess, &code))
        code = 1;
    run.exitCode = code;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}
