#include "CheckRun.h"

#include <pthread.h>

#include <vector>

#include "CImageCheck.h"

namespace {

IKSCofran* NewImage()
{
    void* object = nullptr;
    return KSCreateObjectImg(0x10000, 1, &object) == 0 ? static_cast<IKSCofran*>(object) : nullptr;
}

} // namespace

unsigned long RunCheck(const std::string& set, bool sequential)
{
    std::wstring path(set.begin(), set.end());
    CImageCheck* check = sequential ? new CImageCheck(NewImage(), pthread_create, nullptr) : new CImageCheck();
    _KS_VERSION version{};
    int count = 1;
    // The set has no password: asking settles it.
    unsigned long rc = check->IsPwdProtect(&path[0]) == 0 ? 0 : 1;
    if (rc == 0)
        rc = check->GetImageVersions(&version, 1, &count, &path[0]);
    int volumes = 0;
    if (rc == 0)
        rc = check->GetImgVolumes(nullptr, 0, &volumes, &version);
    std::vector<_KS_VOLUME> list(static_cast<size_t>(volumes > 0 ? volumes : 1));
    if (rc == 0)
        rc = check->GetImgVolumes(list.data(), static_cast<unsigned long>(list.size()), &volumes, &version);
    if (rc == 0)
        rc = check->SetImgInfo(&version, &path[0]);
    for (int i = 0; rc == 0 && i < volumes; ++i)
        rc = check->AddCheck(&list[static_cast<size_t>(i)]);
    if (rc == 0)
        rc = check->Execute();
    if (rc == 0) {
        check->JoinWorker();
        _KS_PROGRESS_INFO record;
        check->GetCheckProgress(&record);
        rc = record.Result;
    }
    check->Release();
    return rc;
}
