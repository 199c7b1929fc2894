// The backup engine behind IKSBackup: one worker thread per run writes one image set
// (or a new version of one) from the source's partitions, one CVolumeItem each.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CBackupProgress.h"
#include "CDiscOutput.h"
#include "IKSBackup.h"
#include "IKSCofran.h"
#include "VolumeServices.h"

class CVolumeItem;

// Set flags: what the engine hands to OpenCofran (storage bits) and BeginBackup.
enum : unsigned long {
    KS_SET_APPEND = 0x001,
    KS_SET_REOPENED = 0x002,
    KS_SET_STORAGE_MASK = 0x0F0,
    KS_SET_PASSWORD = 0x100,
    KS_SET_DISC_BURNED = 0x400,
};

class IBackup final : public IKSBackup, private IDiscOutputHost {
public:
    explicit IBackup(const KSVolumeServices& services = KSDefaultVolumeServices(),
                     const KSDiscServices& discServices = KSDefaultDiscServices());
    ~IBackup() override;
    IBackup(const IBackup&) = delete;
    IBackup& operator=(const IBackup&) = delete;

    unsigned long Release() override;
    unsigned long SetBackupSource(const _KS_BACKUP_SOURCE* source) override;
    unsigned long AddFilter(const _KS_FILTERS_HEAD* filter) override;
    unsigned long SetCallBack(KS_BACKUP_CALLBACK callback, void* user) override;
    unsigned long SetTempPath(const wchar_t* folder) override;
    unsigned long SetBackupOption(const _KS_BACKUP_OPTION* option) override;
    unsigned long Execute() override;
    unsigned long UserCancel() override;
    unsigned long GetBackupProgress(_KS_PROGRESS_INFO* progress, unsigned long size) override;
    unsigned long CheckFileSystem(_KS_VOLUME_ITEM item) override;

    // The reader's write path and progress reports (the reader's callbacks).
    static unsigned long WriteToImage(void* context, unsigned long long firstSector, unsigned long count,
                                      void* buffer, unsigned long mode);
    static unsigned long OnReaderProgress(void* context, unsigned long state, unsigned long long bytes,
                                          unsigned long itemPercent);

    // The work path the run writes to, from the options and the temp folder.
    unsigned long PrepareImagePath(std::wstring& workPath);
    unsigned long SetFlags() const { return setFlags_; }
    const std::vector<std::wstring>& WrittenFiles() const { return written_; }

private:
    static unsigned __stdcall ThreadStart(void* self);
    unsigned long BackupThread();
    unsigned long CreateReaders();
    unsigned long OpenImage();
    unsigned long BeginFirstFile();
    unsigned long BackupItem(size_t index);
    unsigned long EndImage(unsigned long runResult);
    void DestroyReaders();
    void StopWorker();
    bool Running() const;

    unsigned long WriteOnce(uint64_t firstSector, unsigned long count, void* buffer, unsigned long mode);
    unsigned long SwitchFile();
    unsigned long BeginBackupMode() const;
    // Messages to the caller: 22 asks whether to retry a full target; 18, 20 and 24
    // ask for another disc (the disc output's).
    unsigned long AskForDisc(unsigned long message, const wchar_t* path);
    // The disc output of storage type 32; the others have none.
    unsigned long PrepareDisc();
    unsigned long GetSplitSize(unsigned long& splitMiB);
    unsigned long BurnFolder(const std::wstring& folder);
    void FinishDisc();

    // What the disc output asks of the engine.
    bool AskCaller(unsigned long message, const wchar_t* path, unsigned long& answer) override;
    uint32_t State() override { return progress_.State(); }
    void SetState(uint32_t state) override { progress_.SetState(state); }
    void SetDiscBurned(bool burned) override;
    std::wstring DiscLabel() override;

    const KSVolumeServices services_;
    const KSDiscServices discServices_;
    std::mutex discLock_;                 // the disc output's pointer against a progress poll
    std::unique_ptr<CDiscOutput> disc_;
    bool keepStaged_ = false;             // a burn failed: the staged files are the backup
    std::atomic<unsigned long> result_{0};
    uint64_t dataAreaStart_ = 0;          // of the current volume, under writeLock_
    uint32_t sectorsPerCluster_ = 0;      // of the current volume, under writeLock_
    unsigned long setFlags_ = 0;
    double factor_ = 1.0;
    HANDLE worker_ = nullptr;
    void* user_ = nullptr;
    std::wstring imagePath_;              // the file being written, under writeLock_
    std::wstring tempFolder_;
    std::wstring workPath_;
    std::vector<uint8_t> source_;
    std::vector<_KS_VOLUME_ITEM> items_;
    int32_t priority_ = 0;
    uint32_t setMode_ = 0;
    bool hasOptions_ = false;
    _KS_BACKUP_OPTION options_{};
    KS_BACKUP_CALLBACK callback_ = nullptr;
    std::vector<uint8_t> filters_;
    std::vector<std::wstring> written_;   // under writeLock_
    IKSCofran* image_ = nullptr;
    std::mutex readersLock_;              // the current reader and the reader array
    CVolumeItem* current_ = nullptr;
    std::vector<CVolumeItem*> readers_;
    CBackupProgress progress_;
    std::atomic<unsigned long> cancel_{0};
    std::mutex writeLock_;                // every container write and the file switch
};
