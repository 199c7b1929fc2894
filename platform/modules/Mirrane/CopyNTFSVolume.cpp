#include "Mirrane.h"

#include <vector>

#include "CPartitionDevice.h"
#include "CScratchVolume.h"
#include "Stretta.h"

namespace {
// The copy of the used clusters is the first half of the operation.
class MirraneCopyWatch : public IScratchWatch {
public:
    explicit MirraneCopyWatch(CCallBackOperate& progress) : progress_(progress) {}
    bool Tick(uint64_t done, uint64_t total) override
    {
        if (total != 0)
            progress_.SetPercent(static_cast<unsigned long>(done * 50 / total));
        return !progress_.Cancelled();
    }

private:
    CCallBackOperate& progress_;
};

unsigned long MirraneFromScratch(CScratchVolume::Outcome outcome)
{
    switch (outcome) {
    case CScratchVolume::kDone:
        return 0;
    case CScratchVolume::kReadFailed:
        return MIRRANE_READ_FAILED;
    case CScratchVolume::kCancelled:
        return MIRRANE_CANCELLED;
    default:
        return MIRRANE_WRITE_FAILED;
    }
}

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
bool CopyBootToLastSector(CScratchVolume& scratch)
{
    std::vector<unsigned char> boot(512);
    return scratch.Read(boot.data(), 0, 1) && scratch.Write(boot.data(), scratch.Sectors() - 1, 1);
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
    MirraneCopyWatch watch(progress);
    unsigned long result = MirraneFromScratch(scratch.CopyUsedFrom(*source, &watch));
    if (result == 0 && !CopyBootToLastSector(scratch))
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
    if (result == 0 && !CopyBootToLastSector(scratch))
        result = MIRRANE_WRITE_FAILED;
    if (result == 0 && progress.Cancelled())
        result = MIRRANE_CANCELLED;
    if (result != 0)
        return result;
    result = MirraneFromScratch(scratch.WriteInto(partition, wanted, false));
    if (result == 0)
        progress.EndOperation();
    return result;
}
