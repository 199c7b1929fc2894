// Relayon: how a copier tells its caller how far it is and asks whether to stop. The
// caller hands the copier a progress function and its context; the copier wraps them
// in a CCallBackOperate and speaks in the messages below.
#pragma once

// The caller's progress function: a message kind and up to two values. Answers 0,
// or KS_OPERATE_CANCELLED to a cancel poll when the user has cancelled.
typedef unsigned long (*KS_OPERATE_CALLBACK)(void* context, unsigned long kind, unsigned long value,
                                             unsigned long value2);

enum : unsigned long {
    KS_OPERATE_START = 0,          // base and tenths to 0; start value := value
    KS_OPERATE_TENTHS = 1,         // tenths := value / 10
    KS_OPERATE_ALL_DONE = 2,       // operation percent 0, base 100
    KS_OPERATE_SCALE = 3,          // scale := value
    KS_OPERATE_SCALE_RESET = 4,    // scale := 100
    KS_OPERATE_BEGIN = 5,          // a new operation: id := value, info := value2
    KS_OPERATE_WEIGHT = 6,         // weight := value
    KS_OPERATE_PERCENT = 7,        // operation percent := min(value, 100)
    KS_OPERATE_ADD_PERCENT = 8,    // operation percent += value, at most 100
    KS_OPERATE_DONE = 9,           // operation percent := 100
    KS_OPERATE_CANCEL_POLL = 14,   // answers KS_OPERATE_CANCELLED when cancelled
    KS_OPERATE_CANCELLED = 1223,
};

// Operation ids the copiers report.
enum : unsigned long {
    KS_OPERATION_COPY = 0,
    KS_OPERATION_NTFS_RESIZE = 1,
    KS_OPERATION_NTFS_COPY = 2,
    KS_OPERATION_FAT_COPY = 3,
};

class CCallBackOperate {
public:
    // A null callback makes every call a no-op that never cancels.
    CCallBackOperate(KS_OPERATE_CALLBACK callback, void* context);
    // Starts the copier's run: start value and operation id.
    void StartOperation(unsigned long startValue, unsigned long operationId);
    // The share of the caller's percent this operation fills (95, 97, 82).
    void StartFileSystemOperation(unsigned long weight);
    void SetPercent(unsigned long percent);
    void EndOperation();
    // True once the caller has cancelled.
    bool Cancelled();

private:
    unsigned long Send(unsigned long kind, unsigned long value = 0, unsigned long value2 = 0);
    KS_OPERATE_CALLBACK callback_;
    void* context_;
};

// The name of an operation for the progress text, at most 127 characters and a
// terminating zero in text (128 bytes). Every id has a name; returns non-zero.
extern "C" int LoadOperationName(unsigned long operationId, char* text, const void* info);
