// Opening and closing a context, and the control requests every operation sends.
#include "QuelmContext.h"

#include <cstring>

#include "KSSnapRecords.h"
#include "QuelmControlDevice.h"
#include "QuelmKinds.h"
#include "QuelmTrace.h"

using namespace quelm_kinds;

namespace {
constexpr size_t kMaxVolumeName = 31;
constexpr size_t kMaxTempFolder = 259;
constexpr LONG kSemaphoreMaximum = 0x4000;
} // namespace

QuelmContext::QuelmContext() { InitializeCriticalSection(&controlLock_); }

QuelmContext::~QuelmContext()
{
    Close();
    DeleteCriticalSection(&controlLock_);
}

unsigned long QuelmContext::Open(const wchar_t* volumeName, const wchar_t* tempFolder)
{
    if (volumeName == nullptr || volumeName[0] == 0 || std::wcslen(volumeName) > kMaxVolumeName)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    if (tempFolder != nullptr && std::wcslen(tempFolder) > kMaxTempFolder)
        return KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT);
    if (contextOpen_.load())
        return KS_RESULT(KS_MODULE_BACKUP, kNotReady);
    volumeName_ = volumeName;
    if (tempFolder != nullptr && tempFolder[0] != 0) {
        tempFolder_ = tempFolder;
    } else {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        tempFolder_ = length != 0 && length <= MAX_PATH ? temp : L"";
    }

    // The volume's root as a drive ("C:\"): the sizes of its sectors and clusters.
    const std::wstring root = volumeName_ + L"\\";
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster_, &bytesPerSector_, nullptr, nullptr))
        return KS_RESULT(KS_MODULE_BACKUP, kVolumeGeometry);

    unsigned long rc = QuelmControlDevice::Attach();
    if (KSFailed(rc))
        return rc;
    contextOpen_.store(true);

    const std::wstring device = L"\\\\.\\" + volumeName_;
    HANDLE volume = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_BACKUP, kVolumeOpen);
    unsigned char id[4] = {};
    DWORD returned = 0;
    const BOOL asked = DeviceIoControl(volume, IOCTL_SNAP_GET_VOLUME_ID, nullptr, 0, id, sizeof(id), &returned,
                                       nullptr);
    CloseHandle(volume);
    if (!asked || returned < sizeof(id))
        return KS_RESULT(KS_MODULE_BACKUP, kDriverControl);
    volumeId_ = LoadLE32(id);

    ringMutex_ = CreateMutexW(nullptr, FALSE, nullptr);
    semaphore_ = CreateSemaphoreW(nullptr, 0, kSemaphoreMaximum, nullptr);
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ringMutex_ == nullptr || semaphore_ == nullptr || stopEvent_ == nullptr)
        return KS_RESULT(KS_MODULE_BACKUP, kCreateObject);
    return 0;
}

unsigned long QuelmContext::Close()
{
    // Only the first Close after an Open acts: a second one must not stop another
    // snapshot or drop the process count again.
    if (!contextOpen_.exchange(false))
        return 0;
    DeleteInDriver();
    QuelmControlDevice::Detach();
    StopDrainThread();
    FreeSnapshot();
    for (HANDLE* object : {&ringMutex_, &semaphore_, &stopEvent_}) {
        if (*object != nullptr)
            CloseHandle(*object);
        *object = nullptr;
    }
    SetCallBack(nullptr, nullptr);
    const unsigned long failure = drainFailure_.exchange(0);
    return failure;
}

void QuelmContext::DeleteInDriver()
{
    if (!snapshotCreated_)
        return;
    unsigned char stop[SNAP_STOP_BYTES] = {};
    StoreLE64(stop, snapshotId_);
    Control(IOCTL_SNAP_STOP, stop, sizeof(stop));
    unsigned char remove[SNAP_DELETE_BYTES] = {};
    StoreLE64(remove, snapshotId_);
    Control(IOCTL_SNAP_DELETE, remove, sizeof(remove));
    snapshotCreated_ = false;
}

void QuelmContext::FreeSnapshot()
{
    if (store_ != nullptr)
        UrgPipe::Destroy(store_);
    store_ = nullptr;
    ring_.reset();
    ringBytes_ = 0;
    exchange_.reset();
    exchangeBytes_ = 0;
    exchangeSectors_ = 0;
}

unsigned long QuelmContext::Control(DWORD code, void* buffer, DWORD size)
{
    EnterCriticalSection(&controlLock_);
    DWORD returned = 0;
    const BOOL done =
        DeviceIoControl(QuelmControlDevice::Handle(), code, buffer, size, buffer, size, &returned, nullptr);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    LeaveCriticalSection(&controlLock_);
    if (done)
        return 0;
    QuelmDebugLine("Control 0x%08lX failed, last error %lu.\n", static_cast<unsigned long>(code),
                   static_cast<unsigned long>(error));
    return KS_RESULT(KS_MODULE_BACKUP, kDriverControl);
}

unsigned long QuelmContext::ControlOut(DWORD code, void* buffer, DWORD size)
{
    EnterCriticalSection(&controlLock_);
    DWORD returned = 0;
    const BOOL done = DeviceIoControl(QuelmControlDevice::Handle(), code, nullptr, 0, buffer, size, &returned, nullptr);
    const DWORD error = done ? ERROR_SUCCESS : GetLastError();
    LeaveCriticalSection(&controlLock_);
    if (done)
        return 0;
    QuelmDebugLine("Control 0x%08lX failed, last error %lu.\n", static_cast<unsigned long>(code),
                   static_cast<unsigned long>(error));
    return KS_RESULT(KS_MODULE_BACKUP, kDriverControl);
}

void QuelmContext::SetCallBack(void* user, KS_QUELM_BLOCK_CALLBACK callback)
{
    std::lock_guard<std::mutex> guard(callbackLock_);
    callback_ = callback;
    callbackUser_ = user;
}
