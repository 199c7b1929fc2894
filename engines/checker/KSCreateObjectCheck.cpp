#include "CImageCheck.h"
#include "CheckResult.h"

extern "C" __attribute__((visibility("default"))) unsigned long KSCreateObjectCheck(unsigned long, unsigned long kind,
                                                                                    void** out)
{
    if (out == nullptr)
        return CheckResult::FactoryNullOut;
    if (kind != KS_CHECK_OBJECT_KIND)
        return CheckResult::FactoryWrongKind;
    *out = static_cast<IKSCheck*>(new CImageCheck());
    return 0;
}
