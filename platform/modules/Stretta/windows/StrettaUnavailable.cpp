// The Windows build's Stretta until the resizer of Windows is there: it resizes
// nothing and says the resizer is missing, so a restore onto a larger partition fails
// with that code instead of leaving a volume smaller than its partition unreported.
#include "Stretta.h"

extern "C" unsigned long StrettaVolume(const KSPartitionPlace*, long long, long long, long long, long long,
                                       KS_OPERATE_CALLBACK, void*)
{
    return STRETTA_TOOL_MISSING;
}
