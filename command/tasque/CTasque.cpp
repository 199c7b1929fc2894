#include "CTasque.h"

#include <cstring>

#include "TasqueResults.h"

CTasque::CTasque(IOrdwell* executor, ICensa* censa) : executor_(executor), converter_(censa) {}

CTasque::~CTasque()
{
    if (executor_ != nullptr)
        executor_->Release();
}

unsigned long CTasque::Release()
{
    delete this;
    return 0;
}

unsigned long CTasque::SendBare(uint32_t code)
{
    KS_CMD_BARE request{};
    KSCmdFillHeader(request, code);
    return Send(request);
}

unsigned long CTasque::SendPointer(uint32_t code, const void* pointer)
{
    KS_CMD_POINTER_REQUEST request{};
    KSCmdFillHeader(request, code);
    request.Pointer = const_cast<void*>(pointer);
    return Send(request);
}

unsigned long CTasque::SendCallback(uint32_t code, KS_CMD_CALLBACK callback, void* context)
{
    KS_CMD_CALLBACK_REQUEST request{};
    KSCmdFillHeader(request, code);
    request.Callback = callback;
    request.Context = context;
    return Send(request);
}

unsigned long CTasque::SendListing(uint32_t code, void* buffer, unsigned long capacity, void* count, void* subject)
{
    KS_CMD_LISTING_REQUEST request{};
    KSCmdFillHeader(request, code);
    request.Capacity = static_cast<uint32_t>(capacity);
    request.Subject = subject;
    KS_CMD_LISTING_REPLY reply{};
    reply.Buffer = buffer;
    reply.Count = count;
    return Send(request, &reply.Header);
}

unsigned long CTasque::SendDiskRange(uint32_t code, uint8_t disk, unsigned long long first,
                                     unsigned long long second, _KS_CMD_PACKET* reply)
{
    KS_CMD_DISK_RANGE_REQUEST request{};
    KSCmdFillHeader(request, code);
    request.Disk = disk;
    request.First.Set(first);
    request.Second.Set(second);
    return Send(request, reply);
}

unsigned long CTasque::SendProgress(uint32_t code, void* progress, uint32_t value)
{
    KS_CMD_PROGRESS_REPLY reply{};
    reply.Progress = progress;
    if (code == TASQUE_CMD_BACKUP_GET_PROGRESS) {
        KS_CMD_VALUE_REQUEST request{};
        KSCmdFillHeader(request, code);
        request.Value = value;
        return Send(request, &reply.Header);
    }
    KS_CMD_BARE request{};
    KSCmdFillHeader(request, code);
    return Send(request, &reply.Header);
}

unsigned long CTasque::SendPassword(uint32_t code, wchar_t* password, unsigned long length)
{
    KS_CMD_PASSWORD_REQUEST request{};
    KSCmdFillHeader(request, code);
    request.Password = password;
    request.Length = static_cast<uint32_t>(length);
    return Send(request);
}

unsigned long CTasque::EnumInit() { return SendBare(TASQUE_CMD_ENUM_INIT); }

unsigned long CTasque::EnumGetDiskCount(unsigned long long* count)
{
    KS_CMD_BARE request{};
    KSCmdFillHeader(request, TASQUE_CMD_ENUM_GET_DISK_COUNT);
    KS_CMD_COUNT_REPLY reply{};
    const unsigned long result = Send(request, &reply.Header);
    if (count != nullptr)
        *count = reply.Count.Get();
    return result;
}

unsigned long CTasque::EnumGetDiskInfo(unsigned long long disk, _KS_DISK_INFO* record)
{
    KS_CMD_DISK_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ENUM_GET_DISK_INFO);
    request.Disk.Set(disk);
    KS_CMD_DISK_INFO_REPLY reply{};
    const unsigned long result = Send(request, &reply.Header);
    // Copied whatever the result: a failure leaves zeros.
    if (record != nullptr)
        std::memcpy(record, &reply.Info, sizeof reply.Info);
    return result;
}

unsigned long CTasque::EnumGetPartitionCount(unsigned long long disk, unsigned long long* count)
{
    KS_CMD_DISK_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ENUM_GET_PARTITION_COUNT);
    request.Disk.Set(disk);
    KS_CMD_COUNT_REPLY reply{};
    const unsigned long result = Send(request, &reply.Header);
    if (count != nullptr)
        *count = reply.Count.Get();
    return result;
}

unsigned long CTasque::EnumGetPartitionInfo(unsigned long long disk, unsigned long long partition,
                                            _KS_PARTITION_INFO* record)
{
    KS_CMD_PARTITION_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_ENUM_GET_PARTITION_INFO);
    request.Disk.Set(disk);
    request.Partition.Set(partition);
    KS_CMD_PARTITION_INFO_REPLY reply{};
    const unsigned long result = Send(request, &reply.Header);
    if (record != nullptr)
        std::memcpy(record, &reply.Info, sizeof reply.Info);
    return result;
}
