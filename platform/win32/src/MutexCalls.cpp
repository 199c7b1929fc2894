// Mutexes.
#include "HandleTable.h"
#include "MutexObject.h"
#include "ObjectNames.h"
#include "ThreadIdentity.h"
#include "WaitLock.h"

using namespace ks_platform;

namespace {

HANDLE MakeMutex(BOOL initialOwner, const wchar_t* name)
{
    std::shared_ptr<KernelObject> mutex =
        CreateNamed(name, ObjectKind::Mutex, [] { return std::make_shared<MutexObject>(); });
    if (!mutex)
        return nullptr;
    // An existing named mutex is opened, not taken, as on Windows.
    if (initialOwner && GetLastError() != ERROR_ALREADY_EXISTS) {
        std::lock_guard<std::mutex> guard(WaitLock());
        mutex->Take(CurrentThreadId());
    }
    return AddObject(mutex);
}

} // namespace

extern "C" HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name)
{
    return MakeMutex(initialOwner, name);
}

extern "C" HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name)
{
    std::wstring wide;
    if (!WideName(name, wide)) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    return MakeMutex(initialOwner, wide.c_str());
}

extern "C" BOOL WINAPI ReleaseMutex(HANDLE handle)
{
    std::shared_ptr<MutexObject> mutex = HandleTable::Instance().FindAs<MutexObject>(handle, ObjectKind::Mutex);
    if (!mutex)
        return FALSE;
    DWORD error;
    {
        std::lock_guard<std::mutex> guard(WaitLock());
        error = mutex->Release(CurrentThreadId());
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    WaitChanged().notify_all();
    return TRUE;
}
