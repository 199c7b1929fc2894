// The checker object: password, volume list, worker life cycle, progress and cancel.
// Loading the set is in CImageCheckSet.cpp, the run in CImageCheckRun.cpp and the
// bitmap comparison in CImageCheckBitmap.cpp.
#include "CImageCheck.h"

#include <cstring>
#include <cwchar>

#include "CheckResult.h"
#include "ImagePathRules.h"

namespace {

IKSCofran* CreateContainer()
{
    void* object = nullptr;
    if (KSCreateObjectImg(0x10000, 1, &object) != 0)
        return nullptr;
    return static_cast<IKSCofran*>(object);
}

} // namespace

CImageCheck::CImageCheck() : CImageCheck(CreateContainer(), pthread_create, CreateContainer) {}

CImageCheck::CImageCheck(IKSCofran* container, ThreadStarter starter, CheckBlockWorkers::ImageMaker makeImage)
    : container_(container),
      starter_(starter != nullptr ? starter : pthread_create),
      makeImage_(makeImage),
      chosenVersion_(-1),
      currentDisc_(-1),
      prompt_(nullptr),
      promptContext_(nullptr),
      passwordGiven_(false),
      busy_(false),
      passwordSettled_(false),
      setLoaded_(false),
      worker_(),
      workerStarted_(false),
      openMode_(0),
      currentItem_(0)
{
    std::memset(&fileInfo_, 0, sizeof fileInfo_);
    std::memset(password_, 0, sizeof password_);
    std::memset(imagePath_, 0, sizeof imagePath_);
    std::memset(currentFile_, 0, sizeof currentFile_);
    std::memset(openedFile_, 0, sizeof openedFile_);
}

CImageCheck::~CImageCheck()
{
    JoinWorker();
    if (container_ != nullptr)
        container_->Release();
}

void CImageCheck::JoinWorker()
{
    if (workerStarted_) {
        pthread_join(worker_, nullptr);
        workerStarted_ = false;
    }
}

bool CImageCheck::GuardIdle(unsigned long* rc) const
{
    // The worker owns the container while it runs; a second user would pull the
    // open file from under it.
    if (busy_.load()) {
        *rc = KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_BUSY);
        return false;
    }
    return true;
}

unsigned long CImageCheck::PasswordBytes() const
{
    return passwordGiven_ ? static_cast<unsigned long>(std::wcslen(password_) * sizeof(wchar_t)) : 0;
}

unsigned long CImageCheck::IsPwdProtect(wchar_t* path)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr || path == nullptr)
        return 0;
    wchar_t last[KS_PATH_CHARS] = {};
    if (container_->SearchLastCofran(path, last, KS_PATH_CHARS, 0) != 0)
        return 0;
    const unsigned long open = container_->OpenCofran(last, KS_OPEN_SEQUENTIAL, nullptr, 0);
    if (KSResultKind(open) == KS_KIND_WRONG_PASSWORD) {
        std::wcsncpy(imagePath_, path, KS_PATH_CHARS - 1);
        imagePath_[KS_PATH_CHARS - 1] = 0;
        openMode_ = ImagePathRules::OnDisc(path) ? static_cast<unsigned long>(KS_OPEN_DISC_SET) : 0ul;
        passwordSettled_ = false;
        // The set is not loaded yet: SetImgInfo with this same path must load it.
        setLoaded_ = false;
        return 1;
    }
    container_->CloseCofran();
    passwordSettled_ = true;
    return 0;
}

unsigned long CImageCheck::SetPassword(wchar_t* password, int bytes)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    if (container_ == nullptr)
        return CheckResult::PasswordNoContainer;
    // bytes is characters x sizeof(wchar_t) without the terminator, as the
    // container takes it. Only whole characters that fit the field are read, and
    // a zero among them is refused: the set would be opened with a shorter password
    // than the one the caller gave.
    if (password == nullptr || bytes < 0 ||
        static_cast<size_t>(bytes) > KS_CHECK_PASSWORD_CHARS * sizeof(wchar_t))
        return CheckResult::PasswordBadArgument;
    const size_t chars = static_cast<size_t>(bytes) / sizeof(wchar_t);
    if (static_cast<size_t>(bytes) % sizeof(wchar_t) != 0 || std::wmemchr(password, L'\0', chars) != nullptr)
        return CheckResult::PasswordBadLength;
    std::memset(password_, 0, sizeof password_);
    std::wmemcpy(password_, password, chars);
    passwordGiven_ = true;
    const unsigned long open = container_->OpenCofran(imagePath_, openMode_ | KS_OPEN_SEQUENTIAL_ALT, password_,
                                                      static_cast<unsigned long>(bytes));
    container_->CloseCofran();
    passwordSettled_ = open == 0;
    return passwordSettled_ ? 1 : 0;
}

unsigned long CImageCheck::Release()
{
    JoinWorker();
    if (container_ != nullptr) {
        container_->Release();
        container_ = nullptr;
    }
    delete this;
    return 0;
}

unsigned long CImageCheck::AddCheck(_KS_VOLUME* volume)
{
    if (volume == nullptr || volume->Magic != KS_VOLUME_MAGIC || volume->SectorsPerCluster == 0 ||
        volume->BitmapSize == 0 || volume->TotalSectors == 0 || volume->UsedSectors == 0)
        return CheckResult::AddCheckBadVolume;
    if (busy_.load())
        return CheckResult::AddCheckBusy;
    volumes_.push_back(*volume);
    return 0;
}

unsigned long CImageCheck::Execute()
{
    // Test and set in one step: of two callers racing here only one starts a worker.
    if (busy_.exchange(true))
        return CheckResult::ExecuteBusy;
    // A run that ended on its own is joined before the next one starts.
    JoinWorker();
    // Reset here rather than on the worker, so that a caller polling right after
    // Execute never sees the end state of the previous run, and a cancel given at
    // once is not wiped by a late reset.
    progress_.Reset(static_cast<uint16_t>(volumes_.size()));
    if (starter_(&worker_, nullptr, &CImageCheck::ThreadEntry, this) != 0) {
        const unsigned long rc = KS_RESULT(KS_MODULE_CHECKER, CheckResult::KIND_NO_MEMORY);
        progress_.Finish(rc, &busy_);
        return rc;
    }
    workerStarted_ = true;
    return 0;
}

void* CImageCheck::ThreadEntry(void* self)
{
    static_cast<CImageCheck*>(self)->CheckThread();
    return nullptr;
}

unsigned long CImageCheck::SetPromptCall(KS_CHECK_PROMPT_CALLBACK callback, void* context)
{
    unsigned long rc = 0;
    if (!GuardIdle(&rc))
        return rc;
    prompt_ = callback;
    promptContext_ = context;
    if (container_ == nullptr)
        return CheckResult::RunNotPrepared;
    // The container's own requests reach the caller through the checker, so that a
    // file it asks for is named the way the checker's requests name it.
    return container_->SetCallBack(callback != nullptr ? &CImageCheck::ContainerPrompt : nullptr,
                                   callback != nullptr ? this : context);
}

unsigned long CImageCheck::GetCheckProgress(_KS_PROGRESS_INFO* record)
{
    if (record == nullptr)
        return CheckResult::ProgressNullRecord;
    progress_.Copy(record);
    return 0;
}

unsigned long CImageCheck::UserCancel()
{
    progress_.Cancel();
    return 0;
}
