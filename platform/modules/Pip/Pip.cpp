// Pip: "Pip -h N tool args" runs the tool with its output and errors on the
// inherited handle N and exits with the tool's exit code. On Linux the ISO builders
// are genisoimage and the tools that need a drive run on the drive model.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <KSPlatformControl.h>

#include "ModelWriter.h"
#include "OpticalDriveState.h"
#endif

namespace {

// Quotes an argument so that the run-time splits it back to itself.
std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, '\\');
    return quoted + "\"";
}

int RunTool(HANDLE output, const std::string& tool, const std::vector<std::string>& arguments)
{
    std::string line = QuoteArgument(tool);
    for (const std::string& argument : arguments)
        line += " " + QuoteArgument(argument);
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        const std::string message = "Pip: cannot start " + tool + "\n";
        DWORD written = 0;
        WriteFile(output, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
        return 127;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

#if !defined(_WIN32)
bool IsDrivePath(const std::string& text, size_t at)
{
    return text.size() > at + 2 && text[at + 1] == ':' && (text[at + 2] == '\\' || text[at + 2] == '/') &&
           ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z'));
}

std::string HostPathOf(const std::string& path)
{
    const std::wstring wide(path.begin(), path.end());
    const std::string host = KSPlatformHostPath(wide.c_str());
    return host.empty() ? path : host;
}

// The Linux tools read host paths: "X:\a\b" becomes the folder the drive stands for,
// also behind "=" ("-Z R:=T:\image.iso").
std::string HostArgument(const std::string& argument)
{
    if (IsDrivePath(argument, 0))
        return HostPathOf(argument);
    const size_t eq = argument.find('=');
    if (eq != std::string::npos && IsDrivePath(argument, eq + 1))
        return argument.substr(0, eq + 1) + HostPathOf(argument.substr(eq + 1));
    return argument;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4 || std::strcmp(argv[1], "-h") != 0) {
        std::fprintf(stderr, "usage: Pip -h handle tool [arguments]\n");
        return 2;
    }
    HANDLE output = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10)));
    std::string tool = argv[3];
    std::vector<std::string> arguments(argv + 4, argv + argc);
#if !defined(_WIN32)
    for (std::string& argument : arguments)
        argument = HostArgument(argument);
    const std::string root = optical::Root();
    if (optical::IsModelTool(tool))
        return optical::RunModelTool(root, tool, arguments, [output](const std::string& text) {
            DWORD written = 0;
            WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        });
    if (tool == "mkisofs" || tool == "mkcdisofs" || tool == "mkisofs.exe" || tool == "mkcdisofs.exe") {
        tool = "genisoimage";
        if (!optical::IsoBuilderArguments(root, arguments))
            return 2;
    }
#endif
    return RunTool(output, tool, arguments);
}
