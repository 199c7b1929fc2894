// The backup group of the command object, and deleting an image set: Windows only.
#include "CTasque.h"
#include "TasqueResults.h"

#if defined(_WIN32)

unsigned long CTasque::BackupSetSource(const _KS_BACKUP_SOURCE* source)
{
    return SendPointer(TASQUE_CMD_BACKUP_SET_SOURCE, source);
}

unsigned long CTasque::BackupAddFilter(const _KS_FILTERS_HEAD* filters)
{
    return SendPointer(TASQUE_CMD_BACKUP_ADD_FILTER, filters);
}

unsigned long CTasque::BackupSetCallBack(KS_CMD_CALLBACK callback, void* context)
{
    if (callback == nullptr)
        return TasqueResult::kBackupCallbackNull;
    return SendCallback(TASQUE_CMD_BACKUP_SET_CALLBACK, callback, context);
}

unsigned long CTasque::BackupSetTempPath(const wchar_t* folder)
{
    if (folder == nullptr)
        return TasqueResult::kBackupTempPathNull;
    return SendPointer(TASQUE_CMD_BACKUP_SET_TEMP_PATH, folder);
}

unsigned long CTasque::DeleteImageSet(const wchar_t* imagePath)
{
    if (imagePath == nullptr)
        return TasqueResult::kDeleteImagePathNull;
    return SendPointer(TASQUE_CMD_DELETE_IMAGE_SET, imagePath);
}

unsigned long CTasque::BackupSetOption(const _KS_BACKUP_OPTION* option)
{
    if (option == nullptr)
        return TasqueResult::kBackupOptionNull;
    return SendPointer(TASQUE_CMD_BACKUP_SET_OPTION, option);
}

unsigned long CTasque::BackupExecute() { return SendBare(TASQUE_CMD_BACKUP_EXECUTE); }

unsigned long CTasque::BackupUserCancel() { return SendBare(TASQUE_CMD_BACKUP_USER_CANCEL); }

unsigned long CTasque::BackupGetProgress(_KS_PROGRESS_INFO* progress, unsigned long size)
{
    if (progress == nullptr)
        return TasqueResult::kBackupProgressNull;
    return SendProgress(TASQUE_CMD_BACKUP_GET_PROGRESS, progress, static_cast<uint32_t>(size));
}

#endif
