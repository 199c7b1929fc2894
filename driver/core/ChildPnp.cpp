// Plug and Play on a child disk: its states, identity, capabilities, bus interface
// and removal. The child completes every such request itself.
#include "ChildText.h"
#include "CoreHandlers.h"

namespace zedisk {

namespace {

ZdStatus QueryId(ZdChild* child, ZdRequest* request)
{
    ChildText text;
    switch (request->IdType) {
    case ZD_ID_DEVICE:
        text.Wide(ZEDISK_CHILD_DEVICE_ID);
        text.Terminator();
        break;
    case ZD_ID_HARDWARE:
        text.Wide(ZEDISK_CHILD_DEVICE_ID);
        text.Terminator();
        text.Terminator();
        break;
    case ZD_ID_COMPATIBLE:
        text.Wide(ZEDISK_CHILD_COMPATIBLE_ID);
        text.Terminator();
        text.Terminator();
        break;
    case ZD_ID_INSTANCE:
        text.TwoDigits(child->serial);
        text.Terminator();
        break;
    default:
        return ZdPortCompleteUnchanged(request->Irp);
    }
    const ZdStatus status = ZdPortSetTextAnswer(request->Irp, text.Text(), text.Chars());
    if (!ZdSucceeded(status))
        return Complete(request, status);
    return ZdPortCompleteUnchanged(request->Irp);
}

ZdStatus QueryText(ZdChild* child, ZdRequest* request)
{
    ChildText text;
    if (request->HasInformation)
        return ZdPortCompleteUnchanged(request->Irp);   // a lower layer's text stays
    if (request->TextType == ZD_TEXT_DESCRIPTION) {
        text.Ascii("Zendrel_ZeDisk_");
        text.TwoDigits(child->serial);
    } else if (request->TextType == ZD_TEXT_LOCATION) {
        text.Ascii("Zendrel(");
        text.TwoDigits(child->serial);
        text.Ascii(")");
    } else {
        return ZdPortCompleteUnchanged(request->Irp);
    }
    text.Terminator();
    const ZdStatus status = ZdPortSetTextAnswer(request->Irp, text.Text(), text.Chars());
    if (!ZdSucceeded(status))
        return Complete(request, status);
    return ZdPortCompleteUnchanged(request->Irp);
}

ZdStatus QueryCapabilities(ZdChild* child, ZdRequest* request)
{
    ZdCapabilities* caps = request->Capabilities;
    if (caps == nullptr || caps->Version != 1 || caps->Size < 64)
        return Complete(request, ZD_STATUS_UNSUCCESSFUL);
    uint32_t mapping[7] = {};
    if (child->bus == nullptr)
        return Complete(request, ZD_STATUS_NO_SUCH_DEVICE);
    const ZdStatus status = ZdPortQueryBusPowerMapping(child->bus->device, mapping);
    if (!ZdSucceeded(status))
        return Complete(request, status);
    for (int i = 0; i < 7; ++i)
        caps->DeviceState[i] = mapping[i];
    // S0 works in D0; S1 sleeps in D1, S2 and S3 in D3, unless the bus keeps D0.
    caps->DeviceState[1] = ZD_POWER_D0;
    if (caps->DeviceState[2] != ZD_POWER_D0)
        caps->DeviceState[2] = ZD_POWER_D1;
    for (int s = 3; s <= 4; ++s)
        if (caps->DeviceState[s] != ZD_POWER_D0)
            caps->DeviceState[s] = ZD_POWER_D3;
    caps->DeviceWake = ZD_POWER_D1;
    caps->DeviceD1 = 1;
    caps->DeviceD2 = 0;
    caps->EjectSupported = 1;
    caps->Removable = 1;
    caps->SurpriseRemovalOK = 1;
    caps->UniqueID = 0;
    caps->SilentInstall = 0;
    caps->WakeFromD0 = 0;
    caps->WakeFromD1 = 1;
    caps->WakeFromD2 = 0;
    caps->WakeFromD3 = 0;
    caps->HardwareDisabled = 0;
    caps->D1Latency = caps->D2Latency = caps->D3Latency = 0;
    caps->Address = child->serial;
    caps->UINumber = child->serial;
    return Complete(request, ZD_STATUS_SUCCESS);
}

bool IsBusInterface(const uint8_t guid[16])
{
    ZeDiskGuid g;
    g.Data1 = ZdLoad32(guid);
    g.Data2 = static_cast<uint16_t>(guid[4] | (guid[5] << 8));
    g.Data3 = static_cast<uint16_t>(guid[6] | (guid[7] << 8));
    for (int i = 0; i < 8; ++i)
        g.Data4[i] = guid[8 + i];
    return ZeDiskGuidEqual(g, ZEDISK_GUID_BUS_INTERFACE);
}

ZdStatus QueryInterface(ZdChild* child, ZdRequest* request)
{
    if (!IsBusInterface(request->InterfaceType))
        return ZdPortCompleteUnchanged(request->Irp);
    // The interface record is 28 bytes of version 1; anything else would be
    // written past a smaller buffer.
    if (request->InterfaceSize < 28 || request->InterfaceVersion != 1)
        return Complete(request, ZD_STATUS_INVALID_PARAMETER);
    const ZdStatus status = ZdPortFillBusInterface(request->Irp, child);
    if (!ZdSucceeded(status))
        return Complete(request, status);
    ZdCoreInterfaceReference(child);
    return Complete(request, ZD_STATUS_SUCCESS);
}

ZdStatus Remove(ZdChild* child, ZdRequest* request)
{
    if (child->reportedMissing) {
        child->SetState(ZD_PNP_DELETED);
        ZdBus* bus = child->bus;
        if (bus != nullptr) {
            ZdMutexHeld held(bus->mutex);
            bus->Unlink(child);
            --bus->childCount;
            child->bus = nullptr;
        }
        Complete(request, ZD_STATUS_SUCCESS);
        ZdDeleteChild(child);
        return ZD_STATUS_SUCCESS;
    }
    if (child->present)
        child->SetState(ZD_PNP_NOT_STARTED);
    return Complete(request, ZD_STATUS_SUCCESS);
}

} // namespace

ZdStatus ChildPnp(ZdChild* child, ZdRequest* request)
{
    switch (request->Minor) {
    case ZD_MN_START_DEVICE:
        child->SetState(ZD_PNP_STARTED);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_STOP_DEVICE:
        child->SetState(ZD_PNP_STOPPED);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_QUERY_STOP_DEVICE:
        child->SetState(ZD_PNP_STOP_PENDING);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_CANCEL_STOP_DEVICE:
        if (child->pnpState == ZD_PNP_STOP_PENDING)
            child->RestoreState();
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_QUERY_REMOVE_DEVICE:
        if (child->interfaceReferences != 0)
            return Complete(request, ZD_STATUS_UNSUCCESSFUL);
        child->SetState(ZD_PNP_REMOVE_PENDING);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_CANCEL_REMOVE_DEVICE:
        if (child->pnpState == ZD_PNP_REMOVE_PENDING)
            child->RestoreState();
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_SURPRISE_REMOVAL:
        child->SetState(ZD_PNP_SURPRISE_REMOVE_PENDING);
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_REMOVE_DEVICE:
        return Remove(child, request);
    case ZD_MN_EJECT:
        child->present = false;
        return Complete(request, ZD_STATUS_SUCCESS);
    case ZD_MN_QUERY_ID:
        return QueryId(child, request);
    case ZD_MN_QUERY_DEVICE_TEXT:
        return QueryText(child, request);
    case ZD_MN_QUERY_DEVICE_RELATIONS:
        if (request->RelationType != ZD_TARGET_RELATION)
            return ZdPortCompleteUnchanged(request->Irp);
        {
            ZdPortDevice* self = child->device;
            const ZdStatus status = ZdPortSetRelations(request->Irp, &self, 1);
            if (!ZdSucceeded(status))
                return Complete(request, status);
            return ZdPortCompleteUnchanged(request->Irp);
        }
    case ZD_MN_QUERY_BUS_INFORMATION:
        {
            const ZdStatus status = ZdPortSetBusInformation(request->Irp);
            if (!ZdSucceeded(status))
                return Complete(request, status);
            return ZdPortCompleteUnchanged(request->Irp);
        }
    case ZD_MN_QUERY_CAPABILITIES:
        return QueryCapabilities(child, request);
    case ZD_MN_QUERY_INTERFACE:
        return QueryInterface(child, request);
    case ZD_MN_DEVICE_USAGE_NOTIFICATION:
        return Complete(request, ZD_STATUS_UNSUCCESSFUL);
    default:
        return ZdPortCompleteUnchanged(request->Irp);
    }
}

} // namespace zedisk

extern "C" void ZdCoreInterfaceReference(void* childContext)
{
    ZdPortInterlockedIncrement(&static_cast<zedisk::ZdChild*>(childContext)->interfaceReferences);
}

extern "C" void ZdCoreInterfaceDereference(void* childContext)
{
    ZdPortInterlockedDecrement(&static_cast<zedisk::ZdChild*>(childContext)->interfaceReferences);
}
