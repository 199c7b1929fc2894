#include "CBrasketModule.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "CFatRelayout.h"
#include "CFatResizer.h"
#include "CLogWriter.h"
#include "CPartitionDevice.h"
#include "CScratchVolume.h"
#include "ScratchProgress.h"
#include "LittleEndian.h"

namespace {
constexpr unsigned kHiddenSectorsAt = 28;
constexpr unsigned kBackupBootAt = 50;     // FAT32: sector of the boot sector's copy
constexpr unsigned kFat32TableSizeAt = 36; // u32, 0 on FAT12/16

bool IsFat32Boot(const unsigned char* boot) { return LoadLE16(boot + 22) == 0 && LoadLE32(boot + kFat32TableSizeAt) != 0; }
unsigned LabelOffset(const unsigned char* boot) { return IsFat32Boot(boot) ? 71 : 43; }

// The volume now starts at the target partition's first sector, and keeps the label
// its boot sector had (libparted writes "NO NAME", which the root directory's label
// then contradicts): the boot sector and a FAT32 volume's copy of it say so.
bool FinishBootSector(CScratchVolume& scratch, uint64_t firstSector, const unsigned char* before)
{
    unsigned char boot[512];
    if (!scratch.Read(boot, 0, 1))
        return false;
    StoreLE32(boot + kHiddenSectorsAt, static_cast<uint32_t>(firstSector));
    std::memcpy(boot + LabelOffset(boot), before + LabelOffset(before), 11);
    if (!scratch.Write(boot, 0, 1))
        return false;
    const uint16_t backup = LoadLE16(boot + kBackupBootAt);
    const bool fat32 = IsFat32Boot(boot);
    if (!fat32 || backup == 0 || backup == 0xFFFF || backup >= LoadLE16(boot + 14))
        return true;
    return scratch.Write(boot, backup, 1);
}
}

IObject* CBrasketModule::GetInterface(const char* key)
{
    return key != nullptr && std::strcmp(key, "IBrasketModule") == 0 ? this : nullptr;
}

unsigned long CBrasketModule::CopyFatVolume(const KSFatCopyBlock* block, const KSVolumeSource* source)
{
    if (block == nullptr || source == nullptr || source->device == nullptr || source->volumeSectors == 0 ||
        block->sourceSectors != source->volumeSectors || block->target.disk != block->targetAgain.disk ||
        block->target.firstSector != block->targetAgain.firstSector ||
        block->target.sectorCount != block->targetAgain.sectorCount)
        return BRASKET_BAD_ARGUMENT;
    CCallBackOperate progress(block->callback, block->context);
    progress.StartOperation(0, KS_OPERATION_FAT_COPY);
    CPartitionDevice partition(block->target);
    if (partition.Open() == 0)
        return BRASKET_WRITE_FAILED;
    const uint64_t wanted = block->target.sectorCount;
    CScratchVolume scratch;
    if (!scratch.Create(nullptr, std::max(wanted, source->volumeSectors)))
        return BRASKET_WRITE_FAILED;
    CScratchShareWatch watch(progress, 20);
    unsigned long result = ScratchOutcomeResult(scratch.CopyUsedFrom(*source, &watch));
    if (result != 0)
        return result;
    unsigned char before[512];
    if (!scratch.Read(before, 0, 1))
        return BRASKET_READ_FAILED;
    if (wanted != source->volumeSectors) {
        CFatResizer resizer;
        CFatResizer::Outcome outcome = resizer.Resize(scratch.Path(), source->volumeSectors, wanted, progress);
        // libparted keeps to cluster sizes of its own choosing; the volume's own
        // cluster size on the new length serves where it refuses.
        if (outcome == CFatResizer::kRefused && CFatRelayout::Resize(scratch, wanted) == CFatRelayout::kResized)
            outcome = CFatResizer::kResized;
        if (outcome != CFatResizer::kResized) {
            CLogWriter::Log("libparted does not resize the FAT volume from %llu to %llu sectors: %s",
                            static_cast<unsigned long long>(source->volumeSectors),
                            static_cast<unsigned long long>(wanted), resizer.Message().c_str());
            return outcome == CFatResizer::kNotFat ? BRASKET_NOT_FAT : BRASKET_SIZE_REFUSED;
        }
    }
    if (!FinishBootSector(scratch, block->targetFirstSector, before))
        return BRASKET_WRITE_FAILED;
    if (progress.Cancelled())
        return BRASKET_CANCELLED;
    result = ScratchOutcomeResult(scratch.WriteInto(partition, wanted, false));
    if (result == 0)
        progress.EndOperation();
    return result;
}
