// The backup engine: writes one new image set (or a new version of one) from a list
// of partitions on a worker thread. The caller polls the progress record until its
// state is KS_BACKUP_STATE_FINISHED and reads the run's result there. Result codes
// carry module number 4. Objects end with Release.
#pragma once

#include "KSBackupRecords.h"
#include "KSProgressInfo.h"
#include "KSVolume.h"

// Messages to the caller's progress callback (see KS_BACKUP_MSG_*); the answer says
// what to do: 0 go on (a disc was inserted, retry), 1 refuse, anything else stops.
typedef unsigned long (*KS_BACKUP_CALLBACK)(void* user, unsigned long message, void* data);

enum : unsigned long {
    KS_BACKUP_MSG_NEED_DISC = 18,
    KS_BACKUP_MSG_BAD_DISC = 20,
    KS_BACKUP_MSG_TARGET_FULL = 22,   // data: the image path (wide) or null
    KS_BACKUP_MSG_DVD_ON_OLD_OS = 24,
};

// State word (+44) of the engine's progress record.
enum : uint32_t {
    KS_BACKUP_STATE_PREPARING = 2,
    KS_BACKUP_STATE_BITMAP = 6,
    KS_BACKUP_STATE_FILE_SYSTEM = 8,
    KS_BACKUP_STATE_FINISHED = 12,
    KS_BACKUP_STATE_BURNING = 16,
};

class IKSBackup {
public:
    virtual unsigned long Release() = 0;
    virtual unsigned long SetBackupSource(const _KS_BACKUP_SOURCE* source) = 0;
    virtual unsigned long AddFilter(const _KS_FILTERS_HEAD* filter) = 0;
    virtual unsigned long SetCallBack(KS_BACKUP_CALLBACK callback, void* user) = 0;
    virtual unsigned long SetTempPath(const wchar_t* folder) = 0;
    virtual unsigned long SetBackupOption(const _KS_BACKUP_OPTION* option) = 0;
    virtual unsigned long Execute() = 0;
    virtual unsigned long UserCancel() = 0;
    virtual unsigned long GetBackupProgress(_KS_PROGRESS_INFO* progress, unsigned long size) = 0;
    virtual unsigned long CheckFileSystem(_KS_VOLUME_ITEM item) = 0;
    virtual ~IKSBackup() {}
};

enum : unsigned long {
    KS_BACKUP_KIND = 2,
};

extern "C" unsigned long KSCreateObjectBk(unsigned long version, unsigned long kind, void** out);
