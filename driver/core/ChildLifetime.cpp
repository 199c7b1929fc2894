// A child's life: plug-in reserves its serial and letter, creates its device and
// worker, and links it once the worker has opened the image; deletion undoes it all.
#include "ChildLifetime.h"

#include "DiskWorker.h"

namespace zedisk {

namespace {

bool TextEndsInside(const uint8_t* field, uint32_t chars)
{
    for (uint32_t i = 0; i < chars; ++i)
        if (field[2 * i] == 0 && field[2 * i + 1] == 0)
            return true;
    return false;
}

// Under the bus mutex: the smallest serial from 1 up that no child carries, and
// no other child (but one being surprise-removed) with the record's letter. The
// child enters the list unlinked, so that plug-ins running at the same time see
// its serial and letter as taken.
ZdStatus Reserve(ZdBus* bus, ZdChild* child)
{
    ZdMutexHeld held(bus->mutex);
    for (ZdChild* other = bus->first; other != nullptr; other = other->next)
        if (other->pnpState != ZD_PNP_SURPRISE_REMOVE_PENDING && other->Letter() == child->Letter())
            return ZD_STATUS_INVALID_PARAMETER;
    uint32_t serial = 1;
    for (bool taken = true; taken;) {
        taken = false;
        for (ZdChild* other = bus->first; other != nullptr; other = other->next)
            if (other->serial == serial) {
                taken = true;
                ++serial;
                break;
            }
    }
    child->serial = serial;
    child->linked = false;
    bus->Link(child);
    return ZD_STATUS_SUCCESS;
}

void DropReservation(ZdBus* bus, ZdChild* child)
{
    ZdMutexHeld held(bus->mutex);
    bus->Unlink(child);
    child->bus = nullptr;
}

// Caching page: read-cache disabled, write cache off. Informational exceptions
// page: exceptions disabled (DEXCPT).
void BuildModePages(ZdChild* child)
{
    ZdZero(child->cachingPage, sizeof(child->cachingPage));
    child->cachingPage[0] = 0x08;
    child->cachingPage[1] = 0x12;
    child->cachingPage[2] = 0x01;   // RCD set, WCE clear
    ZdZero(child->exceptionsPage, sizeof(child->exceptionsPage));
    child->exceptionsPage[0] = 0x1C;
    child->exceptionsPage[1] = 0x0A;
    child->exceptionsPage[2] = 0x08;   // DEXCPT
}

void FreeChildParts(ZdChild* child)
{
    if (child->security != nullptr)
        ZdPortSecurityRelease(child->security);
    if (child->device != nullptr)
        ZdPortDeleteDevice(child->device);
    if (child->requests != nullptr)
        ZdPortSemaphoreDestroy(child->requests);
    if (child->workerStarted != nullptr)
        ZdPortEventDestroy(child->workerStarted);
    if (child->queueLock != nullptr)
        ZdPortLockDestroy(child->queueLock);
    delete child;
}

} // namespace

ZdStatus CheckPluginRecord(const uint8_t* record, uint32_t length)
{
    if (record == nullptr || length < ZEDISK_PLUGIN_RECORD_SIZE || ZdLoad32(record) != ZEDISK_PLUGIN_RECORD_SIZE)
        return ZD_STATUS_INVALID_PARAMETER;
    if (!TextEndsInside(record + ZEDISK_RECORD_PASSWORD, ZEDISK_PASSWORD_CHARS) ||
        !TextEndsInside(record + ZEDISK_RECORD_PATH, ZEDISK_PATH_CHARS))
        return ZD_STATUS_INVALID_PARAMETER;
    // The disk's offsets are computed in 512-byte sectors; any other size (0 among
    // them) would describe a disk the worker cannot serve.
    if (ZdLoad32(record + ZEDISK_RECORD_SECTOR_SIZE) != 512)
        return ZD_STATUS_INVALID_PARAMETER;
    return ZD_STATUS_SUCCESS;
}

ZdStatus PlugIn(ZdBus* bus, const uint8_t* record)
{
    ZdChild* child = new ZdChild;
    if (child == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    ZdCopy(child->record, record, ZEDISK_PLUGIN_RECORD_SIZE);
    ZdStatus status = Reserve(bus, child);
    if (!ZdSucceeded(status)) {
        delete child;
        return status;
    }
    status = ZdPortCreateChildDevice(bus->device, child, &child->device);
    if (!ZdSucceeded(status)) {
        child->device = nullptr;
        DropReservation(bus, child);
        FreeChildParts(child);
        return status;
    }
    if (!ZdSucceeded(ZdPortSecurityCapture(&child->security)))
        child->security = nullptr;
    child->queueLock = ZdPortLockCreate();
    child->requests = ZdPortSemaphoreCreate(0, 0x7FFFFFFF);
    child->workerStarted = ZdPortEventCreate(1, 0);
    if (child->security == nullptr || child->queueLock == nullptr || child->requests == nullptr ||
        child->workerStarted == nullptr) {
        DropReservation(bus, child);
        FreeChildParts(child);
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    }
    BuildModePages(child);
    status = StartWorker(child);
    if (!ZdSucceeded(status)) {
        DropReservation(bus, child);
        FreeChildParts(child);
        return status;
    }
    child->readOnly = 0;
    {
        ZdMutexHeld held(bus->mutex);
        child->pnpState = ZD_PNP_NOT_STARTED;
        child->present = true;
        child->reportedMissing = false;
        child->linked = true;
        ++bus->childCount;
    }
    ZdPortInvalidateBusRelations(bus->device);
    return ZD_STATUS_SUCCESS;
}

void ZdDeleteChild(ZdChild* child)
{
    StopWorker(child);
    FreeChildParts(child);
}

} // namespace zedisk
