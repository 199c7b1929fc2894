#include "CVessmarModule.h"

#include "InterfaceKey.h"
#include "KSResult.h"
#include "VessmarLock.h"

CDeviceManager& CVessmarModule::Manager()
{
    // Made on first use and kept for the life of the process, like the module itself.
    // The first use scans; scanning takes the lock only to swap the new tree in.
    static CDeviceManager* manager = new CDeviceManager;
    bool scanned;
    {
        VessmarGuard guard(VessmarLock());
        scanned = manager->Scanned();
    }
    if (!scanned)
        manager->Rescan();
    return *manager;
}

IObject* CVessmarModule::GetInterface(const char* key)
{
    VessmarGuard guard(VessmarLock());
    return IsKeyOf<IVessmarModule>(key) ? static_cast<IVessmarModule*>(this) : nullptr;
}

IObject* CVessmarModule::Open(unsigned long)
{
    return static_cast<IManager*>(&Manager());
}

unsigned long CVessmarModule::Refresh(unsigned long)
{
    Manager().Rescan();
    return 0;
}

IManager* CVessmarModule::GetManager()
{
    return &Manager();
}

unsigned long CVessmarModule::Attach(IObject* session)
{
    VessmarGuard guard(VessmarLock());
    if (session == nullptr)
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    session->AddRef();
    attached_.push_back(session);
    return 0;
}
