#include "Mirrane.h"

#include <vector>

#include "CPartitionDevice.h"
#include "CScratchVolume.h"
#include "LittleEndian.h"
#include "ScratchProgress.h"
#include "Stretta.h"

namespace {
unsigned long MirraneFromStretta(unsigned long result)
{
    switch (result) {
    case 0:
        return 0;
    case STRETTA_CANCELLED:
        return MIRRANE_CANCELLED;
    case STRETTA_TOOL_MISSING:
        return MIRRANE_TOOL_MISSING;
    default:
        return MIRRANE_DOES_NOT_FIT;
    }
}

// The boot sector's copy in the file's last sector, where ntfsresize and Windows look.
// After a resize the volume is made to end just before it, as Windows has it:
// ntfsresize counts whole clusters only, and checkers look for the copy right after
// the counted sectors.
bool CopyBootToLastSector(CScratchVolume& scratch, bool resized)
{
    std::vector<unsigned char> boot(512);
    if (!scratch.Read(boot.data(), 0, 1))
        return false;
    if (resized) {
        StoreLE64(boot.data() + 40, scratch.Sectors() - 1);
        if (!scratch.Write(boot.data(), 0, 1))
            return false;
    }
    return scratch.Write(boot.data(), scratch.Sectors() - 1, 1);
}
}

extern "C" unsigned long CopyNTFSVolume(const KSPartitionPlace* target, const KSPartitionPlace* targetAgain,
                                        KS_OPERATE_CALLBACK callback, void* context, const KSVolumeSource* source)
{
    if (target == nullptr || targetAgain == nullptr || source == nullptr || source->device == nullptr ||
        target->disk != targetAgain->disk || target->firstSector != targetAgain->firstSector ||
        target->sectorCount != targetAgain->sectorCount || target->sectorCount < 2 || source->volumeSectors == 0)
        return MIRRANE_BAD_ARGUMENT;
    CCallBackOperate progress(callback, context);
    progress.StartOperation(0, KS_OPERATION_NTFS_COPY);
    CPartitionDevice partition(*target);
    if (partition.Open() == 0)
        return MIRRANE_WRITE_FAILED;

    // The volume as it was, with its boot sector's copy just past it.
    const uint64_t wanted = target->sectorCount;
    const uint64_t asIs = source->volumeSectors + 1;
    CScratchVolume scratch;
    if (!scratch.Create(nullptr, asIs))
        return MIRRANE_WRITE_FAILED;
    CScratchShareWatch watch(progress, 50);
    unsigned long result = ScratchOutcomeResult(scratch.CopyUsedFrom(*source, &watch));
    if (result == 0 && !CopyBootToLastSector(scratch, false))
        result = MIRRANE_WRITE_FAILED;
    if (result != 0)
        return result;
    if (wanted > asIs) {
        if (!scratch.Resize(wanted))
            return MIRRANE_WRITE_FAILED;
        result = MirraneFromStretta(StrettaRunNtfsResize(scratch.Path(), 0, progress));
    } else if (wanted < asIs) {
        result = MirraneFromStretta(StrettaRunNtfsResize(scratch.Path(), (wanted - 1) * 512ull, progress));
        if (result == 0 && !scratch.Resize(wanted))
            result = MIRRANE_WRITE_FAILED;
    }
    if (result == 0 && !CopyBootToLastSector(scratch, wanted != asIs))
        result = MIRRANE_WRITE_FAILED;
    if (result == 0 && progress.Cancelled())
        result = MIRRANE_CANCELLED;
    if (result != 0)
        return result;
    result = ScratchOutcomeResult(scratch.WriteInto(partition, wanted, false));
    if (result == 0)
        progress.EndOperation();
    return result;
}
