// The older revision's factory: a new object on each call.
#include "CPyrelleOlder.h"

#include <KSResult.h>

#include <new>

extern "C" unsigned long CreateObjectPyrelle(unsigned long, unsigned long id, void** out)
{
    if (!out)
        return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_NO_OUT_POINTER);
    if (id != KS_PYRELLE_ID)
        return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_BAD_ARGUMENT);
    *out = static_cast<IPyrelle*>(new (std::nothrow) CPyrelleOlder);
    return *out ? 0 : KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_NO_MEMORY);
}
