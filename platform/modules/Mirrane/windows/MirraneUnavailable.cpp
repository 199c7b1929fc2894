// The Windows build's Mirrane until the copier of Windows is there: it copies nothing
// and says the resizer is missing; the target partition is never touched.
#include "Mirrane.h"

extern "C" unsigned long CopyNTFSVolume(const KSPartitionPlace*, const KSPartitionPlace*, KS_OPERATE_CALLBACK, void*,
                                        const KSVolumeSource*)
{
    return MIRRANE_TOOL_MISSING;
}
