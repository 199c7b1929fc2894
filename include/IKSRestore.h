// The restore engine: opens an image set, lists its versions, volumes and comments,
// takes a queue of restores (an image volume onto a partition, a whole image disk or
// its boot track onto a disk, a live partition or boot track onto another disk in a
// clone) and runs the queue on one worker thread. The caller polls the progress
// record until its state is RESTORE_STATE_FINISH or RESTORE_STATE_USER_CANCEL and
// reads the run's result there. Result codes carry module number 5. Callers keep the
// operations' order as the virtual table's order and end the object with Release.
#pragma once

#include "KSImageFormat.h"
#include "KSProgressInfo.h"
#include "KSRestoreRecords.h"
#include "KSVolume.h"

// Called on the worker thread with KS_RESTORE_MSG_*. For requests: 0 to retry with
// the disc or file now in place; a failure code stops the operation.
typedef unsigned long (*KS_RESTORE_CALLBACK)(void* context, unsigned long message, void* data);

enum : unsigned long {
    KS_RESTORE_KIND = 3,
    KS_RESTORE_PATH_CHARS = 272,
};

class IKSRestore {
public:
    virtual unsigned long Release() = 0;
    virtual unsigned long SetImgInfo(_KS_VERSION* version, wchar_t* path) = 0;
    // Truth values, not result codes.
    virtual unsigned long IsPwdProtect(wchar_t* path) = 0;
    virtual unsigned long SetPassword(wchar_t* password, unsigned long bytes) = 0;
    // size counts records.
    virtual unsigned long GetImageVersions(_KS_VERSION* buffer, unsigned long size, unsigned long* count,
                                           wchar_t* path) = 0;
    virtual unsigned long GetImgVolumes(_KS_VOLUME* buffer, unsigned long size, unsigned long* count,
                                        _KS_VERSION* version) = 0;
    // size in characters; count gets the comment's length in characters.
    virtual unsigned long GetVerComment(wchar_t* buffer, unsigned long size, unsigned long* count,
                                        _KS_VERSION* version) = 0;
    virtual unsigned long AddRestore(_KS_VOLUME* source, _KS_RESTORE_TARGET* target, unsigned long option) = 0;
    virtual unsigned long AddDiskRestore(_KS_RESTORE_TARGET* source, _KS_RESTORE_TARGET* target,
                                         unsigned long option) = 0;
    virtual unsigned long SetStringParam(const wchar_t* workFolder) = 0;
    virtual unsigned long Execute() = 0;
    virtual unsigned long SetCallBack(KS_RESTORE_CALLBACK callback, void* context) = 0;
    virtual unsigned long GetRestoreProgress(_KS_PROGRESS_INFO* record) = 0;
    virtual unsigned long UserCancel() = 0;
    virtual unsigned long SetDiskMode(unsigned long flag) = 0;
    virtual ~IKSRestore() {}
};

extern "C" unsigned long KSCreateObjectRt(unsigned long version, unsigned long kind, void** out);
