#include "LivePartitionIndex.h"

#include "ICensa.h"
#include "KSResult.h"

long LivePartitionIndex(unsigned disk, uint64_t firstSector)
{
    ICensa* censa = CreateCensaObj();
    if (censa == nullptr || KSFailed(censa->Init()))
        return -1;
    unsigned long long count = 0;
    if (KSFailed(censa->GetPartitionCount(disk, &count)))
        return -1;
    for (unsigned long long i = 0; i < count; ++i) {
        _KS_PARTITION_INFO info{};
        // Type 0 marks a free stretch, never a volume.
        if (KSSucceeded(censa->GetPartitionInfo(disk, i, &info, nullptr)) && info.PartitionType != 0 &&
            info.StartSector == firstSector)
            return static_cast<long>(i);
    }
    return -1;
}
