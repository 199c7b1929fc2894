// The disk enumeration and backup engine commands.
#include <cstring>

#include "COrdwell.h"
#include "ICensa.h"
#include "IKSBackup.h"
#include "OrdwellGuards.h"

unsigned long COrdwell::OnBackupExecute(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->Execute();
}

unsigned long COrdwell::OnBackupUserCancel(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->UserCancel();
}

unsigned long COrdwell::OnEnumInit(_KS_CMD_PACKET*, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(censa);
    return engines_.censa->Init();
}

unsigned long COrdwell::OnEnumGetDiskCount(_KS_CMD_PACKET*, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_COUNT_REPLY>(holder, TASQUE_CMD_ENUM_GET_DISK_COUNT);
    ORDWELL_NEEDS_REPLY(reply);
    reply->Count.Set(0);
    ORDWELL_NEEDS(censa);
    unsigned long long count = 0;
    const unsigned long result = engines_.censa->GetDiskCount(&count);
    reply->Count.Set(count);
    return result;
}

unsigned long COrdwell::OnEnumGetDiskInfo(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_DISK_INFO_REPLY>(holder, TASQUE_CMD_ENUM_GET_DISK_INFO);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(censa);
    _KS_DISK_INFO info;
    std::memcpy(&info, &reply->Info, sizeof info);
    const unsigned long result = engines_.censa->GetDiskInfo(Request<KS_CMD_DISK_REQUEST>(packet)->Disk.Get(), &info);
    std::memcpy(&reply->Info, &info, sizeof info);
    return result;
}

unsigned long COrdwell::OnEnumGetPartitionCount(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_COUNT_REPLY>(holder, TASQUE_CMD_ENUM_GET_PARTITION_COUNT);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(censa);
    unsigned long long count = reply->Count.Get();
    const unsigned long result =
        engines_.censa->GetPartitionCount(Request<KS_CMD_DISK_REQUEST>(packet)->Disk.Get(), &count);
    reply->Count.Set(count);
    return result;
}

unsigned long COrdwell::OnEnumGetPartitionInfo(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_PARTITION_INFO_REPLY>(holder, TASQUE_CMD_ENUM_GET_PARTITION_INFO);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(censa);
    const auto* r = Request<KS_CMD_PARTITION_REQUEST>(packet);
    _KS_PARTITION_INFO info;
    std::memcpy(&info, &reply->Info, sizeof info);
    const unsigned long result = engines_.censa->GetPartitionInfo(r->Disk.Get(), r->Partition.Get(), &info, nullptr);
    std::memcpy(&reply->Info, &info, sizeof info);
    return result;
}

unsigned long COrdwell::OnBackupSetSource(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->SetBackupSource(
        static_cast<const _KS_BACKUP_SOURCE*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
}

unsigned long COrdwell::OnBackupAddFilter(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->AddFilter(
        static_cast<const _KS_FILTERS_HEAD*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
}

unsigned long COrdwell::OnBackupSetCallBack(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    const auto* r = Request<KS_CMD_CALLBACK_REQUEST>(packet);
    return engines_.backup->SetCallBack(r->Callback, r->Context);
}

unsigned long COrdwell::OnBackupSetTempPath(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->SetTempPath(static_cast<const wchar_t*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
}

unsigned long COrdwell::OnBackupSetOption(_KS_CMD_PACKET* packet, _KS_CMD_PACKET**)
{
    ORDWELL_NEEDS(backup);
    return engines_.backup->SetBackupOption(
        static_cast<const _KS_BACKUP_OPTION*>(Request<KS_CMD_POINTER_REQUEST>(packet)->Pointer));
}

unsigned long COrdwell::OnBackupGetProgress(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder)
{
    auto* reply = Reply<KS_CMD_PROGRESS_REPLY>(holder, TASQUE_CMD_BACKUP_GET_PROGRESS);
    ORDWELL_NEEDS_REPLY(reply);
    ORDWELL_NEEDS(backup);
    return engines_.backup->GetBackupProgress(static_cast<_KS_PROGRESS_INFO*>(reply->Progress),
                                              Request<KS_CMD_VALUE_REQUEST>(packet)->Value);
}
