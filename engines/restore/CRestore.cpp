// The engine's object: its life, the queue and the worker's start and end.
#include "CRestore.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "KSResult.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

std::atomic<long> CRestore::objects{0};

CRestore::CRestore(const RestoreServices& services) : services_(services), workFolder_(1, L'\0')
{
    ++objects;
    void* object = nullptr;
    if (services_.createImage != nullptr && services_.createImage(0x10000, 1, &object) == 0)
        image_ = static_cast<IKSCofran*>(object);
}

CRestore::~CRestore()
{
    progress_.cancel = 1;
    JoinWorker();
    if (image_ != nullptr)
        image_->Release();
    ClearPassword();
    FreeQueue();
    --objects;
}

unsigned long CRestore::Release()
{
    delete this;
    return 0;
}

void CRestore::JoinWorker()
{
    if (worker_ == nullptr)
        return;
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
}

void CRestore::ClearPassword()
{
    std::memset(password_, 0, sizeof password_);
    passwordBytes_ = 0;
    passwordSet_ = false;
}

unsigned long CRestore::SetPassword(wchar_t* password, unsigned long bytes)
{
    if (password == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    // The text and its terminating zero must fit the buffer; the length the caller
    // gives bounds the reading, so a text without its zero is never read past.
    size_t chars = 0;
    while (chars < bytes / sizeof(wchar_t) && password[chars] != L'\0')
        ++chars;
    if (bytes > sizeof password_ - sizeof(wchar_t) || chars >= sizeof password_ / sizeof(wchar_t))
        return KS_RESULT(KS_MODULE_RESTORE, kTooLong);
    ClearPassword();
    std::wmemcpy(password_, password, chars);
    passwordBytes_ = bytes;
    passwordSet_ = true;
    if (image_ == nullptr)
        return 0;
    if (image_->OpenCofran(protectedPath_, 0, Password(), PasswordBytes()) != 0)
        return 0;
    image_->CloseCofran();
    return 1;
}

const wchar_t* CRestore::WorkFolder() const
{
    return workFolder_.size() > 1 && workFolder_[0] != L'\0' ? workFolder_.data() : nullptr;
}

unsigned long CRestore::SetStringParam(const wchar_t* workFolder)
{
    if (workFolder == nullptr || workFolder[0] == L'\0') {
        workFolder_.assign(1, L'\0');
        return 0;
    }
    const size_t n = std::wcslen(workFolder);
    try {
        workFolder_.assign(workFolder, workFolder + n + 1);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    }
    return 0;
}

void CRestore::FreeQueue()
{
    for (_KS_RESTORE_OPERATION& operation : queue_) {
        ::operator delete(operation.Source);
        ::operator delete(operation.Target);
    }
    queue_.clear();
}

unsigned long CRestore::AddRestore(_KS_VOLUME* source, _KS_RESTORE_TARGET* target, unsigned long option)
{
    if (source == nullptr || target == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (Running())
        return KS_RESULT(KS_MODULE_RESTORE, kBusy);
    cloneFlag_ = 0;
    _KS_RESTORE_OPERATION operation{};
    operation.Source = ::operator new(sizeof(_KS_VOLUME));
    std::memcpy(operation.Source, source, sizeof(_KS_VOLUME));
    operation.Target = ::operator new(sizeof(_KS_RESTORE_TARGET));
    std::memcpy(operation.Target, target, sizeof(_KS_RESTORE_TARGET));
    operation.Option = static_cast<uint32_t>(option);
    queue_.push_back(operation);
    return 0;
}

unsigned long CRestore::AddDiskRestore(_KS_RESTORE_TARGET* source, _KS_RESTORE_TARGET* target,
                                       unsigned long option)
{
    if (source == nullptr || target == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    // Checked before the queue is read or the caller's record changed: the worker
    // owns the queue while it runs.
    if (Running())
        return KS_RESULT(KS_MODULE_RESTORE, kBusy);
    // A boot-track copy stops short of any partition queued already.
    if (source->FirstSector == 0 && target->FirstSector == 0 && source->SectorCount <= KS_RESTORE_BOOT_TRACK_SECTORS) {
        for (const _KS_RESTORE_OPERATION& queued : queue_) {
            const auto* queuedTarget = static_cast<const _KS_RESTORE_TARGET*>(queued.Target);
            if (queuedTarget->FirstSector < target->SectorCount)
                target->SectorCount = queuedTarget->FirstSector;
        }
    }
    cloneFlag_ = 1;
    _KS_RESTORE_OPERATION operation{};
    operation.Source = ::operator new(sizeof(_KS_RESTORE_TARGET));
    std::memcpy(operation.Source, source, sizeof(_KS_RESTORE_TARGET));
    operation.Target = ::operator new(sizeof(_KS_RESTORE_TARGET));
    std::memcpy(operation.Target, target, sizeof(_KS_RESTORE_TARGET));
    operation.Option = static_cast<uint32_t>(option);
    queue_.push_back(operation);
    return 0;
}

unsigned long CRestore::Execute()
{
    if (Running())
        return KS_RESULT(KS_MODULE_RESTORE, kBusy);
    JoinWorker();
    // A cancel given once Execute has returned belongs to this run.
    progress_.cancel = 0;
    running_.store(1);
    const uintptr_t thread = services_.startThread(nullptr, 0, ThreadStart, this, 0, nullptr);
    if (thread == 0) {
        // No worker: the object stays idle and says so.
        running_.store(0);
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_NO_MEMORY);
    }
    worker_ = reinterpret_cast<HANDLE>(thread);
    return 0;
}

unsigned __stdcall CRestore::ThreadStart(void* self)
{
    return RestoreThread(*static_cast<CRestore*>(self));
}

void CRestore::KeepBootTail(const unsigned char bytes[72])
{
    std::memcpy(bootTail_, bytes, sizeof bootTail_);
    bootTailKept_ = true;
}

bool CRestore::KeptBootTail(unsigned char bytes[72]) const
{
    if (bootTailKept_)
        std::memcpy(bytes, bootTail_, sizeof bootTail_);
    return bootTailKept_;
}

unsigned long CRestore::SetCallBack(KS_RESTORE_CALLBACK callback, void* context)
{
    callback_ = callback;
    callbackContext_ = context;
    return 0;
}

unsigned long CRestore::Notify(unsigned long message, void* data)
{
    return callback_ != nullptr ? callback_(callbackContext_, message, data) : 0;
}

unsigned long CRestore::GetRestoreProgress(_KS_PROGRESS_INFO* record)
{
    if (record == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    progress_.CopyOut(record);
    return 0;
}

unsigned long CRestore::UserCancel()
{
    progress_.cancel = 1;
    return 0;
}

unsigned long CRestore::SetDiskMode(unsigned long flag)
{
    diskMode_ = static_cast<uint32_t>(flag);
    return 0;
}
