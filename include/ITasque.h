// The command object: the one door through which the user interfaces reach the
// engines. Every operation checks its arguments, packs one command record, hands it
// to its own executor (IOrdwell) and unpacks the reply. Each object owns one executor
// with its own engines, so two objects never share a run, a password or a queue.
//
// The Windows build has the backup and mount groups; the Linux build (the recovery
// console's) has every other operation in the same order. Objects end with Release.
#pragma once

#include <cstdint>

#include "KSImageFormat.h"
#include "KSProgressInfo.h"
#include "KSVolume.h"
#include "RestoreInfo.h"
#include "command/KSCommandPayloads.h"
#include "vessmar/AddPartitionParam.h"

#if defined(_WIN32)
#include "KSBackupRecords.h"
#endif

class IManagerItem;

#if defined(_WIN32)
#define KS_TASQUE_EXPORT
#else
#define KS_TASQUE_EXPORT __attribute__((visibility("default")))
#endif

class ITasque {
public:
    virtual ~ITasque() {}

    virtual unsigned long EnumInit() = 0;
    virtual unsigned long EnumGetDiskCount(unsigned long long* count) = 0;
    // Copies the disk record (sizeof(_KS_DISK_INFO)) whatever the result: zeros on failure.
    virtual unsigned long EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record) = 0;
    virtual unsigned long EnumGetPartitionCount(unsigned long long disk, unsigned long long* count) = 0;
    virtual unsigned long EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                               _KS_PARTITION_INFO* record) = 0;
#if defined(_WIN32)
    virtual unsigned long BackupSetSource(const _KS_BACKUP_SOURCE* source) = 0;
    virtual unsigned long BackupAddFilter(const _KS_FILTERS_HEAD* filters) = 0;
    virtual unsigned long BackupSetCallBack(KS_CMD_CALLBACK callback, void* context) = 0;
    virtual unsigned long BackupSetTempPath(const wchar_t* folder) = 0;
    virtual unsigned long DeleteImageSet(const wchar_t* imagePath) = 0;
    virtual unsigned long BackupSetOption(const _KS_BACKUP_OPTION* option) = 0;
    virtual unsigned long BackupExecute() = 0;
    virtual unsigned long BackupUserCancel() = 0;
    virtual unsigned long BackupGetProgress(_KS_PROGRESS_INFO* progress, unsigned long size) = 0;
#endif
    virtual unsigned long RestoreSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) = 0;
    virtual unsigned long RestoreGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, unsigned long* count,
                                                  wchar_t* imagePath) = 0;
    virtual unsigned long RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                               _KS_VERSION* version) = 0;
    virtual unsigned long RestoreGetVerComment(wchar_t* buffer, unsigned long capacity, unsigned long* length,
                                               _KS_VERSION* version) = 0;
    // The target (and, for a disk restore, the source) is converted into the restore
    // engine's own record with its disk translated to the physical drive number; the
    // caller's record is left as it was.
    virtual unsigned long AddRestore(_KS_VOLUME* source, const _RESTORE_INFO* target, unsigned long option) = 0;
    virtual unsigned long AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target,
                                         unsigned long flag) = 0;
    virtual unsigned long RestoreSetStringParam(const wchar_t* param) = 0;
    virtual unsigned long RestoreExecute() = 0;
    virtual unsigned long RestoreSetCallBack(KS_CMD_CALLBACK callback, void* context) = 0;
    virtual unsigned long RestoreGetProgress(_KS_PROGRESS_INFO* progress) = 0;
    virtual unsigned long RestoreUserCancel() = 0;
    // 1 when the image is password protected, 0 when not; a null path gives a code.
    virtual unsigned long RestoreIsPwdProtect(wchar_t* imagePath) = 0;
    // bytes: the password's length in bytes (characters x sizeof(wchar_t)). 1 when
    // accepted, 0 when not; a null password gives a code.
    virtual unsigned long RestoreSetPassword(wchar_t* password, unsigned long bytes) = 0;
    virtual unsigned long RestoreSetDiskMode(unsigned long flag) = 0;
    virtual unsigned long CheckIsPwdProtect(wchar_t* imagePath) = 0;
    // bytes: the password's length in bytes (characters x sizeof(wchar_t)), without
    // the terminator; the checker refuses a length that is not whole characters or
    // runs past its 64-character field. 1 when accepted, 0 when not; a null
    // password gives a code.
    virtual unsigned long CheckSetPassword(wchar_t* password, unsigned long bytes) = 0;
    virtual unsigned long CheckSetImgInfo(_KS_VERSION* version, wchar_t* imagePath) = 0;
    virtual unsigned long CheckGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                                wchar_t* imagePath) = 0;
    virtual unsigned long CheckGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                             _KS_VERSION* version) = 0;
    virtual unsigned long CheckGetVerComment(wchar_t* buffer, unsigned long capacity, int* length,
                                             _KS_VERSION* version) = 0;
    virtual unsigned long AddCheck(_KS_VOLUME* volume) = 0;
    virtual unsigned long CheckExecute() = 0;
    virtual unsigned long CheckSetPromptCall(KS_CMD_CALLBACK callback, void* context) = 0;
    virtual unsigned long CheckGetProgress(_KS_PROGRESS_INFO* progress) = 0;
    virtual unsigned long CheckUserCancel() = 0;
#if defined(_WIN32)
    virtual unsigned long MountImage(const wchar_t* image, _KS_VOLUME* volume, unsigned long letter,
                                     const wchar_t* password) = 0;
    virtual unsigned long UnmountImage(unsigned long letterMask) = 0;
    virtual unsigned long EjectImage(unsigned long letterMask) = 0;
    virtual unsigned long GetMountedDisks(void* entries, uint32_t* count) = 0;
#endif
    // disk: position in the device manager's disk list. A first sector of all ones
    // deletes every partition of the disk.
    virtual unsigned long DeletePartition(uint8_t disk, unsigned long long firstSector,
                                          unsigned long long sectorCount) = 0;
    // Non-zero when the range may not take a new partition; first and last 0 test the
    // whole disk.
    virtual unsigned long IsBadDisk(uint8_t disk, unsigned long long firstSector, unsigned long long lastSector) = 0;
    virtual unsigned long AddPartition(uint8_t disk, AddPartitionParam record) = 0;
    // *item: the partition's item; it stays valid until this object is released.
    virtual unsigned long FindPartition(uint8_t disk, unsigned long long firstSector, unsigned long long sectorCount,
                                        IManagerItem** item) = 0;
    // *item: the disk's item; it stays valid until this object is released.
    virtual unsigned long GetDiskItem(uint8_t disk, IManagerItem** item) = 0;
    // The "Tillory" check of a partition: (disk, first sector low and high halves, 0).
    virtual unsigned long CheckFileSystem(unsigned long disk, unsigned long firstLow, unsigned long firstHigh,
                                          unsigned long reserved) = 0;
    virtual unsigned long Release() = 0;
};

// A new command object with its own executor; null when it cannot be made.
extern "C" KS_TASQUE_EXPORT ITasque* CreateTasqueObj();
