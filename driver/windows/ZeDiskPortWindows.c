/* The kernel port over the kernel's own routines. Every object the core asks for
 * lives in non-paged pool under the driver's tag. */
#include "ZeDiskGlue.h"

#include <srb.h>

#define ZD_TAG 0x73754246 /* "FBus" */

/* Declared here: the kernel exports it, the headers do not name it. */
NTKERNELAPI NTSTATUS NTAPI ObSetSecurityObjectByPointer(PVOID object, SECURITY_INFORMATION information,
                                                         PSECURITY_DESCRIPTOR descriptor);

/* The bus interface GUID and our bus type. */
static const GUID kBusInterface = {0xD35F7840, 0x6A0C, 0x11D2, {0xB8, 0x41, 0x00, 0xC0, 0x4F, 0xAD, 0x51, 0x79}};
static const GUID kBusType = {0x5A6E7D10, 0x2C4B, 0x4E8F, {0x9A, 0x13, 0x6D, 0x2E, 0x71, 0x40, 0xB5, 0x0C}};

struct ZdPortLock {
    KSPIN_LOCK Lock;
    KIRQL Irql;
};
struct ZdPortMutex {
    FAST_MUTEX Mutex;
};
struct ZdPortEvent {
    KEVENT Event;
};
struct ZdPortSemaphore {
    KSEMAPHORE Semaphore;
};
struct ZdPortThread {
    PKTHREAD Thread;
    void (*Routine)(void*);
    void* Context;
};
struct ZdPortSecurity {
    SECURITY_CLIENT_CONTEXT Client;
};

static void* Pool(size_t bytes) { return ExAllocatePoolWithTag(NonPagedPool, bytes, ZD_TAG); }
static ZD_EXTENSION* Extension(ZdPortDevice* device) { return (ZD_EXTENSION*)((PDEVICE_OBJECT)device)->DeviceExtension; }

static LARGE_INTEGER Relative(int64_t milliseconds)
{
    LARGE_INTEGER timeout;
    timeout.QuadPart = -10000LL * milliseconds;
    return timeout;
}

void* ZdPortAllocate(size_t bytes, uint32_t tag) { return ExAllocatePoolWithTag(NonPagedPool, bytes, tag); }
void ZdPortFree(void* block, uint32_t tag) { ExFreePoolWithTag(block, tag); }

ZdPortLock* ZdPortLockCreate(void)
{
    ZdPortLock* lock = (ZdPortLock*)Pool(sizeof(ZdPortLock));
    if (lock != NULL)
        KeInitializeSpinLock(&lock->Lock);
    return lock;
}
void ZdPortLockDestroy(ZdPortLock* lock) { ExFreePoolWithTag(lock, ZD_TAG); }
void ZdPortLockAcquire(ZdPortLock* lock)
{
    KIRQL irql;
    KeAcquireSpinLock(&lock->Lock, &irql);
    lock->Irql = irql;
}
void ZdPortLockRelease(ZdPortLock* lock) { KeReleaseSpinLock(&lock->Lock, lock->Irql); }

ZdPortMutex* ZdPortMutexCreate(void)
{
    ZdPortMutex* mutex = (ZdPortMutex*)Pool(sizeof(ZdPortMutex));
    if (mutex != NULL)
        ExInitializeFastMutex(&mutex->Mutex);
    return mutex;
}
void ZdPortMutexDestroy(ZdPortMutex* mutex) { ExFreePoolWithTag(mutex, ZD_TAG); }
void ZdPortMutexAcquire(ZdPortMutex* mutex) { ExAcquireFastMutex(&mutex->Mutex); }
void ZdPortMutexRelease(ZdPortMutex* mutex) { ExReleaseFastMutex(&mutex->Mutex); }

