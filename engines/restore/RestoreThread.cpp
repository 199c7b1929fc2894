// The worker: runs the engine's queue once, operation by operation, keeps the
// progress record current and ends the run.
#include <windows.h>

#include <memory>

#include "CLogWriter.h"
#include "CRestore.h"
#include "CVolumeRestorer.h"
#include "DiskAutoPlay.h"
#include "KSResult.h"
#include "KSVolume.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
// A clone's boot-track item (source and target both from sector 0) has copied the
// track once done: both records lose their sector counts, so that no partition
// fix-up looks for a partition at sector 0.
void ForgetBootTrackCounts(const _KS_RESTORE_OPERATION& operation)
{
    auto* source = static_cast<_KS_RESTORE_TARGET*>(operation.Source);
    auto* target = static_cast<_KS_RESTORE_TARGET*>(operation.Target);
    if (static_cast<const _KS_VOLUME*>(operation.Source)->Magic == KS_VOLUME_MAGIC)
        return;
    if (source->FirstSector == 0 && target->FirstSector == 0) {
        source->SectorCount = 0;
        target->SectorCount = 0;
    }
}
}

unsigned RestoreThread(CRestore& engine)
{
    CRestoreProgress& progress = engine.Progress();
    std::vector<_KS_RESTORE_OPERATION>& queue = engine.Queue();
    engine.sectorRestore = 0;
    engine.ForgetBootTail();
    progress.Begin(static_cast<uint32_t>(queue.size()), GetTickCount(), engine.CloneFlag(),
                   engine.Version().DiscCount != 0);
    // Explorer's autoplay stays off while the disks are written; it ends switched on.
    auto autoPlay = std::make_unique<DiskAutoPlay>();
    autoPlay->Disable(false);
    CLogWriter::Log("------------Begin restore or clone---------------");

    uint32_t result = 0;
    bool partitionFixupRan = false;
    for (size_t index = 0; index < queue.size(); ++index) {
        const _KS_RESTORE_OPERATION& operation = queue[index];
        const auto* target = static_cast<const _KS_RESTORE_TARGET*>(operation.Target);
        CLogWriter::Log("The current operation number: %d", static_cast<int>(index));
        progress.BeginOperation(static_cast<uint32_t>(index));
        if (engine.Services().disks != nullptr && !engine.Services().disks->DiskIsOnline(target->DiskNumber)) {
            result = KS_RESULT(KS_MODULE_RESTORE, kDiskOffline);
            CLogWriter::Log("The disk %d is offline.", static_cast<int>(target->DiskNumber));
            break;
        }
        progress.AddCurrentPercent(2);
        progress.SetState(RESTORE_STATE_RUNNING);
        CVolumeRestorer restorer(engine, static_cast<uint32_t>(index));
        result = restorer.Run(operation);
        if (KSResultKind(result) == KS_KIND_CANCELLED || progress.cancel.load() != 0) {
            if (result == 0 || KSResultKind(result) == KS_KIND_CANCELLED)
                result = KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
            break;
        }
        if (result == 0)
            ForgetBootTrackCounts(operation);
        if (target->SectorCount != 0 && !engine.DiskMode() && result == 0) {
            result = engine.Services().updateSystemForPartOpt(engine, operation);
            partitionFixupRan = true;
            if (result != 0)
                break;
        }
        if (result == 0)
            progress.SetCurrentPercent(100);
        else
            progress.AddCurrentPercent(3);
        if (progress.liveRefresh.load() != 0)
            progress.RefreshSectorLevel();
        if (result != 0)
            break;
        if (index + 1 < queue.size())
            Sleep(300);
    }
    progress.SetResult(result);
    CLogWriter::Log("------------End restore or clone---------------");

    if (queue.empty())
        result = KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    else if (engine.DiskMode() && result == 0)
        result = engine.Services().updateSystemForDiskOpt(engine);
    autoPlay->Enable(true);
    autoPlay.reset();
    if (!queue.empty() && !partitionFixupRan && !engine.DiskMode() && result == 0)
        result = engine.Services().updateBootIni(engine, queue.front());

    engine.FreeQueue();
    engine.ClearPassword();
    engine.discNumber = -1;
    progress.SetResult(result);
    if (result == 0)
        progress.SetOverallPercent(100);
    progress.SetState(progress.cancel.load() != 0 ? RESTORE_STATE_USER_CANCEL : RESTORE_STATE_FINISH);
    CLogWriter::Log("Leave from RestoreThread, ErrorCode: 0x%X", static_cast<unsigned>(result));
    engine.EndRun();
    engine.Notify(KS_RESTORE_MSG_DONE, nullptr);
    return 0;
}
