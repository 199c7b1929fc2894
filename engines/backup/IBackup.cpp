// The engine's interface operations: what the caller hands in, starting and
// stopping the worker, and the progress record.
#include "IBackup.h"

#include <IPyrelle.h>

#include <process.h>
#if defined(_WIN32)
#include <time.h>
#else
#include <KSCrtTime.h>
#endif

#include <cstring>
#include <new>

#include "BackupTrace.h"
#include "CVolumeItem.h"
#include "KSResult.h"
#include "TextForms.h"

namespace {
constexpr uint32_t kMaxFilterBytes = 1024 * 1024;

int ThreadPriorityOf(int32_t priority)
{
    switch (priority) {
    case 2: return THREAD_PRIORITY_HIGHEST;
    case 1: return THREAD_PRIORITY_ABOVE_NORMAL;
    case -1: return THREAD_PRIORITY_BELOW_NORMAL;
    case -2: return THREAD_PRIORITY_LOWEST;
    default: return THREAD_PRIORITY_NORMAL;
    }
}
}

IBackup::IBackup(const KSVolumeServices& services, const KSDiscServices& discServices)
    : services_(services), discServices_(discServices)
{
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH, temp) != 0)
        tempFolder_ = temp;
    progress_.Reset(0, 0);
}

IBackup::~IBackup()
{
    StopWorker();
    DestroyReaders();
}

unsigned long IBackup::Release()
{
    delete this;
    return 0;
}

// Stops a running worker and waits for it: nothing of this object may be freed
// while the worker still uses it.
void IBackup::StopWorker()
{
    if (worker_ == nullptr)
        return;
    cancel_.store(1);
    {
        std::lock_guard<std::mutex> hold(readersLock_);
        if (current_ != nullptr)
            current_->SetCancel(1);
    }
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
}

void IBackup::DestroyReaders()
{
    std::vector<CVolumeItem*> readers;
    {
        std::lock_guard<std::mutex> hold(readersLock_);
        current_ = nullptr;
        readers.swap(readers_);
    }
    for (CVolumeItem* reader : readers)
        if (reader != nullptr)
            reader->Release();
}

bool IBackup::Running() const
{
    DWORD code = 0;
    return worker_ != nullptr && GetExitCodeThread(worker_, &code) && code == STILL_ACTIVE;
}

unsigned long IBackup::SetBackupSource(const _KS_BACKUP_SOURCE* source)
{
    // The running worker owns the readers and the source it was started with.
    if (Running())
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    result_ = 0;
    cancel_ = 0;
    setFlags_ = 0;
    if (!hasOptions_ || source == nullptr)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    _KS_BACKUP_SOURCE head{};
    KSBackupSourceFromBytes(reinterpret_cast<const unsigned char*>(source), head);
    if (head.Count == 0 || head.Count > (UINT32_MAX - KS_BACKUP_SOURCE_HEAD_SIZE) / KS_VOLUME_ITEM_SIZE ||
        head.Size < KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE * head.Count)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(source);
    try {
        source_.assign(bytes, bytes + head.Size);
        items_.assign(head.Count, _KS_VOLUME_ITEM{});
    } catch (const std::bad_alloc&) {
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
    }
    for (uint32_t i = 0; i < head.Count; ++i)
        KSVolumeItemFromBytes(bytes + KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE * i, items_[i]);
    setMode_ = head.SetMode;
    priority_ = head.Priority;
    if (head.SetMode == 1)
        setFlags_ |= KS_SET_APPEND;
    else if (head.SetMode == 2)
        setFlags_ |= KS_SET_REOPENED;
    else if (head.SetMode != 0)
        KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    setFlags_ |= options_.StorageType & KS_SET_STORAGE_MASK;
    DestroyReaders();
    return 0;
}

