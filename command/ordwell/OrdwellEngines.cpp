// The engines of a new executor, each made once by its factory with version 0. The
// Linux build links every engine there is; the Windows build links the backup engine
// and the disk enumeration and loads the restore engine and the checker by name,
// as they ship as separate libraries there, and the mount engine likewise. A Linux
// build without the mount engine leaves its pointer null.
#include "ICensa.h"
#include "IKSBackup.h"
#include "IKSCheck.h"
#include "IKSMount.h"
#include "IKSRestore.h"
#include "KSResult.h"
#include "OrdwellParts.h"

#if defined(_WIN32)
#include <windows.h>

namespace {

typedef unsigned long (*EngineFactory)(unsigned long, unsigned long, void**);

// The factory exported by a library beside the executor, or null.
EngineFactory LoadedFactory(const wchar_t* library, const char* name)
{
    HMODULE module = LoadLibraryW(library);
    if (module == nullptr)
        return nullptr;
    FARPROC symbol = GetProcAddress(module, name);
    if (symbol == nullptr) {
        FreeLibrary(module);
        return nullptr;
    }
    return reinterpret_cast<EngineFactory>(reinterpret_cast<void*>(symbol));
}

} // namespace
#endif

namespace {

template <class Engine>
Engine* MadeBy(unsigned long (*factory)(unsigned long, unsigned long, void**), unsigned long kind)
{
    if (factory == nullptr)
        return nullptr;
    void* object = nullptr;
    try {
        if (KSFailed(factory(0, kind, &object)))
            return nullptr;
    } catch (...) {
        return nullptr;
    }
    return static_cast<Engine*>(object);
}

} // namespace

OrdwellEngines CreateOrdwellEngines()
{
    OrdwellEngines engines;
    engines.backup = MadeBy<IKSBackup>(&KSCreateObjectBk, KS_BACKUP_KIND);
    engines.censa = CreateCensaObj();
#if defined(_WIN32)
    engines.restore = MadeBy<IKSRestore>(LoadedFactory(L"Restore.dll", "KSCreateObjectRt"), KS_RESTORE_KIND);
    engines.check = MadeBy<IKSCheck>(LoadedFactory(L"Provane.dll", "KSCreateObjectCheck"), KS_CHECK_OBJECT_KIND);
#else
    engines.restore = MadeBy<IKSRestore>(&KSCreateObjectRt, KS_RESTORE_KIND);
    engines.check = MadeBy<IKSCheck>(&KSCreateObjectCheck, KS_CHECK_OBJECT_KIND);
#endif
#if defined(_WIN32)
    engines.mount = MadeBy<IKSMount>(LoadedFactory(L"Palmet.dll", "KSCreateObjectMount"), KS_MOUNT_KIND);
#elif defined(RVD_ORDWELL_WITH_MOUNT)
    engines.mount = MadeBy<IKSMount>(&KSCreateObjectMount, KS_MOUNT_KIND);
#else
    engines.mount = nullptr;
#endif
    return engines;
}
