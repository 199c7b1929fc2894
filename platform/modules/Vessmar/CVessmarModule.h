// The root object of Vessmar.mo.
#pragma once

#include <vector>

#include "CDeviceManager.h"
#include "MomPtr.h"
#include "vessmar/IVessmarModule.h"

class CVessmarModule final : public IModule, public IVessmarModule {
public:
    IObject* GetInterface(const char* key) override;
    // The root lives as long as the process: references are not counted.
    unsigned long Release() override { return 1; }
    unsigned long AddRef() override { return 1; }
    unsigned long ObjectReserved3() override { return 0; }
    unsigned long ObjectReserved4() override { return 0; }

    unsigned long VessmarReserved5() override { return 0; }
    unsigned long VessmarReserved6() override { return 0; }
    IObject* Open(unsigned long flags) override;
    unsigned long Refresh(unsigned long flags) override;
    IManager* GetManager() override;
    unsigned long Attach(IObject* session) override;

private:
    CDeviceManager& Manager();

    std::vector<IObject*> attached_;
};