ZdPortEvent* ZdPortEventCreate(int notification, int signalled)
{
    ZdPortEvent* event = (ZdPortEvent*)Pool(sizeof(ZdPortEvent));
    if (event != NULL)
        KeInitializeEvent(&event->Event, notification ? NotificationEvent : SynchronizationEvent,
                          signalled ? TRUE : FALSE);
    return event;
}
void ZdPortEventDestroy(ZdPortEvent* event) { ExFreePoolWithTag(event, ZD_TAG); }
void ZdPortEventSet(ZdPortEvent* event) { KeSetEvent(&event->Event, IO_NO_INCREMENT, FALSE); }
void ZdPortEventClear(ZdPortEvent* event) { KeClearEvent(&event->Event); }
ZdStatus ZdPortEventWait(ZdPortEvent* event, int64_t timeoutMs)
{
    LARGE_INTEGER timeout = Relative(timeoutMs);
    return KeWaitForSingleObject(&event->Event, Executive, KernelMode, FALSE, timeoutMs < 0 ? NULL : &timeout);
}

ZdPortSemaphore* ZdPortSemaphoreCreate(int32_t count, int32_t limit)
{
    ZdPortSemaphore* semaphore = (ZdPortSemaphore*)Pool(sizeof(ZdPortSemaphore));
    if (semaphore != NULL)
        KeInitializeSemaphore(&semaphore->Semaphore, count, limit);
    return semaphore;
}
void ZdPortSemaphoreDestroy(ZdPortSemaphore* semaphore) { ExFreePoolWithTag(semaphore, ZD_TAG); }
void ZdPortSemaphoreRelease(ZdPortSemaphore* semaphore, int32_t adjustment)
{
    KeReleaseSemaphore(&semaphore->Semaphore, IO_NO_INCREMENT, adjustment, FALSE);
}
ZdStatus ZdPortSemaphoreWait(ZdPortSemaphore* semaphore, int64_t timeoutMs)
{
    LARGE_INTEGER timeout = Relative(timeoutMs);
    return KeWaitForSingleObject(&semaphore->Semaphore, Executive, KernelMode, FALSE,
                                 timeoutMs < 0 ? NULL : &timeout);
}

int32_t ZdPortInterlockedIncrement(volatile int32_t* value) { return InterlockedIncrement((volatile LONG*)value); }
int32_t ZdPortInterlockedDecrement(volatile int32_t* value) { return InterlockedDecrement((volatile LONG*)value); }

static VOID NTAPI ThreadStart(PVOID context)
{
    ZdPortThread* thread = (ZdPortThread*)context;
    thread->Routine(thread->Context);
    PsTerminateSystemThread(STATUS_SUCCESS);
}

ZdStatus ZdPortThreadStart(void (*routine)(void* context), void* context, ZdPortThread** out)
{
    HANDLE handle;
    NTSTATUS status;
    ZdPortThread* thread = (ZdPortThread*)Pool(sizeof(ZdPortThread));
    *out = NULL;
    if (thread == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    thread->Routine = routine;
    thread->Context = context;
    status = PsCreateSystemThread(&handle, THREAD_ALL_ACCESS, NULL, NULL, NULL, ThreadStart, thread);
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(thread, ZD_TAG);
        return status;
    }
    status = ObReferenceObjectByHandle(handle, THREAD_ALL_ACCESS, NULL, KernelMode, (PVOID*)&thread->Thread, NULL);
    ZwClose(handle);
    if (!NT_SUCCESS(status)) {
        /* The thread runs, but cannot be waited for: the caller must not go on. */
        return status;
    }
    *out = thread;
    return STATUS_SUCCESS;
}

void ZdPortThreadJoin(ZdPortThread* thread)
{
    KeWaitForSingleObject(thread->Thread, Executive, KernelMode, FALSE, NULL);
    ObDereferenceObject(thread->Thread);
    ExFreePoolWithTag(thread, ZD_TAG);
}

void ZdPortThreadSetPriority(int32_t priority) { KeSetPriorityThread(KeGetCurrentThread(), priority); }
uintptr_t ZdPortCurrentThreadId(void) { return (uintptr_t)PsGetCurrentThread(); }

ZdStatus ZdPortSecurityCapture(ZdPortSecurity** out)
{
    SECURITY_QUALITY_OF_SERVICE quality;
    NTSTATUS status;
    ZdPortSecurity* security = (ZdPortSecurity*)Pool(sizeof(ZdPortSecurity));
    *out = NULL;
    if (security == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    quality.Length = sizeof(quality);
    quality.ImpersonationLevel = SecurityImpersonation;
    quality.ContextTrackingMode = SECURITY_STATIC_TRACKING;
    quality.EffectiveOnly = FALSE;
    status = SeCreateClientSecurity(PsGetCurrentThread(), &quality, FALSE, &security->Client);
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(security, ZD_TAG);
        return status;
    }
    *out = security;
    return STATUS_SUCCESS;
}

