#include "CCallBackOperate.h"

#include <cstdio>

CCallBackOperate::CCallBackOperate(KS_OPERATE_CALLBACK callback, void* context)
    : callback_(callback), context_(context)
{
}

unsigned long CCallBackOperate::Send(unsigned long kind, unsigned long value, unsigned long value2)
{
    return callback_ != nullptr ? callback_(context_, kind, value, value2) : 0;
}

void CCallBackOperate::StartOperation(unsigned long startValue, unsigned long operationId)
{
    Send(KS_OPERATE_START, startValue);
    Send(KS_OPERATE_BEGIN, operationId, 0);
}

void CCallBackOperate::StartFileSystemOperation(unsigned long weight) { Send(KS_OPERATE_WEIGHT, weight); }

void CCallBackOperate::SetPercent(unsigned long percent) { Send(KS_OPERATE_PERCENT, percent); }

void CCallBackOperate::EndOperation() { Send(KS_OPERATE_DONE); }

bool CCallBackOperate::Cancelled() { return Send(KS_OPERATE_CANCEL_POLL) == KS_OPERATE_CANCELLED; }

extern "C" int LoadOperationName(unsigned long operationId, char* text, const void*)
{
    if (text == nullptr)
        return 0;
    const char* name = "Copying data";
    switch (operationId) {
    case KS_OPERATION_NTFS_RESIZE:
        name = "Resizing the NTFS volume";
        break;
    case KS_OPERATION_NTFS_COPY:
        name = "Copying the NTFS volume";
        break;
    case KS_OPERATION_FAT_COPY:
        name = "Copying the FAT volume";
        break;
    default:
        break;
    }
    std::snprintf(text, 128, "%s", name);
    return 1;
}
