// Loads every shipped module from the folder this program runs in, the way the user
// interface does (LoadLibrary by name), and has each factory make an object and
// release it again; the modules that export calls rather than a factory must offer
// every one of them. Prints one line per module and ends with the number of faults.
//
// Wine has DLLs a stock Windows 2000 lacks (zlib1.dll among them), so a module that
// loads here may still not load there: each loaded module's imports, and those of
// our modules it imports, are held against the DLLs Windows 2000 SP4 has.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "IBurnerTool.h"
#include "ICensa.h"
#include "IKSBackup.h"
#include "IKSCheck.h"
#include "IKSCofran.h"
#include "IKSDevIO.h"
#include "IKSMount.h"
#include "IKSQuelm.h"
#include "IKSRestore.h"
#include "IKSVolume.h"
#include "IOrdwell.h"
#include "IPyrelle.h"
#include "ITasque.h"
#include "KSFSSupport.h"

namespace {

typedef unsigned long (*KindFactory)(unsigned long version, unsigned long kind, void** out);

struct FactoryModule {
    const char* module;
    const char* factory;
    unsigned long version;
    unsigned long kind;
    // Releases the object the factory made; null when the object is not the caller's to end.
    unsigned long (*release)(void* object);
};

template <typename Interface>
unsigned long ReleaseAs(void* object)
{
    return static_cast<Interface*>(object)->Release();
}

// Objects handed out for the life of the process (the drive tool keeps one list).
unsigned long Keep(void*) { return 0; }

const FactoryModule kFactoryModules[] = {
    {"Cofran.dll", "KSCreateObjectImg", 0x10000, 1, ReleaseAs<IKSCofran>},
    {"Fenlow.dll", "KSCreateObjectFsFat", 1, 4, ReleaseAs<IKSFSSupport>},
    {"Ferrow.dll", "KSCreateObjectFsNt", 1, 4, ReleaseAs<IKSFSSupport>},
    {"Rawdex.dll", "KSCreateObjectDevIO", KS_DEVIO_VERSION, KS_DEVIO_KIND, ReleaseAs<IKSDevIO>},
    {"Quelm.dll", "KSCreateObjectQuelm", KS_QUELM_VERSION, KS_QUELM_KIND, ReleaseAs<IKSQuelm>},
    {"Backup.dll", "KSCreateObjectBk", 1000, KS_BACKUP_KIND, ReleaseAs<IKSBackup>},
    {"Backup.dll", "KSCreateObjHotVolume", 1000, KS_HOT_VOLUME_KIND, ReleaseAs<IKSVolume>},
    {"Restore.dll", "KSCreateObjectRt", 1000, KS_RESTORE_KIND, ReleaseAs<IKSRestore>},
    {"Palmet.dll", "KSCreateObjectMount", 0x10000, KS_MOUNT_KIND, ReleaseAs<IKSMount>},
    {"Provane.dll", "KSCreateObjectCheck", 1, KS_CHECK_OBJECT_KIND, ReleaseAs<IKSCheck>},
    {"Burner.dll", "CreateObjectPyrelle", 1, KS_PYRELLE_ID, ReleaseAs<IPyrelle>},
    {"Pyrelle.dll", "CreateObjectPyrelle", 1, KS_PYRELLE_ID, ReleaseAs<IPyrelle>},
    {"Drevel.dll", "CreateObjectBurnerTool", 1, KS_BURNER_TOOL_ID, Keep},
};

// Modules whose callers take calls rather than objects: every call must be there.
struct CallModule {
    const char* module;
    const char* calls[12];
};

const CallModule kCallModules[] = {
    {"Vovav.dll",
     {"Bcd_GetDiskSignature", "Bcd_Init", "Bcd_IsBcdPartition", "Bcd_IsUsingBcdFile", "Bcd_IsVistaBoot",
      "Bcd_LockBcdFile", "Bcd_UnlockBcdFile", "BootIni_GetArcInfo", "BootIni_IsUpdated", "BootIni_SetOptPart",
      "BootIni_UpdateFile"}},
    {"Log.dll", {"_ZN10CLogWriter3LogEPKcz"}},
    {"Relayon.dll", {"LoadOperationName"}},
    {"Stretta.dll", {"StrettaVolume"}},
    {"Mirrane.dll", {"CopyNTFSVolume"}},
};

int faults = 0;

// A call of a loaded module as the type it has (GetProcAddress hands out one type for all).
template <typename Call>
Call Resolve(HMODULE handle, const char* name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

void Fault(const char* module, const char* what, unsigned long code)
{
    std::printf("FAIL %s: %s (%lu, 0x%08lX)\n", module, what, code, code);
    ++faults;
}

// The system DLLs of a stock Windows 2000 SP4 a module may import from.
const char* const kOldestSystemDlls[] = {
    "kernel32.dll", "ntdll.dll",    "user32.dll",  "gdi32.dll",   "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll", "ws2_32.dll",   "setupapi.dll", "newdev.dll",
    "version.dll",
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// The DLL names in a loaded image's import directory.
std::vector<std::string> ImportedDlls(HMODULE image)
{
    const unsigned char* base = reinterpret_cast<const unsigned char*>(image);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    if (directory.VirtualAddress == 0)
        return names;
    for (const IMAGE_IMPORT_DESCRIPTOR* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         entry->Name != 0; ++entry)
        names.push_back(Lower(reinterpret_cast<const char*>(base + entry->Name)));
    return names;
}

// Whether Windows 2000 would load the module: each DLL it imports is a system DLL
// there or one of ours beside it that it would load in turn.
bool LoadsOnOldestWindows(const char* module, const std::string& name, std::set<std::string>& seen)
{
    if (!seen.insert(name).second)
        return true;
    HMODULE image = GetModuleHandleA(name.c_str());
    if (image == nullptr)
        return true;   // not loaded: LoadLibrary has already said why
    for (const std::string& dll : ImportedDlls(image)) {
        if (std::find(std::begin(kOldestSystemDlls), std::end(kOldestSystemDlls), dll) != std::end(kOldestSystemDlls))
            continue;
        if (GetFileAttributesA((OwnFolder() + dll).c_str()) != INVALID_FILE_ATTRIBUTES) {
            if (!LoadsOnOldestWindows(module, dll, seen))
                return false;
            continue;
        }
        const std::string what = name + " imports " + dll + ", which Windows 2000 lacks: LoadLibrary fails there";
        Fault(module, what.c_str(), ERROR_MOD_NOT_FOUND);
        return false;
    }
    return true;
}

HMODULE Load(const char* module)
{
    HMODULE handle = LoadLibraryA(module);
    if (handle == nullptr) {
        Fault(module, "LoadLibrary", GetLastError());
        return nullptr;
    }
    std::set<std::string> seen;
    if (!LoadsOnOldestWindows(module, Lower(module), seen)) {
        FreeLibrary(handle);
        return nullptr;
    }
    return handle;
}

void CheckFactory(const FactoryModule& entry)
{
    HMODULE handle = Load(entry.module);
    if (handle == nullptr)
        return;
    const KindFactory factory = Resolve<KindFactory>(handle, entry.factory);
    void* object = nullptr;
    unsigned long rc = 0;
    if (factory == nullptr)
        Fault(entry.module, entry.factory, GetLastError());
    else if ((rc = factory(entry.version, entry.kind, &object)) != 0 || object == nullptr)
        Fault(entry.module, entry.factory, rc);
    else if ((rc = entry.release(object)) != 0)
        Fault(entry.module, "Release", rc);
    else
        std::printf("ok   %s: %s made and released an object\n", entry.module, entry.factory);
    FreeLibrary(handle);
}

// The factories without arguments hand out objects of their own kinds.
template <typename Interface>
void CheckPlainFactory(const char* module, const char* name, bool (*end)(Interface*))
{
    HMODULE handle = Load(module);
    if (handle == nullptr)
        return;
    typedef Interface* (*Factory)();
    const Factory factory = Resolve<Factory>(handle, name);
    Interface* object = factory != nullptr ? factory() : nullptr;
    if (factory == nullptr)
        Fault(module, name, GetLastError());
    else if (object == nullptr)
        Fault(module, name, 0);
    else if (!end(object))
        Fault(module, "Release", 0);
    else
        std::printf("ok   %s: %s made and released an object\n", module, name);
    FreeLibrary(handle);
}

void CheckCalls(const CallModule& entry)
{
    HMODULE handle = Load(entry.module);
    if (handle == nullptr)
        return;
    bool all = true;
    for (const char* call : entry.calls) {
        if (call == nullptr)
            break;
        if (GetProcAddress(handle, call) == nullptr) {
            Fault(entry.module, call, GetLastError());
            all = false;
        }
    }
    if (all)
        std::printf("ok   %s: every call is there\n", entry.module);
    FreeLibrary(handle);
}

} // namespace

int main()
{
    // A module that cannot be found must fail here, not raise a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (const FactoryModule& entry : kFactoryModules)
        CheckFactory(entry);
    CheckPlainFactory<ICensa>("Censa.dll", "CreateCensaObj", [](ICensa* censa) {
        delete censa;
        return true;
    });
    CheckPlainFactory<IOrdwell>("Ordwell.dll", "CreateOrdwellObj", [](IOrdwell* o) { return o->Release() == 0; });
    CheckPlainFactory<ITasque>("Tasque.dll", "CreateTasqueObj", [](ITasque* t) { return t->Release() == 0; });
    for (const CallModule& entry : kCallModules)
        CheckCalls(entry);
    std::printf("%d module faults\n", faults);
    return faults == 0 ? 0 : 1;
}
