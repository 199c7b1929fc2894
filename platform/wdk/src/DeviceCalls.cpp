// Device objects and request packets of the fake kernel. The device below the bus
// (the root device) succeeds the Plug and Play requests it is given and answers
// nothing else.
#include "FakeObjects.h"

#include <atomic>

namespace {

std::atomic<int> g_liveDevices{0};

enum : ZdStatus {
    DEV_STATUS_SUCCESS = 0,
    DEV_STATUS_INVALID_PARAMETER = static_cast<ZdStatus>(0xC000000D),
};

ZdPortDevice* NewDevice(ZdPortDevice::Kind kind, void* context)
{
    ZdPortDevice* device = new ZdPortDevice;
    device->kind = kind;
    device->context = context;
    ++g_liveDevices;
    return device;
}

// What the root device answers to a request passed down to it.
ZdStatus RootAnswer(const ZdPortIrp* irp)
{
    if (irp->major == 0x1B) {
        switch (irp->minor) {
        case 0x00: case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06: case 0x17:
            return DEV_STATUS_SUCCESS;
        default:
            return irp->status;
        }
    }
    return irp->status;
}

} // namespace

namespace wdk {
int LiveDevices() { return g_liveDevices.load(); }
}

extern "C" {

void* ZdPortDeviceContext(ZdPortDevice* device) { return device->context; }

ZdStatus ZdPortCreateBusDevice(ZdPortDevice* physical, void* context, ZdPortDevice** bus)
{
    ZdPortDevice* device = NewDevice(ZdPortDevice::Bus, context);
    device->lower = physical;
    *bus = device;
    wdk::NoteBusDevice(device);
    return DEV_STATUS_SUCCESS;
}

ZdStatus ZdPortCreateChildDevice(ZdPortDevice*, void* context, ZdPortDevice** child)
{
    *child = NewDevice(ZdPortDevice::Child, context);
    return DEV_STATUS_SUCCESS;
}

void ZdPortDeleteDevice(ZdPortDevice* device)
{
    if (device->kind == ZdPortDevice::Bus)
        wdk::NoteBusDevice(nullptr);
    delete device;
    --g_liveDevices;
}

void ZdPortDetachBus(ZdPortDevice* bus) { bus->lower = nullptr; }
void ZdPortFinishDeviceInit(ZdPortDevice* device) { device->initialising = false; }
void ZdPortReferenceDevice(ZdPortDevice* device) { ++device->references; }
ZdStatus ZdPortRegisterBusInterface(ZdPortDevice*) { return DEV_STATUS_SUCCESS; }
void ZdPortSetBusInterfaceState(ZdPortDevice* bus, int enabled) { wdk::PublishBusInterface(bus, enabled != 0); }
void ZdPortFreeBusInterface(ZdPortDevice* bus) { wdk::PublishBusInterface(bus, false); }
ZdStatus ZdPortWmiRegister(ZdPortDevice*) { return DEV_STATUS_SUCCESS; }
void ZdPortWmiDeregister(ZdPortDevice*) {}
void ZdPortInvalidateBusRelations(ZdPortDevice* bus) { wdk::QueueInvalidate(bus); }
void ZdPortRequestEject(ZdPortDevice* child) { wdk::QueueEject(child); }
void ZdPortSetDevicePowerState(ZdPortDevice* device, uint32_t deviceState) { device->powerState = deviceState; }

ZdStatus ZdPortQueryBusPowerMapping(ZdPortDevice*, uint32_t deviceState[7])
{
    wdk::BusPowerMapping(deviceState);
    return DEV_STATUS_SUCCESS;
}

ZdStatus ZdPortWmiSystemControl(ZdPortDevice* bus, ZdPortIrp* irp) { return ZdPortPassDown(bus, irp); }

ZdStatus ZdPortPassDown(ZdPortDevice*, ZdPortIrp* irp)
{
    irp->passedDown = true;
    const ZdStatus status = RootAnswer(irp);
    irp->Complete(status, irp->information, 0);
    return status;
}

ZdStatus ZdPortPassDownAndWait(ZdPortDevice*, ZdPortIrp* irp)
{
    irp->passedDown = true;
    irp->status = RootAnswer(irp);
    return irp->status;
}

void ZdPortCompleteRequest(ZdPortIrp* irp, ZdStatus status, uintptr_t information, int boost)
{
    irp->Complete(status, information, boost);
}

ZdStatus ZdPortCompleteUnchanged(ZdPortIrp* irp)
{
    const ZdStatus status = irp->status;
    irp->Complete(status, irp->information, 0);
    return status;
}

void ZdPortMarkPending(ZdPortIrp* irp) { irp->pending = true; }
void ZdPortStartNextPower(ZdPortIrp*) {}

ZdStatus ZdPortSetRelations(ZdPortIrp* irp, ZdPortDevice* const* children, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        ZdPortReferenceDevice(children[i]);
        irp->relations.push_back(children[i]);
    }
    irp->hasRelations = true;
    irp->status = DEV_STATUS_SUCCESS;
    return DEV_STATUS_SUCCESS;
}

ZdStatus ZdPortSetTextAnswer(ZdPortIrp* irp, const ZdWChar* text, size_t chars)
{
    irp->text.assign(text, chars);
    irp->hasText = true;
    irp->status = DEV_STATUS_SUCCESS;
    return DEV_STATUS_SUCCESS;
}

ZdStatus ZdPortSetBusInformation(ZdPortIrp* irp)
{
    irp->status = DEV_STATUS_SUCCESS;
    return DEV_STATUS_SUCCESS;
}

ZdStatus ZdPortFillBusInterface(ZdPortIrp* irp, void*)
{
    irp->interfaceFilled = true;
    return DEV_STATUS_SUCCESS;
}

void ZdPortCompleteScsi(ZdPortIrp* irp, const ZdScsi* srb, ZdStatus status, uintptr_t information, int boost)
{
    if (irp->srb != nullptr && srb != nullptr && srb != irp->srb) {
        irp->srb->SrbStatus = srb->SrbStatus;
        irp->srb->ScsiStatus = srb->ScsiStatus;
        irp->srb->DataTransferLength = srb->DataTransferLength;
    }
    irp->Complete(status, information, boost);
}

ZdStatus ZdPortScsiBuffer(ZdPortIrp* irp, void* srbBuffer, void** system)
{
    *system = nullptr;
    if (irp->mdlBuffer == nullptr || srbBuffer == nullptr)
        return DEV_STATUS_INVALID_PARAMETER;
    *system = srbBuffer;
    return DEV_STATUS_SUCCESS;
}

} // extern "C"
