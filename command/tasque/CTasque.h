// The command object: packs each operation into a command record, hands it to its
// executor and unpacks the reply. Records and replies live in the operation's own
// frame; nothing is held between calls but the executor.
#pragma once

#include "ITasque.h"
#include "IOrdwell.h"
#include "RestoreItemConverter.h"

class ICensa;

class CTasque final : public ITasque {
public:
    // Takes ownership of the executor (released with the object). censa translates
    // the disk numbers of restore items; null leaves them as they are.
    CTasque(IOrdwell* executor, ICensa* censa);
    ~CTasque() override;
    CTasque(const CTasque&) = delete;
    CTasque& operator=(const CTasque&) = delete;

    unsigned long EnumInit() override;
    unsigned long EnumGetDiskCount(unsigned long long* count) override;
    unsigned long EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record) override;
    unsigned long EnumGetPartitionCount(unsigned long long disk, unsigned long long* count) override;
    unsigned long EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                       _KS_PARTITION_INFO* record) override;
#if defined(_WIN32)
    unsigned long BackupSetSource(const _KS_BACKUP_SOURCE* source) override;
    unsigned long BackupAddFilter(const _KS_FILTERS_HEAD* filters) override;
    unsigned long BackupSetCallBack(KS_CMD_CALLBACK callback, void* context) override;
    unsigned long BackupSetTempPath(const wchar_t* folder) override;
    unsigned long DeleteImageSet(const wchar_t* imagePath) override;
    unsigned long BackupSetOption(const _KS_BACKUP_OPTION* option) override;
    unsigned long BackupExecute() override;
    unsigned long BackupUserCancel() override;
    unsigned long BackupGetProgress(_KS_PROGRESS_INFO* progress, unsigned long size) override;
#endif
    unsigned long RestoreSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) override;
    unsigned long RestoreGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, unsigned long* count,
                                          wchar_t* imagePath) override;
    unsigned long RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                       _KS_VERSION* version) override;
    unsigned long RestoreGetVerComment(wchar_t* buffer, unsigned long capacity, unsigned long* length,
                                       _KS_VERSION* version) override;
    unsigned long AddRestore(_KS_VOLUME* source, const _RESTORE_INFO* target, unsigned long option) override;
    unsigned long AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target,
                                 unsigned long flag) override;
    unsigned long RestoreSetStringParam(const wchar_t* param) override;
    unsigned long RestoreExecute() override;
    unsigned long RestoreSetCallBack(KS_CMD_CALLBACK callback, void* context) override;
    unsigned long RestoreGetProgress(_KS_PROGRESS_INFO* progress) override;
    unsigned long RestoreUserCancel() override;
    unsigned long RestoreIsPwdProtect(wchar_t* imagePath) override;
    unsigned long RestoreSetPassword(wchar_t* password, unsigned long bytes) override;
    unsigned long RestoreSetDiskMode(unsigned long flag) override;
    unsigned long CheckIsPwdProtect(wchar_t* imagePath) override;
    unsigned long CheckSetPassword(wchar_t* password, unsigned long bytes) override;
    unsigned long CheckSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) override;
    unsigned long CheckGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                        wchar_t* imagePath) override;
    unsigned long CheckGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                     _KS_VERSION* version) override;
    unsigned long CheckGetVerComment(wchar_t* buffer, unsigned long capacity, int* length,
                                     _KS_VERSION* version) override;
    unsigned long AddCheck(_KS_VOLUME* volume) override;
    unsigned long CheckExecute() override;
    unsigned long CheckSetPromptCall(KS_CMD_CALLBACK callback, void* context) override;
    unsigned long CheckGetProgress(_KS_PROGRESS_INFO* progress) override;
    unsigned long CheckUserCancel() override;
#if defined(_WIN32)
    unsigned long MountImage(const wchar_t* image, _KS_VOLUME* volume, unsigned long letter,
                             const wchar_t* password) override;
    unsigned long UnmountImage(unsigned long letterMask) override;
    unsigned long EjectImage(unsigned long letterMask) override;
    unsigned long GetMountedDisks(void* entries, uint32_t* count) override;
#endif
    unsigned long DeletePartition(uint8_t disk, unsigned long long firstSector,
                                  unsigned long long sectorCount) override;
    unsigned long IsBadDisk(uint8_t disk, unsigned long long firstSector, unsigned long long lastSector) override;
    unsigned long AddPartition(uint8_t disk, AddPartitionParam record) override;
    unsigned long FindPartition(uint8_t disk, unsigned long long firstSector, unsigned long long sectorCount,
                                IManagerItem** item) override;
    unsigned long GetDiskItem(uint8_t disk, IManagerItem** item) override;
    unsigned long CheckFileSystem(unsigned long disk, unsigned long firstLow, unsigned long firstHigh,
                                  unsigned long reserved) override;
    unsigned long Release() override;

private:
    // Sends a record; reply, when given, is passed through a holder.
    template <class Request>
    unsigned long Send(Request& request, _KS_CMD_PACKET* reply = nullptr);
    // A record with no payload.
    unsigned long SendBare(uint32_t code);
    // Codes 22-24 and 32-34: the engine fills the caller's buffer and count.
    unsigned long SendListing(uint32_t code, void* buffer, unsigned long capacity, void* count, void* subject);
    unsigned long SendPointer(uint32_t code, const void* pointer);
    unsigned long SendCallback(uint32_t code, KS_CMD_CALLBACK callback, void* context);
    unsigned long SendDiskRange(uint32_t code, uint8_t disk, unsigned long long first, unsigned long long second,
                                _KS_CMD_PACKET* reply = nullptr);
    unsigned long SendProgress(uint32_t code, void* progress, uint32_t value = 0);
    unsigned long SendPassword(uint32_t code, wchar_t* password, unsigned long length);

    IOrdwell* executor_;
    RestoreItemConverter converter_;
};

template <class Request>
unsigned long CTasque::Send(Request& request, _KS_CMD_PACKET* reply)
{
    _KS_CMD_PACKET* holder = reply;
    return executor_->Execute(&request.Header, reply != nullptr ? &holder : nullptr, 0);
}
