// The mount group of the command object: Windows only.
#include "CTasque.h"
#include "TasqueResults.h"

#if defined(_WIN32)

unsigned long CTasque::MountImage(const wchar_t* image, _KS_VOLUME* volume, unsigned long letter,
                                  const wchar_t* password)
{
    if (image == nullptr && volume == nullptr)
        return TasqueResult::kMountImageNull;
    KS_CMD_MOUNT_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_MOUNT_IMAGE);
    request.Image = const_cast<wchar_t*>(image);
    request.Volume = volume;
    request.Letter = static_cast<uint32_t>(letter);
    request.Password = const_cast<wchar_t*>(password);
    return Send(request);
}

unsigned long CTasque::UnmountImage(unsigned long letterMask)
{
    KS_CMD_VALUE_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_UNMOUNT_IMAGE);
    request.Value = static_cast<uint32_t>(letterMask);
    return Send(request);
}

unsigned long CTasque::EjectImage(unsigned long letterMask)
{
    KS_CMD_VALUE_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_EJECT_IMAGE);
    request.Value = static_cast<uint32_t>(letterMask);
    return Send(request);
}

unsigned long CTasque::GetMountedDisks(void* entries, uint32_t* count)
{
    KS_CMD_MOUNTED_REQUEST request{};
    KSCmdFillHeader(request, TASQUE_CMD_GET_MOUNTED_DISKS);
    request.Count = count;
    KS_CMD_MOUNTED_REPLY reply{};
    reply.Entries = entries;
    reply.Count = count;
    return Send(request, &reply.Header);
}

#endif
