#include "CommandLine.h"

#include "KSPlatformControl.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace {

std::mutex& ModuleLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::string& ModuleOverride()
{
    static auto* path = new std::string;
    return *path;
}

bool Executable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

// The file itself, or without a ".exe" the Linux build does not carry.
std::string ExecutableForm(const std::string& path)
{
    if (Executable(path))
        return path;
    if (path.size() > 4) {
        std::string tail = path.substr(path.size() - 4);
        for (char& c : tail)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (tail == ".exe" && Executable(path.substr(0, path.size() - 4)))
            return path.substr(0, path.size() - 4);
    }
    return {};
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string OwnExecutable()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

} // namespace

namespace ks_platform {

std::vector<std::string> SplitCommandLine(const std::string& line)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string argument;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                argument.append(slashes / 2, '\\');
                if (slashes % 2) {
                    argument += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(slashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')))
                    argument += line[i++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::string ModulePath()
{
    {
        std::lock_guard<std::mutex> guard(ModuleLock());
        if (!ModuleOverride().empty())
            return ModuleOverride();
    }
    return OwnExecutable();
}

std::string FindProgram(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.find_first_of("/\\") != std::string::npos) {
        std::wstring wide(name.begin(), name.end());
        return ExecutableForm(KSPlatformHostPath(wide.c_str()));
    }
    for (const std::string& folder : {FolderOf(ModulePath()), FolderOf(OwnExecutable())}) {
        const std::string found = ExecutableForm(folder + name);
        if (!found.empty())
            return found;
    }
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t end = rest.find(':', start);
        const std::string folder = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty()) {
            const std::string found = ExecutableForm(folder + "/" + name);
            if (!found.empty())
                return found;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

} // namespace ks_platform

void KSPlatformSetModuleFileName(const std::string& path)
{
    std::lock_guard<std::mutex> guard(ModuleLock());
    ModuleOverride() = path;
}