ZdStatus ZdPortSecurityImpersonate(ZdPortSecurity* security) { return SeImpersonateClientEx(&security->Client, NULL); }
void ZdPortSecurityRevert(void) { PsRevertToSelf(); }
void ZdPortSecurityRelease(ZdPortSecurity* security)
{
    SeDeleteClientSecurity(&security->Client);
    ExFreePoolWithTag(security, ZD_TAG);
}

ZdStatus ZdPortCreateFile(ZdPortFile* file, const ZdWChar* path, uint32_t access, uint32_t objectFlags,
                          void* securityDescriptor, uint32_t attributes, uint32_t share, uint32_t disposition,
                          uint32_t options)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES object;
    IO_STATUS_BLOCK io;
    HANDLE handle = NULL;
    NTSTATUS status;
    RtlInitUnicodeString(&name, (PCWSTR)path);
    InitializeObjectAttributes(&object, &name, objectFlags | OBJ_KERNEL_HANDLE, NULL, securityDescriptor);
    status = ZwCreateFile(&handle, access, &object, &io, NULL, attributes, share, disposition, options, NULL, 0);
    *file = NT_SUCCESS(status) ? handle : NULL;
    return status;
}

ZdStatus ZdPortReadFile(ZdPortFile file, void* buffer, uint32_t length, const int64_t* offset, uint32_t* done)
{
    IO_STATUS_BLOCK io;
    LARGE_INTEGER at;
    NTSTATUS status;
    if (offset != NULL)
        at.QuadPart = *offset;
    io.Information = 0;
    status = ZwReadFile(file, NULL, NULL, NULL, &io, buffer, length, offset != NULL ? &at : NULL, NULL);
    *done = (uint32_t)io.Information;
    return status;
}

ZdStatus ZdPortWriteFile(ZdPortFile file, const void* data, uint32_t length, const int64_t* offset, uint32_t* done)
{
    IO_STATUS_BLOCK io;
    LARGE_INTEGER at;
    NTSTATUS status;
    if (offset != NULL)
        at.QuadPart = *offset;
    io.Information = 0;
    status = ZwWriteFile(file, NULL, NULL, NULL, &io, (PVOID)data, length, offset != NULL ? &at : NULL, NULL);
    *done = (uint32_t)io.Information;
    return status;
}

ZdStatus ZdPortQueryFile(ZdPortFile file, uint32_t infoClass, uint64_t* value)
{
    IO_STATUS_BLOCK io;
    NTSTATUS status;
    if (infoClass == ZD_FILE_INFO_POSITION) {
        FILE_POSITION_INFORMATION position;
        status = ZwQueryInformationFile(file, &io, &position, sizeof(position), FilePositionInformation);
        *value = (uint64_t)position.CurrentByteOffset.QuadPart;
        return status;
    }
    if (infoClass == ZD_FILE_INFO_STANDARD) {
        FILE_STANDARD_INFORMATION standard;
        status = ZwQueryInformationFile(file, &io, &standard, sizeof(standard), FileStandardInformation);
        *value = (uint64_t)standard.EndOfFile.QuadPart;
        return status;
    }
    return STATUS_INVALID_PARAMETER;
}

ZdStatus ZdPortSetFile(ZdPortFile file, uint32_t infoClass, uint64_t value)
{
    IO_STATUS_BLOCK io;
    if (infoClass == ZD_FILE_INFO_POSITION) {
        FILE_POSITION_INFORMATION position;
        position.CurrentByteOffset.QuadPart = (LONGLONG)value;
        return ZwSetInformationFile(file, &io, &position, sizeof(position), FilePositionInformation);
    }
    if (infoClass == ZD_FILE_INFO_END_OF_FILE) {
        FILE_END_OF_FILE_INFORMATION end;
        end.EndOfFile.QuadPart = (LONGLONG)value;
        return ZwSetInformationFile(file, &io, &end, sizeof(end), FileEndOfFileInformation);
    }
    if (infoClass == ZD_FILE_INFO_DISPOSITION) {
        FILE_DISPOSITION_INFORMATION disposition;
        disposition.DeleteFile = value != 0;
        return ZwSetInformationFile(file, &io, &disposition, sizeof(disposition), FileDispositionInformation);
    }
    return STATUS_INVALID_PARAMETER;
}

