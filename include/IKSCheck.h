// The image checker's interface: verifies the volumes of an image set on a worker
// thread, block by block and against the file system's own bitmap. Every result code
// carries module number 0xA. Callers keep the operations' order as the virtual
// table's order; they never delete the object but end it with Release.
#pragma once

#include "KSImageFormat.h"
#include "KSProgressInfo.h"
#include "KSVolume.h"

// Prompt callback, called on the checker's worker thread. Messages: 1 insert a disc
// (record _KS_IMG_MSG_DISC), 3 put a needed image file in place (record
// _KS_IMG_MSG_FILE). Return 0 when the request is met; a result code (kind not 0)
// stops the run with that code.
typedef unsigned long (*KS_CHECK_PROMPT_CALLBACK)(void* context, unsigned long message, void* data);

enum : unsigned long {
    KS_CHECK_OBJECT_KIND = 7,
    KS_CHECK_PASSWORD_CHARS = 64,
};

class IKSCheck {
public:
    // 1 when the image set that path belongs to is password protected, else 0.
    virtual unsigned long IsPwdProtect(wchar_t* path) = 0;
    // bytes: the password's length in bytes (characters x sizeof(wchar_t)), without
    // the terminator; only that many bytes are read. 1 when the password opens the
    // set, 0 when refused; a length that is not whole characters, that runs past a
    // zero in the text or past 64 characters gives a code.
    virtual unsigned long SetPassword(wchar_t* password, int bytes) = 0;
    virtual unsigned long Release() = 0;
    // Loads the set path belongs to and chooses the version; either may be null.
    virtual unsigned long SetImgInfo(_KS_VERSION* version, wchar_t* path) = 0;
    // capacity counts records.
    virtual unsigned long GetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                           wchar_t* path) = 0;
    virtual unsigned long GetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                        _KS_VERSION* version) = 0;
    // size in characters; count must be given and is not written.
    virtual unsigned long GetVerComment(wchar_t* buffer, unsigned long size, int* count, _KS_VERSION* version) = 0;
    virtual unsigned long AddCheck(_KS_VOLUME* volume) = 0;
    virtual unsigned long Execute() = 0;
    virtual unsigned long SetPromptCall(KS_CHECK_PROMPT_CALLBACK callback, void* context) = 0;
    virtual unsigned long GetCheckProgress(_KS_PROGRESS_INFO* record) = 0;
    virtual unsigned long UserCancel() = 0;

protected:
    ~IKSCheck() {}
};

extern "C" unsigned long KSCreateObjectCheck(unsigned long version, unsigned long kind, void** out);
