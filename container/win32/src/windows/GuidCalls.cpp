// New set identifiers on Windows, from the system's GUID generator.
#include "KSGuid.h"
#include "KSResult.h"

#include <objbase.h>

unsigned long KSCreateGuid(GUID* out)
{
    if (!out)
        return KS_RESULT(KS_WIN32_MODULE, KS_KIND_BAD_ARGUMENT);
    // CoCreateGuid needs no COM initialisation; it fails only when the system is
    // out of resources, and then no identifier is handed out.
    if (FAILED(::CoCreateGuid(out)))
        return KS_RESULT(KS_WIN32_MODULE, KS_KIND_NO_MEMORY);
    return 0;
}