ZdStatus ZdPortClose(ZdPortFile file) { return ZwClose(file); }
uint32_t ZdPortStatusToWin32(ZdStatus status) { return RtlNtStatusToDosError(status); }

int64_t ZdPortSystemTime(void)
{
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    return now.QuadPart;
}

uint64_t ZdPortTickCount(void)
{
    LARGE_INTEGER ticks;
    KeQueryTickCount(&ticks);
    return (uint64_t)ticks.QuadPart;
}

void ZdPortTimeToFields(int64_t time, ZdTimeFields* fields)
{
    LARGE_INTEGER value;
    TIME_FIELDS out;
    value.QuadPart = time;
    RtlTimeToTimeFields(&value, &out);
    fields->Year = out.Year;
    fields->Month = out.Month;
    fields->Day = out.Day;
    fields->Hour = out.Hour;
    fields->Minute = out.Minute;
    fields->Second = out.Second;
    fields->Milliseconds = out.Milliseconds;
    fields->Weekday = out.Weekday;
}

int ZdPortFieldsToTime(const ZdTimeFields* fields, int64_t* time)
{
    TIME_FIELDS in;
    LARGE_INTEGER value;
    in.Year = fields->Year;
    in.Month = fields->Month;
    in.Day = fields->Day;
    in.Hour = fields->Hour;
    in.Minute = fields->Minute;
    in.Second = fields->Second;
    in.Milliseconds = fields->Milliseconds;
    in.Weekday = fields->Weekday;
    if (!RtlTimeFieldsToTime(&in, &value))
        return 0;
    *time = value.QuadPart;
    return 1;
}

void* ZdPortDeviceContext(ZdPortDevice* device) { return Extension(device)->Context; }

ZdStatus ZdPortCreateBusDevice(ZdPortDevice* physical, void* context, ZdPortDevice** out)
{
    PDEVICE_OBJECT bus;
    ZD_EXTENSION* extension;
    NTSTATUS status = IoCreateDevice(ZdGlueDriver, sizeof(ZD_EXTENSION), NULL, FILE_DEVICE_CONTROLLER,
                                     FILE_DEVICE_SECURE_OPEN, TRUE, &bus);
    *out = NULL;
    if (!NT_SUCCESS(status))
        return status;
    extension = (ZD_EXTENSION*)bus->DeviceExtension;
    RtlZeroMemory(extension, sizeof(*extension));
    extension->Context = context;
    extension->Physical = (PDEVICE_OBJECT)physical;
    extension->Lower = IoAttachDeviceToDeviceStack(bus, (PDEVICE_OBJECT)physical);
    if (extension->Lower == NULL) {
        IoDeleteDevice(bus);
        return STATUS_NO_SUCH_DEVICE;
    }
    *out = (ZdPortDevice*)bus;
    return STATUS_SUCCESS;
}

/* System and administrators get all access, nobody else any: the device's own
 * protected DACL, set in place of a secure create the import libraries lack. */
static NTSTATUS ProtectChild(PDEVICE_OBJECT child)
{
    SECURITY_DESCRIPTOR descriptor;
    ULONG aclBytes = sizeof(ACL) + 2 * sizeof(ACCESS_ALLOWED_ACE) + RtlLengthSid(SeExports->SeLocalSystemSid) +
                     RtlLengthSid(SeExports->SeAliasAdminsSid);
    PACL acl = (PACL)Pool(aclBytes);
    NTSTATUS status;
    if (acl == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    status = RtlCreateAcl(acl, aclBytes, ACL_REVISION);
    if (NT_SUCCESS(status))
        status = RtlAddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, SeExports->SeLocalSystemSid);
    if (NT_SUCCESS(status))
        status = RtlAddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, SeExports->SeAliasAdminsSid);
    if (NT_SUCCESS(status))
        status = RtlCreateSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status))
        status = RtlSetDaclSecurityDescriptor(&descriptor, TRUE, acl, FALSE);
    if (NT_SUCCESS(status)) {
        descriptor.Control |= SE_DACL_PROTECTED;
        status = ObSetSecurityObjectByPointer(child, DACL_SECURITY_INFORMATION, &descriptor);
    }
    ExFreePoolWithTag(acl, ZD_TAG);
    return status;
}

