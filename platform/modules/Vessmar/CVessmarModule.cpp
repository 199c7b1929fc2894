#include "CVessmarModule.h"

#include "InterfaceKey.h"
#include "KSResult.h"
#include "VessmarLock.h"

CDeviceManager& CVessmarModule::Manager()
{
    // Made on first use and kept for the life of the process, like the module itself.
    static CDeviceManager* manager = new CDeviceManager;
    if (!manager->Scanned())
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
    VessmarGuard guard(VessmarLock());
    return static_cast<IManager*>(&Manager());
}

unsigned long CVessmarModule::Refresh(unsigned long)
{
    VessmarGuard guard(VessmarLock());
    CDeviceManager& manager = Manager();
    manager.Rescan();
    return 0;
}

IManager* CVessmarModule::GetManager()
{
    VessmarGuard guard(VessmarLock());
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
