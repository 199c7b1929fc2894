// The library's only export: a new command object with its own executor.
#include <new>

#include "CTasque.h"
#include "ICensa.h"

extern "C" KS_TASQUE_EXPORT ITasque* CreateTasqueObj()
{
    IOrdwell* executor = CreateOrdwellObj();
    if (executor == nullptr)
        return nullptr;
    CTasque* object = new (std::nothrow) CTasque(executor, CreateCensaObj());
    if (object == nullptr) {
        executor->Release();
        return nullptr;
    }
    return object;
}