ZdStatus ZdPortCreateChildDevice(ZdPortDevice* bus, void* context, ZdPortDevice** out)
{
    PDEVICE_OBJECT child;
    ZD_EXTENSION* extension;
    NTSTATUS status;
    UNREFERENCED_PARAMETER(bus);
    *out = NULL;
    status = IoCreateDevice(ZdGlueDriver, sizeof(ZD_EXTENSION), NULL, FILE_DEVICE_DISK,
                            FILE_DEVICE_SECURE_OPEN | FILE_AUTOGENERATED_DEVICE_NAME | FILE_READ_ONLY_DEVICE, FALSE,
                            &child);
    if (!NT_SUCCESS(status))
        return status;
    status = ProtectChild(child);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(child);
        return status;
    }
    extension = (ZD_EXTENSION*)child->DeviceExtension;
    RtlZeroMemory(extension, sizeof(*extension));
    extension->Context = context;
    child->Flags |= DO_DIRECT_IO | DO_POWER_PAGABLE;
    child->Flags &= ~DO_DEVICE_INITIALIZING;
    *out = (ZdPortDevice*)child;
    return STATUS_SUCCESS;
}

void ZdPortDeleteDevice(ZdPortDevice* device) { IoDeleteDevice((PDEVICE_OBJECT)device); }

void ZdPortDetachBus(ZdPortDevice* bus)
{
    ZD_EXTENSION* extension = Extension(bus);
    if (extension->Lower != NULL)
        IoDetachDevice(extension->Lower);
    extension->Lower = NULL;
}

void ZdPortFinishDeviceInit(ZdPortDevice* device)
{
    PDEVICE_OBJECT object = (PDEVICE_OBJECT)device;
    object->Flags |= DO_POWER_PAGABLE;
    object->Flags &= ~DO_DEVICE_INITIALIZING;
}

void ZdPortReferenceDevice(ZdPortDevice* device) { ObReferenceObject((PDEVICE_OBJECT)device); }

ZdStatus ZdPortRegisterBusInterface(ZdPortDevice* bus)
{
    ZD_EXTENSION* extension = Extension(bus);
    return IoRegisterDeviceInterface(extension->Physical, &kBusInterface, NULL, &extension->InterfaceName);
}

void ZdPortSetBusInterfaceState(ZdPortDevice* bus, int enabled)
{
    ZD_EXTENSION* extension = Extension(bus);
    if (extension->InterfaceName.Buffer != NULL)
        IoSetDeviceInterfaceState(&extension->InterfaceName, enabled ? TRUE : FALSE);
}

void ZdPortFreeBusInterface(ZdPortDevice* bus)
{
    ZD_EXTENSION* extension = Extension(bus);
    if (extension->InterfaceName.Buffer != NULL)
        RtlFreeUnicodeString(&extension->InterfaceName);
    extension->InterfaceName.Buffer = NULL;
}

ZdStatus ZdPortWmiRegister(ZdPortDevice* bus)
{
    NTSTATUS status = ZdGlueWmiSetUp((PDEVICE_OBJECT)bus);
    if (!NT_SUCCESS(status))
        return status;
    return IoWMIRegistrationControl((PDEVICE_OBJECT)bus, WMIREG_ACTION_REGISTER);
}

void ZdPortWmiDeregister(ZdPortDevice* bus) { IoWMIRegistrationControl((PDEVICE_OBJECT)bus, WMIREG_ACTION_DEREGISTER); }

