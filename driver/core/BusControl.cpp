// The bus's control codes: plug in, unplug, eject and list the child disks.
#include "ChildLifetime.h"
#include "CoreHandlers.h"

namespace zedisk {

namespace {

bool TargetRecordOk(const ZdRequest* request)
{
    return request->Buffer != nullptr && request->InputLength == ZEDISK_TARGET_RECORD_SIZE &&
           ZdLoad32(static_cast<const uint8_t*>(request->Buffer)) == ZEDISK_TARGET_RECORD_SIZE;
}

bool Matches(const ZdChild* child, uint32_t mask)
{
    return mask == 0 || (mask & (1u << (child->Letter() & 31))) != 0;
}

// UNPLUG clears the present flag of each matching child, EJECT asks the system to
// eject each; neither touches a child when none matches.
ZdStatus ForTargets(ZdBus* bus, ZdRequest* request, bool eject)
{
    if (!TargetRecordOk(request))
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    const uint32_t mask = ZdLoad32(static_cast<const uint8_t*>(request->Buffer) + 4);
    ZdStatus status = ZD_STATUS_SUCCESS;
    {
        ZdMutexHeld held(bus->mutex);
        bool any = false;
        bool matched = false;
        for (ZdChild* child = bus->first; child != nullptr; child = child->next) {
            if (!child->linked)
                continue;
            any = true;
            if (!Matches(child, mask))
                continue;
            matched = true;
            if (eject)
                ZdPortRequestEject(child->device);
            else
                child->present = false;
        }
        if (!any)
            status = ZD_STATUS_NO_SUCH_DEVICE;
        else if (!matched)
            status = ZD_STATUS_INVALID_PARAMETER;
    }
    if (ZdSucceeded(status) && !eject)
        ZdPortInvalidateBusRelations(bus->device);
    return Complete(request, status);
}

ZdStatus List(ZdBus* bus, ZdRequest* request)
{
    if (request->Buffer == nullptr || request->OutputLength < ZEDISK_DISK_LIST_HEAD_SIZE)
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    uint8_t* out = static_cast<uint8_t*>(request->Buffer);
    uint32_t mask = 0;
    uint32_t present = 0;
    uint32_t entries = 0;
    uint32_t used = ZEDISK_DISK_LIST_HEAD_SIZE;
    {
        ZdMutexHeld held(bus->mutex);
        for (ZdChild* child = bus->first; child != nullptr; child = child->next) {
            if (!child->linked || !child->present)
                continue;
            mask |= 1u << (child->Letter() & 31);
            ++present;
            if (request->OutputLength - used >= ZEDISK_DISK_LIST_ENTRY_SIZE) {
                ZdCopy(out + used, child->record + ZEDISK_RECORD_VOLUME, ZEDISK_DISK_LIST_ENTRY_SIZE);
                used += ZEDISK_DISK_LIST_ENTRY_SIZE;
                ++entries;
            }
        }
    }
    ZdStore32(out, ZEDISK_DISK_LIST_HEAD_SIZE);
    ZdStore32(out + 4, mask);
    ZdStore32(out + 8, present);
    ZdStore32(out + 12, entries);
    return Complete(request, ZD_STATUS_SUCCESS, used);
}

} // namespace

ZdStatus BusControl(ZdBus* bus, ZdRequest* request)
{
    if (bus->pnpState == ZD_PNP_DELETED || bus->pnpState == ZD_PNP_SURPRISE_REMOVE_PENDING)
        return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
    switch (request->Code) {
    case IOCTL_ZEDISK_PLUGIN: {
        const uint8_t* record = static_cast<const uint8_t*>(request->Buffer);
        ZdStatus status = CheckPluginRecord(record, request->InputLength);
        if (ZdSucceeded(status))
            status = PlugIn(bus, record);
        return Complete(request, status);
    }
    case IOCTL_ZEDISK_UNPLUG:
        return ForTargets(bus, request, false);
    case IOCTL_ZEDISK_EJECT:
        return ForTargets(bus, request, true);
    case IOCTL_ZEDISK_LIST:
        return List(bus, request);
    case IOCTL_ZEDISK_GET_RECORD:
    case IOCTL_ZEDISK_SET_LETTER:
    case IOCTL_ZEDISK_SET_READONLY:
        return Complete(request, ZD_STATUS_INVALID_DEVICE_REQUEST);
    default:
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    }
}

} // namespace zedisk
