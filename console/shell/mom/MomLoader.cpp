// The Linux loader of the module-object layer: dlopen/dlsym under the "GetModule"
// contract.
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

#include "MomPtr.h"

namespace {

// Length of text when it is at most limit characters; limit + 1 when it is longer.
// Never reads past the character that decides.
unsigned long BoundedLength(const char* text, unsigned long limit)
{
    unsigned long n = 0;
    while (n <= limit && text[n] != '\0')
        ++n;
    return n;
}

} // namespace

IModule* CallGetModule(MomGetModuleFn fn, void* handle)
{
    if (fn == nullptr)
        return nullptr;
    try {
        return fn(handle);
    } catch (...) {
        return nullptr;
    }
}

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

bool MomModuleInterfaceName(const char* name, char* out, unsigned long size)
{
    if (name == nullptr || out == nullptr)
        return false;
    const unsigned long length = BoundedLength(name, kMomMaxModuleName);
    if (length > kMomMaxModuleName || length + sizeof("IModule") > size)
        return false;
    out[0] = 'I';
    std::memcpy(out + 1, name, length);
    std::memcpy(out + 1 + length, "Module", sizeof("Module"));
    return true;
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
    if (name == nullptr)
        return nullptr;
    const unsigned long length = BoundedLength(name, kMomMaxModuleName);
    if (length > kMomMaxModuleName)
        return nullptr;
    char file[2 * kMomMaxModuleName];
    static_assert(2 * kMomMaxModuleName > kMomMaxModuleName + sizeof(".mo"), "room for the suffix");
    std::memcpy(file, name, length);
    std::memcpy(file + length, ".mo", sizeof(".mo"));
    // Modules ship beside the programs that load them. The loader's own folder is tried
    // first, as the Windows loader tries the program's folder: a bare name would
    // otherwise depend on whose run path the platform loader consults (a sanitizer
    // that wraps dlopen hides the program's). Then the platform's search rules.
    if (std::strchr(file, '/') == nullptr) {
        const std::string beside = LoaderFolder() + file;
        if (LoaderFolder().size() > 0 && access(beside.c_str(), F_OK) == 0)
            return OpenModuleFromFile(beside.c_str());
    }
    return OpenModuleFromFile(file);
}