ZdStatus ZdPortWmiSystemControl(ZdPortDevice* bus, ZdPortIrp* irp)
{
    ZD_EXTENSION* extension = Extension(bus);
    SYSCTL_IRP_DISPOSITION disposition;
    NTSTATUS status = WmiSystemControl(&extension->Wmi, (PDEVICE_OBJECT)bus, (PIRP)irp, &disposition);
    switch (disposition) {
    case IrpProcessed:
        return status;
    case IrpNotCompleted:
        IoCompleteRequest((PIRP)irp, IO_NO_INCREMENT);
        return status;
    default:
        IoSkipCurrentIrpStackLocation((PIRP)irp);
        return IoCallDriver(extension->Lower, (PIRP)irp);
    }
}

void ZdPortInvalidateBusRelations(ZdPortDevice* bus)
{
    IoInvalidateDeviceRelations(Extension(bus)->Physical, BusRelations);
}

void ZdPortRequestEject(ZdPortDevice* child) { IoRequestDeviceEject((PDEVICE_OBJECT)child); }

void ZdPortSetDevicePowerState(ZdPortDevice* device, uint32_t deviceState)
{
    POWER_STATE state;
    state.DeviceState = (DEVICE_POWER_STATE)deviceState;
    PoSetPowerState((PDEVICE_OBJECT)device, DevicePowerState, state);
}

