// Semaphores.
#include "HandleTable.h"
#include "ObjectNames.h"
#include "SemaphoreObject.h"
#include "WaitLock.h"

using namespace ks_platform;

namespace {

HANDLE MakeSemaphore(LONG initialCount, LONG maximumCount, const wchar_t* name)
{
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<KernelObject> semaphore = CreateNamed(
        name, ObjectKind::Semaphore, [&] { return std::make_shared<SemaphoreObject>(initialCount, maximumCount); });
    return semaphore ? AddObject(semaphore) : nullptr;
}

} // namespace

extern "C" HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCWSTR name)
{
    return MakeSemaphore(initialCount, maximumCount, name);
}

extern "C" HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCSTR name)
{
    std::wstring wide;
    if (!WideName(name, wide)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return MakeSemaphore(initialCount, maximumCount, wide.c_str());
}

extern "C" BOOL WINAPI ReleaseSemaphore(HANDLE handle, LONG releaseCount, LPLONG previousCount)
{
    std::shared_ptr<SemaphoreObject> semaphore =
        HandleTable::Instance().FindAs<SemaphoreObject>(handle, ObjectKind::Semaphore);
    if (!semaphore)
        return FALSE;
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LONG previous = 0;
    DWORD error;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        error = semaphore->Release(releaseCount, previous);
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    if (previousCount)
        *previousCount = previous;
    WaitChanged().notify_all();
    return TRUE;
}
