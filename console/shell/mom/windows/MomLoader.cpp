// The Windows loader of the module-object layer: LoadLibraryA/GetProcAddress under the
// "GetModule" contract. Unlike the Linux loader it prints nothing when loading fails.
#include <cstring>
#include <windows.h>

#include "../MomNames.h"
#include "MomPtr.h"

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

IModule* OpenModuleEx(const char* name)
{
    char file[2 * kMomMaxModuleName];
    if (!MomModuleFileName(name, file, sizeof(file)))
        return nullptr;
    // No folder: the system loader's search order (the program's folder first) applies.
    return OpenModuleFromFile(file);
}