static NTSTATUS NTAPI SignalDone(PDEVICE_OBJECT device, PIRP irp, PVOID context)
{
    UNREFERENCED_PARAMETER(device);
    UNREFERENCED_PARAMETER(irp);
    KeSetEvent((PKEVENT)context, IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

ZdStatus ZdPortQueryBusPowerMapping(ZdPortDevice* bus, uint32_t deviceState[7])
{
    DEVICE_CAPABILITIES capabilities;
    KEVENT done;
    IO_STATUS_BLOCK io;
    PIO_STACK_LOCATION stack;
    NTSTATUS status;
    PIRP irp;
    int i;
    PDEVICE_OBJECT top = IoGetAttachedDeviceReference((PDEVICE_OBJECT)bus);
    RtlZeroMemory(&capabilities, sizeof(capabilities));
    capabilities.Size = sizeof(capabilities);
    capabilities.Version = 1;
    capabilities.Address = (ULONG)-1;
    capabilities.UINumber = (ULONG)-1;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    irp = IoBuildSynchronousFsdRequest(IRP_MJ_PNP, top, NULL, 0, NULL, &done, &io);
    if (irp == NULL) {
        ObDereferenceObject(top);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    irp->IoStatus.Status = STATUS_NOT_SUPPORTED;
    stack = IoGetNextIrpStackLocation(irp);
    stack->MinorFunction = IRP_MN_QUERY_CAPABILITIES;
    stack->Parameters.DeviceCapabilities.Capabilities = &capabilities;
    status = IoCallDriver(top, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
        status = io.Status;
    }
    ObDereferenceObject(top);
    for (i = 0; i < 7; ++i)
        deviceState[i] = capabilities.DeviceState[i];
    return status;
}

ZdStatus ZdPortPassDown(ZdPortDevice* bus, ZdPortIrp* irp)
{
    PIRP packet = (PIRP)irp;
    /* Power requests go down through the power manager, as older systems need. */
    const BOOLEAN power = IoGetCurrentIrpStackLocation(packet)->MajorFunction == IRP_MJ_POWER;
    IoSkipCurrentIrpStackLocation(packet);
    if (power)
        return PoCallDriver(Extension(bus)->Lower, packet);
    return IoCallDriver(Extension(bus)->Lower, packet);
}

ZdStatus ZdPortPassDownAndWait(ZdPortDevice* bus, ZdPortIrp* irp)
{
    KEVENT done;
    NTSTATUS status;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext((PIRP)irp);
    IoSetCompletionRoutine((PIRP)irp, SignalDone, &done, TRUE, TRUE, TRUE);
    status = IoCallDriver(Extension(bus)->Lower, (PIRP)irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
        status = ((PIRP)irp)->IoStatus.Status;
    }
    return status;
}

/* The capabilities the core changed go back into the request's own record. */
static void CopyCapabilitiesBack(PIRP irp)
{
    ZdCapabilities* caps = (ZdCapabilities*)ZD_GLUE_CAPABILITIES(irp);
    PDEVICE_CAPABILITIES real;
    int i;
    if (caps == NULL)
        return;
    real = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceCapabilities.Capabilities;
    real->DeviceD1 = caps->DeviceD1;
    real->DeviceD2 = caps->DeviceD2;
    real->EjectSupported = caps->EjectSupported;
    real->Removable = caps->Removable;
    real->UniqueID = caps->UniqueID;
    real->SilentInstall = caps->SilentInstall;
    real->SurpriseRemovalOK = caps->SurpriseRemovalOK;
    real->WakeFromD0 = caps->WakeFromD0;
    real->WakeFromD1 = caps->WakeFromD1;
    real->WakeFromD2 = caps->WakeFromD2;
    real->WakeFromD3 = caps->WakeFromD3;
    real->HardwareDisabled = caps->HardwareDisabled;
    real->Address = caps->Address;
    real->UINumber = caps->UINumber;
    for (i = 0; i < 7; ++i)
        real->DeviceState[i] = (DEVICE_POWER_STATE)caps->DeviceState[i];
    real->DeviceWake = (DEVICE_POWER_STATE)caps->DeviceWake;
    real->D1Latency = caps->D1Latency;
    real->D2Latency = caps->D2Latency;
    real->D3Latency = caps->D3Latency;
    ZD_GLUE_CAPABILITIES(irp) = NULL;
}

void ZdPortCompleteRequest(ZdPortIrp* irp, ZdStatus status, uintptr_t information, int boost)
{
    PIRP packet = (PIRP)irp;
    if (NT_SUCCESS(status))
        CopyCapabilitiesBack(packet);
    ZD_GLUE_CAPABILITIES(packet) = NULL;
    packet->IoStatus.Status = status;
    packet->IoStatus.Information = information;
    IoCompleteRequest(packet, (CCHAR)boost);
}

ZdStatus ZdPortCompleteUnchanged(ZdPortIrp* irp)
{
    PIRP packet = (PIRP)irp;
    NTSTATUS status = packet->IoStatus.Status;
    ZD_GLUE_CAPABILITIES(packet) = NULL;
    IoCompleteRequest(packet, IO_NO_INCREMENT);
    return status;
}

void ZdPortMarkPending(ZdPortIrp* irp) { IoMarkIrpPending((PIRP)irp); }
void ZdPortStartNextPower(ZdPortIrp* irp) { PoStartNextPowerIrp((PIRP)irp); }

ZdStatus ZdPortSetRelations(ZdPortIrp* irp, ZdPortDevice* const* children, uint32_t count)
{
    PIRP packet = (PIRP)irp;
    PDEVICE_RELATIONS old = (PDEVICE_RELATIONS)packet->IoStatus.Information;
    ULONG oldCount = old != NULL ? old->Count : 0;
    ULONG total = oldCount + count;
    ULONG i;
    PDEVICE_RELATIONS relations = (PDEVICE_RELATIONS)ExAllocatePoolWithTag(
        PagedPool, sizeof(DEVICE_RELATIONS) + sizeof(PDEVICE_OBJECT) * (total ? total - 1 : 0), ZD_TAG);
    if (relations == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    for (i = 0; i < oldCount; ++i)
        relations->Objects[i] = old->Objects[i];
    for (i = 0; i < count; ++i) {
        relations->Objects[oldCount + i] = (PDEVICE_OBJECT)children[i];
        ObReferenceObject((PDEVICE_OBJECT)children[i]);
    }
    relations->Count = total;
    if (old != NULL)
        ExFreePool(old);
    packet->IoStatus.Information = (ULONG_PTR)relations;
    packet->IoStatus.Status = STATUS_SUCCESS;
    return STATUS_SUCCESS;
}

ZdStatus ZdPortSetTextAnswer(ZdPortIrp* irp, const ZdWChar* text, size_t chars)
{
    PIRP packet = (PIRP)irp;
    PWCHAR copy = (PWCHAR)ExAllocatePoolWithTag(PagedPool, chars * sizeof(WCHAR), ZD_TAG);
    if (copy == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlCopyMemory(copy, text, chars * sizeof(WCHAR));
    packet->IoStatus.Information = (ULONG_PTR)copy;
    packet->IoStatus.Status = STATUS_SUCCESS;
    return STATUS_SUCCESS;
}

ZdStatus ZdPortSetBusInformation(ZdPortIrp* irp)
{
    PIRP packet = (PIRP)irp;
    PPNP_BUS_INFORMATION information =
        (PPNP_BUS_INFORMATION)ExAllocatePoolWithTag(PagedPool, sizeof(PNP_BUS_INFORMATION), ZD_TAG);
    if (information == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    information->BusTypeGuid = kBusType;
    information->LegacyBusType = PNPBus;
    information->BusNumber = 0;
    packet->IoStatus.Information = (ULONG_PTR)information;
    packet->IoStatus.Status = STATUS_SUCCESS;
    return STATUS_SUCCESS;
}

/* The bus interface handed to the stack above a child: the usual header, and three
 * operations the disk stack may call. */
typedef struct ZD_BUS_INTERFACE {
    INTERFACE Header;
    BOOLEAN (NTAPI *Operation1)(PVOID context, PUCHAR out);
    BOOLEAN (NTAPI *Operation2)(PVOID context);
    BOOLEAN (NTAPI *Operation3)(PVOID context);
} ZD_BUS_INTERFACE;

static VOID NTAPI InterfaceReference(PVOID context) { ZdCoreInterfaceReference(context); }
static VOID NTAPI InterfaceDereference(PVOID context) { ZdCoreInterfaceDereference(context); }
static BOOLEAN NTAPI FirstOperation(PVOID context, PUCHAR out)
{
    UNREFERENCED_PARAMETER(context);
    *out = 10;
    return TRUE;
}
static BOOLEAN NTAPI OtherOperation(PVOID context)
{
    UNREFERENCED_PARAMETER(context);
    return TRUE;
}

ZdStatus ZdPortFillBusInterface(ZdPortIrp* irp, void* childContext)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation((PIRP)irp);
    ZD_BUS_INTERFACE* out = (ZD_BUS_INTERFACE*)stack->Parameters.QueryInterface.Interface;
    if (stack->Parameters.QueryInterface.Size < sizeof(ZD_BUS_INTERFACE))
        return STATUS_INVALID_PARAMETER;
    out->Header.Size = sizeof(ZD_BUS_INTERFACE);
    out->Header.Version = 1;
    out->Header.Context = childContext;
    out->Header.InterfaceReference = InterfaceReference;
    out->Header.InterfaceDereference = InterfaceDereference;
    out->Operation1 = FirstOperation;
    out->Operation2 = OtherOperation;
    out->Operation3 = OtherOperation;
    return STATUS_SUCCESS;
}

void ZdPortCompleteScsi(ZdPortIrp* irp, const struct ZdScsi* copy, ZdStatus status, uintptr_t information,
                        int boost)
{
    PIRP packet = (PIRP)irp;
    PSCSI_REQUEST_BLOCK srb = IoGetCurrentIrpStackLocation(packet)->Parameters.Scsi.Srb;
    if (srb != NULL && copy != NULL) {
        srb->SrbStatus = copy->SrbStatus;
        srb->ScsiStatus = copy->ScsiStatus;
        srb->DataTransferLength = copy->DataTransferLength;
    }
    packet->IoStatus.Status = status;
    packet->IoStatus.Information = information;
    IoCompleteRequest(packet, (CCHAR)boost);
}

ZdStatus ZdPortScsiBuffer(ZdPortIrp* irp, void* srbBuffer, void** system)
{
    PMDL mdl = ((PIRP)irp)->MdlAddress;
    PUCHAR base;
    *system = NULL;
    if (mdl == NULL)
        return STATUS_INVALID_PARAMETER;
    base = (PUCHAR)MmGetSystemAddressForMdlSafe(mdl, NormalPagePriority);
    if (base == NULL)
        return STATUS_INVALID_PARAMETER;
    *system = base + ((PUCHAR)srbBuffer - (PUCHAR)MmGetMdlVirtualAddress(mdl));
    return STATUS_SUCCESS;
}
