// A checker built over a FakeCofran, released when the test ends.
#pragma once

#include <cerrno>
#include <string>

#include "CImageCheck.h"
#include "FakeCofran.h"
#include "KSResult.h"

// The folder the fake sets name their files in.
inline const std::wstring kFakeSetFolder = L"/images/";

struct FakeChecker {
    FakeCofran* fake;
    CImageCheck* check;

    explicit FakeChecker(FakeCofran* set, CImageCheck::ThreadStarter starter = pthread_create)
        : fake(set), check(new CImageCheck(set, starter))
    {
    }
    ~FakeChecker() { check->Release(); }

    std::wstring LastPath() const { return fake->files.back().path; }

    // IsPwdProtect and SetImgInfo with the set's last file and its one version.
    unsigned long Choose()
    {
        std::wstring path = LastPath();
        check->IsPwdProtect(&path[0]);
        _KS_VERSION version = fake->versions.back();
        unsigned long rc = check->SetImgInfo(nullptr, &path[0]);
        return rc != 0 ? rc : check->SetImgInfo(&version, nullptr);
    }

    _KS_PROGRESS_INFO Progress()
    {
        _KS_PROGRESS_INFO record;
        check->GetCheckProgress(&record);
        return record;
    }

    // Runs the added volumes to the end.
    _KS_PROGRESS_INFO Run()
    {
        const unsigned long rc = check->Execute();
        if (rc != 0) {
            _KS_PROGRESS_INFO failed = Progress();
            failed.Result = static_cast<uint32_t>(rc);
            return failed;
        }
        check->JoinWorker();
        return Progress();
    }
};

inline int RefuseThreadStart(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)
{
    return EAGAIN;
}
