// The snapshot client's factory, the library's one export.
#include <new>

#include "IQuelm.h"
#include "KSResult.h"

#if defined(_WIN32)
#define KS_QUELM_EXPORT
#else
#define KS_QUELM_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KS_QUELM_EXPORT unsigned long KSCreateObjectQuelm(unsigned long version, unsigned long kind, void** out)
{
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    *out = nullptr;
    if (version > KS_QUELM_VERSION)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_VERSION_TOO_NEW);
    if (kind != KS_QUELM_KIND)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_WRONG_OBJECT);
    IQuelm* client = new (std::nothrow) IQuelm();
    if (client == nullptr || !client->HasContext()) {
        if (client != nullptr)
            client->Release();
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY);
    }
    *out = static_cast<IKSQuelm*>(client);
    return 0;
}
