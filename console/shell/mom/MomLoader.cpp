// The Linux loader of the module-object layer: dlopen/dlsym under the "GetModule"
// contract.
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

#include "MomNames.h"
#include "MomPtr.h"

IModule* OpenModuleFromFile(const char* file)
{
    if (file == nullptr)
        return nullptr;
    void* handle = dlopen(file, RTLD_LAZY);
    if (handle == nullptr) {
        const char* why = dlerror();
        std::puts(why != nullptr ? why : file);
        return nullptr;
    }
    void* symbol = dlsym(handle, "GetModule");
    if (symbol == nullptr) {
        dlclose(handle);
        return nullptr;
    }
    MomGetModuleFn fn;
    static_assert(sizeof(fn) == sizeof(symbol), "function and object pointers differ");
    std::memcpy(&fn, &symbol, sizeof(fn));
    // From here on the library stays loaded, whatever GetModule answers.
    return CallGetModule(fn, handle);
}

namespace {

// The folder of the program or library that holds this loader, with a trailing "/";
// empty when it cannot be told.
std::string LoaderFolder()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&LoaderFolder), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    std::string path = info.dli_fname;
    if (path.find('/') == std::string::npos) {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
        if (n <= 0)
            return std::string();
        path.assign(self, static_cast<size_t>(n));
    }
    return path.substr(0, path.rfind('/') + 1);
}

} // namespace

IModule* OpenModuleEx(const char* name)
{
    char file[2 * kMomMaxModuleName];
    if (!MomModuleFileName(name, file, sizeof(file)))
        return nullptr;
    // Modules ship beside the programs that load them. The loader's own folder is tried
    // first, as the Windows loader tries the program's folder: a bare name would
    // otherwise depend on whose run path the platform loader consults (a sanitizer
    // that wraps dlopen hides the program's). Then the platform's search rules.
    if (std::strchr(file, '/') == nullptr) {
        const std::string folder = LoaderFolder();
        const std::string beside = folder + file;
        if (!folder.empty() && access(beside.c_str(), F_OK) == 0)
            return OpenModuleFromFile(beside.c_str());
    }
    return OpenModuleFromFile(file);
}
