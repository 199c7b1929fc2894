// The restore group of the command object.
#include "CTasque.h"
#include "TasqueResults.h"

unsigned long CTasque::RestoreSetImgInfo(_KS_VERSION* version, wchar_t* imagePath)
{
    if (version == nullptr && imagePath == nullptr)
        return TasqueResult::kRestoreImgInfoNull;
    KS_CMD_IMG_INFO_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_RESTORE_SET_IMG_INFO);
    request.Version = version;
    request.Path = imagePath;
    return Send(request);
}

unsigned long CTasque::RestoreGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, unsigned long* count,
                                               wchar_t* imagePath)
{
    if (count == nullptr || imagePath == nullptr)
        return TasqueResult::kRestoreVersionsNull;
    return SendListing(TASQUE_CMD_RESTORE_GET_IMAGE_VERSIONS, buffer, capacity, count, imagePath);
}

unsigned long CTasque::RestoreGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, unsigned long* count,
                                            _KS_VERSION* version)
{
    if (buffer == nullptr && count == nullptr)
        return TasqueResult::kRestoreVolumesNull;
    return SendListing(TASQUE_CMD_RESTORE_GET_IMG_VOLUMES, buffer, capacity, count, version);
}

unsigned long CTasque::RestoreGetVerComment(wchar_t* buffer, unsigned long capacity, unsigned long* length,
                                            _KS_VERSION* version)
{
    if (length == nullptr || version == nullptr)
        return TasqueResult::kRestoreCommentNull;
    return SendListing(TASQUE_CMD_RESTORE_GET_VER_COMMENT, buffer, capacity, length, version);
}

unsigned long CTasque::AddRestore(_KS_VOLUME* source, const _RESTORE_INFO* target, unsigned long option)
{
    if (source == nullptr || target == nullptr)
        return TasqueResult::kAddRestoreNull;
    // The engine copies the record while the command runs.
    _KS_RESTORE_TARGET converted = converter_.Convert(*target);
    KS_CMD_RESTORE_ITEM_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ADD_RESTORE);
    request.Source = source;
    request.Target = &converted;
    request.Option = static_cast<uint32_t>(option);
    return Send(request);
}

unsigned long CTasque::AddDiskRestore(const _RESTORE_INFO* source, const _RESTORE_INFO* target, unsigned long flag)
{
    if (source == nullptr || target == nullptr)
        return TasqueResult::kAddDiskRestoreNull;
    _KS_RESTORE_TARGET from = converter_.Convert(*source);
    _KS_RESTORE_TARGET to = converter_.Convert(*target);
    KS_CMD_RESTORE_ITEM_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ADD_DISK_RESTORE);
    request.Source = &from;
    request.Target = &to;
    request.Option = static_cast<uint32_t>(flag);
    return Send(request);
}

unsigned long CTasque::RestoreSetStringParam(const wchar_t* param)
{
    if (param == nullptr)
        return TasqueResult::kRestoreStringParamNull;
    return SendPointer(TASQUE_CMD_RESTORE_SET_STRING_PARAM, param);
}

unsigned long CTasque::RestoreExecute() { return SendBare(TASQUE_CMD_RESTORE_EXECUTE); }

unsigned long CTasque::RestoreSetCallBack(KS_CMD_CALLBACK callback, void* context)
{
    if (callback == nullptr)
        return TasqueResult::kRestoreCallbackNull;
    return SendCallback(TASQUE_CMD_RESTORE_SET_CALLBACK, callback, context);
}

unsigned long CTasque::RestoreGetProgress(_KS_PROGRESS_INFO* progress)
{
    if (progress == nullptr)
        return TasqueResult::kRestoreProgressNull;
    return SendProgress(TASQUE_CMD_RESTORE_GET_PROGRESS, progress);
}

unsigned long CTasque::RestoreUserCancel() { return SendBare(TASQUE_CMD_RESTORE_USER_CANCEL); }

unsigned long CTasque::RestoreIsPwdProtect(wchar_t* imagePath)
{
    if (imagePath == nullptr)
        return TasqueResult::kRestoreIsPwdNull;
    return SendPointer(TASQUE_CMD_RESTORE_IS_PWD_PROTECT, imagePath) == 0 ? 1 : 0;
}

unsigned long CTasque::RestoreSetPassword(wchar_t* password, unsigned long bytes)
{
    if (password == nullptr)
        return TasqueResult::kRestorePasswordNull;
    return SendPassword(TASQUE_CMD_RESTORE_SET_PASSWORD, password, bytes) == 0 ? 1 : 0;
}

unsigned long CTasque::RestoreSetDiskMode(unsigned long flag)
{
    KS_CMD_VALUE_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_RESTORE_SET_DISK_MODE);
    request.Value = static_cast<uint32_t>(flag);
    return Send(request);
}
