// The check group of the command object.
#include "CTasque.h"
#include "TasqueResults.h"

unsigned long CTasque::CheckIsPwdProtect(wchar_t* imagePath)
{
    if (imagePath == nullptr)
        return TasqueResult::kCheckIsPwdNull;
    return SendPointer(TASQUE_CMD_CHECK_IS_PWD_PROTECT, imagePath) == 0 ? 1 : 0;
}

// bytes goes to the checker unchanged; the checker decides whether it is whole
// characters within its field.
unsigned long CTasque::CheckSetPassword(wchar_t* password, unsigned long bytes)
{
    if (password == nullptr)
        return TasqueResult::kCheckPasswordNull;
    return SendPassword(TASQUE_CMD_CHECK_SET_PASSWORD, password, bytes) == 0 ? 1 : 0;
}

unsigned long CTasque::CheckSetImgInfo(_KS_VERSION* version, wchar_t* imagePath)
{
    if (version == nullptr && imagePath == nullptr)
        return TasqueResult::kCheckImgInfoNull;
    KS_CMD_IMG_INFO_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_CHECK_SET_IMG_INFO);
    request.Version = version;
    request.Path = imagePath;
    return Send(request);
}

unsigned long CTasque::CheckGetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count,
                                             wchar_t* imagePath)
{
    if (count == nullptr || imagePath == nullptr)
        return TasqueResult::kCheckVersionsNull;
    return SendListing(TASQUE_CMD_CHECK_GET_IMAGE_VERSIONS, buffer, capacity, count, imagePath);
}

unsigned long CTasque::CheckGetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                          _KS_VERSION* version)
{
    if (count == nullptr || version == nullptr)
        return TasqueResult::kCheckVolumesNull;
    return SendListing(TASQUE_CMD_CHECK_GET_IMG_VOLUMES, buffer, capacity, count, version);
}

unsigned long CTasque::CheckGetVerComment(wchar_t* buffer, unsigned long capacity, int* length,
                                          _KS_VERSION* version)
{
    if (length == nullptr || version == nullptr)
        return TasqueResult::kCheckCommentNull;
    return SendListing(TASQUE_CMD_CHECK_GET_VER_COMMENT, buffer, capacity, length, version);
}

unsigned long CTasque::AddCheck(_KS_VOLUME* volume)
{
    if (volume == nullptr)
        return TasqueResult::kAddCheckNull;
    KS_CMD_ADD_CHECK_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ADD_CHECK);
    request.Volume = volume;
    return Send(request);
}

unsigned long CTasque::CheckExecute() { return SendBare(TASQUE_CMD_CHECK_EXECUTE); }

unsigned long CTasque::CheckSetPromptCall(KS_CMD_CALLBACK callback, void* context)
{
    if (callback == nullptr)
        return TasqueResult::kCheckPromptNull;
    return SendCallback(TASQUE_CMD_CHECK_SET_PROMPT_CALL, callback, context);
}

unsigned long CTasque::CheckGetProgress(_KS_PROGRESS_INFO* progress)
{
    if (progress == nullptr)
        return TasqueResult::kCheckProgressNull;
    return SendProgress(TASQUE_CMD_CHECK_GET_PROGRESS, progress);
}

unsigned long CTasque::CheckUserCancel() { return SendBare(TASQUE_CMD_CHECK_USER_CANCEL); }
