// The object behind IKSRestore: lists an image set, keeps the queue of restores and
// runs it on one worker thread (RestoreThread). The password, the disc number and
// the work folder belong to the object, so two engines of one process do not share
// them.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "CRestoreProgress.h"
#include "IKSCofran.h"
#include "IKSRestore.h"
#include "RestoreServices.h"

class CRestore final : public IKSRestore {
public:
    enum : unsigned long { kPasswordBytes = 512 };

    explicit CRestore(const RestoreServices& services);
    ~CRestore() override;

    unsigned long Release() override;
    unsigned long SetImgInfo(_KS_VERSION* version, wchar_t* path) override;
    unsigned long IsPwdProtect(wchar_t* path) override;
    unsigned long SetPassword(wchar_t* password, unsigned long bytes) override;
    unsigned long GetImageVersions(_KS_VERSION* buffer, unsigned long size, unsigned long* count,
                                   wchar_t* path) override;
    unsigned long GetImgVolumes(_KS_VOLUME* buffer, unsigned long size, unsigned long* count,
                                _KS_VERSION* version) override;
    unsigned long GetVerComment(wchar_t* buffer, unsigned long size, unsigned long* count,
                                _KS_VERSION* version) override;
    unsigned long AddRestore(_KS_VOLUME* source, _KS_RESTORE_TARGET* target, unsigned long option) override;
    unsigned long AddDiskRestore(_KS_RESTORE_TARGET* source, _KS_RESTORE_TARGET* target,
                                 unsigned long option) override;
    unsigned long SetStringParam(const wchar_t* workFolder) override;
    unsigned long Execute() override;
    unsigned long SetCallBack(KS_RESTORE_CALLBACK callback, void* context) override;
    unsigned long GetRestoreProgress(_KS_PROGRESS_INFO* record) override;
    unsigned long UserCancel() override;
    unsigned long SetDiskMode(unsigned long flag) override;

    // For the worker, the restorers and the devices.
    bool Running() const { return running_.load() != 0; }
    CRestoreProgress& Progress() { return progress_; }
    const RestoreServices& Services() const { return services_; }
    const wchar_t* ImagePath() const { return imagePath_; }
    const _KS_VERSION& Version() const { return version_; }
    const wchar_t* Password() const { return passwordSet_ ? password_ : nullptr; }
    unsigned long PasswordBytes() const { return passwordSet_ ? passwordBytes_ : 0; }
    void ClearPassword();
    // Null when no folder is set.
    const wchar_t* WorkFolder() const;
    bool DiskMode() const { return diskMode_ != 0; }
    bool CloneFlag() const { return cloneFlag_ != 0; }
    std::atomic<uint32_t> sectorRestore{0};
    std::atomic<long> discNumber{-1};
    // Calls the caller's callback (0 when none is set).
    unsigned long Notify(unsigned long message, void* data);
    // The queued operations; the worker empties the queue at the end of a run.
    std::vector<_KS_RESTORE_OPERATION>& Queue() { return queue_; }
    void FreeQueue();
    void EndRun() { running_.store(0); }
    // Waits for a started worker to end.
    void JoinWorker();
    // The 72 bytes at 440 of the clone target's first sector, taken before the run
    // blanks that sector; the boot-track copy keeps them.
    void KeepBootTail(const unsigned char bytes[72]);
    bool KeptBootTail(unsigned char bytes[72]) const;
    void ForgetBootTail() { bootTailKept_ = false; }
    // Engines alive in the process.
    static std::atomic<long> objects;

    // The last file of the set path belongs to, or the file that ends version when
    // the set lists one; the container is left closed.
    unsigned long FindVersionFile(const wchar_t* path, const _KS_VERSION* version, wchar_t out[KS_RESTORE_PATH_CHARS]);

private:
    CRestore(const CRestore&) = delete;
    CRestore& operator=(const CRestore&) = delete;
    static unsigned __stdcall ThreadStart(void* self);

    RestoreServices services_;
    HANDLE worker_ = nullptr;
    std::vector<_KS_RESTORE_OPERATION> queue_;
    std::vector<wchar_t> workFolder_;
    CRestoreProgress progress_;
    IKSCofran* image_ = nullptr;
    wchar_t imagePath_[KS_RESTORE_PATH_CHARS] = {};
    wchar_t protectedPath_[KS_RESTORE_PATH_CHARS] = {};
    _KS_VERSION version_ = {};
    KS_RESTORE_CALLBACK callback_ = nullptr;
    void* callbackContext_ = nullptr;
    std::atomic<uint32_t> running_{0};
    uint32_t cloneFlag_ = 0;
    uint32_t diskMode_ = 0;
    wchar_t password_[kPasswordBytes / sizeof(wchar_t)] = {};
    unsigned long passwordBytes_ = 0;
    bool passwordSet_ = false;
    unsigned char bootTail_[72] = {};
    bool bootTailKept_ = false;
};

// Runs the queue of engine; the thread's body.
unsigned RestoreThread(CRestore& engine);
