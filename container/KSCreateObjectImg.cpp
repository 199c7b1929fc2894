// The module's factory.
#include "CCofran.h"
#include "CofranResult.h"

namespace {
constexpr unsigned long kHighestVersion = 0x10000;
constexpr unsigned long kContainerKind = 1;
} // namespace

extern "C" unsigned long KSCreateObjectImg(unsigned long version, unsigned long kind, void** out)
{
    if (out == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (version > kHighestVersion)
        return COFRAN_FAIL(KS_KIND_VERSION_TOO_NEW);
    if (kind != kContainerKind)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    CCofran* object = new CCofran(); // null without memory (CCofran's own operator new)
    if (object == nullptr)
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    *out = static_cast<IKSCofran*>(object);
    return 0;
}