unsigned long IBackup::AddFilter(const _KS_FILTERS_HEAD* filter)
{
    result_ = 0;
    if (filter == nullptr)
        return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(filter);
    const uint32_t length = LoadLE32(bytes + 4);
    // The writer refuses a blob that starts with its own magic; a record must hold its head.
    if (length < sizeof(_KS_FILTERS_HEAD) || length > kMaxFilterBytes || LoadLE32(bytes) == KS_FILTERS_MAGIC ||
        filters_.size() + length > kMaxFilterBytes)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    try {
        filters_.insert(filters_.end(), bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
    }
    // The blob's length covers every record, so the set stores them all.
    StoreLE32(filters_.data() + 4, static_cast<uint32_t>(filters_.size()));
    return result_;
}

unsigned long IBackup::SetCallBack(KS_BACKUP_CALLBACK callback, void* user)
{
    callback_ = callback;
    user_ = user;
    return result_ = 0;
}

unsigned long IBackup::SetTempPath(const wchar_t* folder)
{
    if (folder == nullptr || folder[0] == 0)
        return 0;
    std::wstring text(folder);
    if (text.back() != L'\\' && text.back() != L'/')
        text.push_back(L'\\');
    if (text.size() >= KS_BACKUP_PATH_CHARS)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    tempFolder_ = text;
    return 0;
}

unsigned long IBackup::SetBackupOption(const _KS_BACKUP_OPTION* option)
{
    if (option == nullptr)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    _KS_BACKUP_OPTION copy;
    KSBackupOptionFromBytes(reinterpret_cast<const unsigned char*>(option), copy);
    if (copy.Size < KS_BACKUP_OPTION_SIZE || copy.ImagePath[0] == 0)
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    options_ = copy;
    hasOptions_ = true;
    factor_ = options_.StorageType == KS_STORAGE_DISC ? 0.1 : 1.0;
    progress_.SetFactor(factor_);
    DebugPrint("Backup option:");
    DebugPrint("Image path \"%s\"", NarrowText(KSWideFromField(options_.ImagePath, KS_BACKUP_PATH_CHARS)).c_str());
    DebugPrint("Storage %u, bSecBySec %u, Encypt %u, Compress %u, Split %uMB.", options_.StorageType,
               options_.SectorBySector, options_.Encrypt, options_.CompressLevel, options_.SplitMiB);
    return 0;
}

unsigned long IBackup::Execute()
{
    if (!hasOptions_ || items_.empty())
        return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    if (worker_ != nullptr) {
        if (Running())
            return result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
        CloseHandle(worker_);
        worker_ = nullptr;
    }
    DestroyReaders();
    cancel_ = 0;
    result_ = 0;
    progress_.Reset(static_cast<uint16_t>(items_.size()), _time64(nullptr));
    const uintptr_t thread = _beginthreadex(nullptr, 0, ThreadStart, this, 0, nullptr);
    if (thread == 0) {
        // No worker: the run ends here, and the record says so.
        result_ = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY));
        progress_.Finish(result_);
        return result_;
    }
    worker_ = reinterpret_cast<HANDLE>(thread);
    SetThreadPriority(worker_, ThreadPriorityOf(priority_));
    return result_;
}

unsigned __stdcall IBackup::ThreadStart(void* self)
{
    return static_cast<unsigned>(static_cast<IBackup*>(self)->BackupThread());
}

unsigned long IBackup::UserCancel()
{
    StopWorker();
    return 0;
}

unsigned long IBackup::GetBackupProgress(_KS_PROGRESS_INFO* progress, unsigned long size)
{
    if (progress == nullptr || size < sizeof(_KS_PROGRESS_INFO))
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    // While a disc burns, the burner's own progress moves the overall percent on.
    int value = 0, total = 0, stage = 0;
    bool burning = false;
    if (progress_.State() == KS_BACKUP_STATE_BURNING) {
        std::lock_guard<std::mutex> hold(discLock_);
        burning = disc_ && disc_->BurnerProgress(value, total, stage);
    }
    if (burning && total > 0 && (stage == BURN_STAGE_CD_WRITE || stage == BURN_STAGE_DVD_FOLDER) && total >= value)
        progress_.AddBurnShare(static_cast<uint32_t>(value), static_cast<uint32_t>(total));
    progress_.CopyTo(*progress);
    return result_;
}

unsigned long IBackup::CheckFileSystem(_KS_VOLUME_ITEM item)
{
    CVolumeItem reader(services_);
    const std::wstring image = KSWideFromField(options_.ImagePath, KS_BACKUP_PATH_CHARS);
    unsigned long rc = reader.InitVolume(item, tempFolder_.c_str(), image.c_str(), nullptr, nullptr, nullptr, 0, 0);
    if (KSFailed(rc))
        return rc;
    return reader.CheckFileSystem();
}
