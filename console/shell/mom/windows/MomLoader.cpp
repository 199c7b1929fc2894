// The Windows loader of the module-object layer: LoadLibraryA/GetProcAddress under the
// "GetModule" contract. Unlike the Linux loader it prints nothing when loading fails.
#include <cstring>
#include <windows.h>

#include "MomPtr.h"

namespace {

// Length of text when it is at most limit characters; limit + 1 when it is longer.
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
    HMODULE library = LoadLibraryA(file);
    if (library == nullptr)
        return nullptr;
    FARPROC symbol = GetProcAddress(library, "GetModule");
    if (symbol == nullptr) {
        FreeLibrary(library);
        return nullptr;
    }
    MomGetModuleFn fn;
    static_assert(sizeof(fn) == sizeof(symbol), "function pointers differ");
    std::memcpy(&fn, &symbol, sizeof(fn));
    // From here on the library stays loaded, whatever GetModule answers.
    return CallGetModule(fn, library);
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

IModule* OpenModuleEx(const char* name)
{
    if (name == nullptr)
        return nullptr;
    const unsigned long length = BoundedLength(name, kMomMaxModuleName);
    if (length > kMomMaxModuleName)
        return nullptr;
    char file[2 * kMomMaxModuleName];
    std::memcpy(file, name, length);
    std::memcpy(file + length, ".mo", sizeof(".mo"));
    // No folder: the system loader's search order (the program's folder first) applies.
    return OpenModuleFromFile(file);
}
