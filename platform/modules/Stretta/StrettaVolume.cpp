#include "Stretta.h"

#include "CLogWriter.h"
#include "CPartitionDevice.h"
#include "CResizeTool.h"
#include "CScratchVolume.h"
#include "ScratchProgress.h"

namespace {
// ntfsresize checks the volume before it resizes it, then marks it for a check all
// the same; the mark would keep ntfs-3g (and so the recovery system) off a volume
// that is sound, so it is cleared again.
unsigned long ClearCheckFlag(const std::string& path, CCallBackOperate& progress)
{
    const std::string tool = CResizeTool::Find("ntfsfix");
    if (tool.empty())
        return STRETTA_TOOL_MISSING;
    CResizeTool run;
    const CResizeTool::Outcome outcome = run.Run({tool, "--clear-dirty", path}, progress);
    if (outcome == CResizeTool::kCancelled)
        return STRETTA_CANCELLED;
    if (outcome != CResizeTool::kSucceeded) {
        CLogWriter::Log("ntfsfix failed: %s", run.Output().c_str());
        return STRETTA_TOOL_REFUSED;
    }
    return 0;
}
}

unsigned long StrettaRunNtfsResize(const std::string& path, unsigned long long newBytes, CCallBackOperate& progress)
{
    const std::string tool = CResizeTool::Find("ntfsresize");
    if (tool.empty())
        return STRETTA_TOOL_MISSING;
    std::vector<std::string> arguments = {tool, "--force"};
    if (newBytes != 0) {
        arguments.push_back("--size");
        arguments.push_back(std::to_string(newBytes));
    }
    arguments.push_back(path);
    CResizeTool run;
    switch (run.Run(arguments, progress)) {
    case CResizeTool::kSucceeded:
        return ClearCheckFlag(path, progress);
    case CResizeTool::kCancelled:
        return STRETTA_CANCELLED;
    case CResizeTool::kMissing:
        return STRETTA_TOOL_MISSING;
    default:
        CLogWriter::Log("ntfsresize failed: %s", run.Output().c_str());
        return STRETTA_TOOL_REFUSED;
    }
}

extern "C" unsigned long StrettaVolume(const KSPartitionPlace* target, long long firstSector, long long firstAgain,
                                       long long sectorCount, long long sourceStart, KS_OPERATE_CALLBACK callback,
                                       void* context)
{
    if (target == nullptr || firstSector < 0 || uint64_t(firstSector) != target->firstSector ||
        firstAgain != firstSector || sectorCount <= 0 || uint64_t(sectorCount) != target->sectorCount)
        return STRETTA_BAD_ARGUMENT;
    CLogWriter::Log("Resize the NTFS volume backed up at sector %lld to %lld sectors.", sourceStart, sectorCount);
    CCallBackOperate progress(callback, context);
    progress.StartOperation(0, KS_OPERATION_NTFS_RESIZE);
    CPartitionDevice partition(*target);
    if (partition.Open() == 0)
        return STRETTA_BAD_ARGUMENT;
    unsigned long result = 0;
    const std::string node = partition.PartitionNode();
    if (!node.empty()) {
        partition.Close();
        result = StrettaRunNtfsResize(node, 0, progress);
    } else {
        // A disk-image file: the resize runs on a copy, the partition changes only after.
        CScratchVolume scratch;
        CScratchShareWatch watch(progress, 10);
        if (!scratch.Create(nullptr, target->sectorCount))
            return STRETTA_WRITE_FAILED;
        result = ScratchOutcomeResult(scratch.CopyAllFrom(partition, target->sectorCount, &watch));
        if (result == 0)
            result = StrettaRunNtfsResize(scratch.Path(), 0, progress);
        if (result == 0 && progress.Cancelled())
            result = STRETTA_CANCELLED;
        if (result == 0)
            result = ScratchOutcomeResult(scratch.WriteInto(partition, target->sectorCount, true));
    }
    if (result == 0)
        progress.EndOperation();
    return result;
}
