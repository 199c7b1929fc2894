#include "RestoreRun.h"

#include <unistd.h>

#include <cwchar>

#include "IKSRestore.h"

namespace {
std::wstring WideOf(const std::string& text) { return std::wstring(text.begin(), text.end()); }
}

unsigned long RunEngineRestore(const std::string& set, uint64_t firstSector, uint64_t sectors)
{
    void* object = nullptr;
    if (KSCreateObjectRt(0, KS_RESTORE_KIND, &object) != 0)
        return ~0ul;
    IKSRestore* engine = static_cast<IKSRestore*>(object);
    std::wstring path = WideOf(set);
    unsigned long count = 0;
    _KS_VERSION version{};
    _KS_VOLUME volume{};
    unsigned long rc = engine->GetImageVersions(&version, 1, &count, &path[0]);
    if (rc == 0)
        rc = engine->SetImgInfo(&version, &path[0]);
    if (rc == 0)
        rc = engine->GetImgVolumes(&volume, 1, &count, &version);
    _KS_RESTORE_TARGET target{};
    target.DiskNumber = 1;
    target.FirstSector = firstSector;
    target.SectorCount = sectors;
    target.HiddenSectors = firstSector;
    if (rc == 0)
        rc = engine->AddRestore(&volume, &target, 0);
    if (rc == 0)
        rc = engine->Execute();
    _KS_PROGRESS_INFO record{};
    while (rc == 0) {
        engine->GetRestoreProgress(&record);
        if (record.State == RESTORE_STATE_FINISH || record.State == RESTORE_STATE_USER_CANCEL) {
            rc = record.Result;
            break;
        }
        usleep(5000);
    }
    engine->Release();
    return rc;
}
