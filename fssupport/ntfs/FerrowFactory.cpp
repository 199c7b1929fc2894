// The one export of the NTFS reader library.
#include <new>

#include "CFSSupportNtfs.h"
#include "KSResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectFsNt(unsigned long, unsigned long,
                                                                                    void** out)
{
    // Checks neither version nor kind: callers pass 1 and 4.
    if (out == nullptr)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    IKSFSSupport* reader = new (std::nothrow) CFSSupportNtfs();
    *out = reader;
    if (reader == nullptr)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_NO_MEMORY);
    return 0;
}
