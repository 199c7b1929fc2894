// The one export of the FAT reader library.
#include <new>

#include "CFSSupportFAT.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectFsFat(unsigned long, unsigned long,
                                                                                     void** out)
{
    // Like the NTFS factory this checks neither version nor kind; callers pass 1 and 4.
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    IKSFSSupport* reader = new (std::nothrow) CFSSupportFAT();
    *out = reader;
    return 0;
}
