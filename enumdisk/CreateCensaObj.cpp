// The module's one export.
#include "CCensa.h"

extern "C" KS_CENSA_EXPORT ICensa* CreateCensaObj()
{
    // Built on the first call, destroyed at process exit; callers never release it.
    static CCensa censa;
    return &censa;
}
