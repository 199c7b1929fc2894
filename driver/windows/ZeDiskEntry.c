/* The driver's entry and dispatch: each request packet is decoded into the core's
 * request record and handed to the core, which completes it or passes it down. */
#include "ZeDiskGlue.h"

#include <srb.h>

PDRIVER_OBJECT ZdGlueDriver;
UNICODE_STRING ZdGlueRegistryPath;

static void DecodePnp(PIO_STACK_LOCATION stack, PIRP irp, ZdRequest* request, ZdCapabilities* caps)
{
    switch (request->Minor) {
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        request->RelationType = stack->Parameters.QueryDeviceRelations.Type;
        request->HasInformation = irp->IoStatus.Information != 0;
        break;
    case IRP_MN_QUERY_ID:
        request->IdType = stack->Parameters.QueryId.IdType;
        break;
    case IRP_MN_QUERY_DEVICE_TEXT:
        request->TextType = stack->Parameters.QueryDeviceText.DeviceTextType;
        request->HasInformation = irp->IoStatus.Information != 0;
        break;
    case IRP_MN_QUERY_INTERFACE:
        RtlCopyMemory(request->InterfaceType, stack->Parameters.QueryInterface.InterfaceType, 16);
        request->InterfaceSize = stack->Parameters.QueryInterface.Size;
        request->InterfaceVersion = stack->Parameters.QueryInterface.Version;
        break;
    case IRP_MN_QUERY_CAPABILITIES: {
        PDEVICE_CAPABILITIES real = stack->Parameters.DeviceCapabilities.Capabilities;
        int i;
        RtlZeroMemory(caps, sizeof(*caps));
        caps->Size = real->Size;
        caps->Version = real->Version;
        caps->Address = real->Address;
        caps->UINumber = real->UINumber;
        for (i = 0; i < 7; ++i)
            caps->DeviceState[i] = real->DeviceState[i];
        request->Capabilities = caps;
        ZD_GLUE_CAPABILITIES(irp) = caps;
        break;
    }
    default:
        break;
    }
}

static void DecodeScsi(PIO_STACK_LOCATION stack, ZdRequest* request, ZdScsi* copy)
{
    PSCSI_REQUEST_BLOCK srb = stack->Parameters.Scsi.Srb;
    request->Code = stack->Parameters.DeviceIoControl.IoControlCode;
    if (srb == NULL)
        return;
    RtlZeroMemory(copy, sizeof(*copy));
    copy->Length = srb->Length;
    copy->Function = srb->Function;
    copy->SrbStatus = srb->SrbStatus;
    copy->ScsiStatus = srb->ScsiStatus;
    copy->CdbLength = srb->CdbLength;
    copy->SenseInfoBufferLength = srb->SenseInfoBufferLength;
    copy->SrbFlags = srb->SrbFlags;
    copy->DataTransferLength = srb->DataTransferLength;
    copy->DataBuffer = srb->DataBuffer;
    copy->SenseInfoBuffer = srb->SenseInfoBuffer;
    RtlCopyMemory(copy->Cdb, srb->Cdb, 16);
    request->Srb = copy;
}

static NTSTATUS NTAPI ZdGlueDispatch(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ZdRequest request;
    ZdCapabilities caps;
    ZdScsi srb;
    RtlZeroMemory(&request, sizeof(request));
    request.Irp = (ZdPortIrp*)irp;
    request.Major = stack->MajorFunction;
    request.Minor = stack->MinorFunction;
    ZD_GLUE_CAPABILITIES(irp) = NULL;
    switch (stack->MajorFunction) {
    case IRP_MJ_DEVICE_CONTROL:
        request.Code = stack->Parameters.DeviceIoControl.IoControlCode;
        request.Buffer = irp->AssociatedIrp.SystemBuffer;
        request.InputLength = stack->Parameters.DeviceIoControl.InputBufferLength;
        request.OutputLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
        break;
    case IRP_MJ_INTERNAL_DEVICE_CONTROL:
        DecodeScsi(stack, &request, &srb);
        break;
    case IRP_MJ_READ:
        request.Length = stack->Parameters.Read.Length;
        break;
    case IRP_MJ_WRITE:
        request.Length = stack->Parameters.Write.Length;
        break;
    case IRP_MJ_PNP:
        DecodePnp(stack, irp, &request, &caps);
        break;
    case IRP_MJ_POWER:
        request.PowerType = stack->Parameters.Power.Type;
        request.PowerState = stack->Parameters.Power.State.SystemState;
        break;
    default:
        break;
    }
    return ZdCoreDispatch((ZdPortDevice*)device, &request);
}

static NTSTATUS NTAPI ZdGlueAddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT physical)
{
    UNREFERENCED_PARAMETER(driver);
    return ZdCoreAddDevice((ZdPortDevice*)physical);
}

static VOID NTAPI ZdGlueUnload(PDRIVER_OBJECT driver)
{
    UNREFERENCED_PARAMETER(driver);
    ZdCoreDriverUnload();
    if (ZdGlueRegistryPath.Buffer != NULL)
        ExFreePoolWithTag(ZdGlueRegistryPath.Buffer, 0x73754246);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    NTSTATUS status;
    int i;
    ZdGlueDriver = driver;
    /* WMI wants the registry path as a counted string of its own. */
    ZdGlueRegistryPath.Length = registryPath->Length;
    ZdGlueRegistryPath.MaximumLength = (USHORT)(registryPath->Length + sizeof(WCHAR));
    ZdGlueRegistryPath.Buffer = (PWCH)ExAllocatePoolWithTag(NonPagedPool, ZdGlueRegistryPath.MaximumLength, 0x73754246);
    if (ZdGlueRegistryPath.Buffer == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlCopyMemory(ZdGlueRegistryPath.Buffer, registryPath->Buffer, registryPath->Length);
    ZdGlueRegistryPath.Buffer[registryPath->Length / sizeof(WCHAR)] = 0;
    status = ZdCoreDriverEntry((const ZdWChar*)registryPath->Buffer, registryPath->Length / sizeof(WCHAR));
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(ZdGlueRegistryPath.Buffer, 0x73754246);
        ZdGlueRegistryPath.Buffer = NULL;
        return status;
    }
    for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i)
        driver->MajorFunction[i] = ZdGlueDispatch;
    driver->DriverExtension->AddDevice = ZdGlueAddDevice;
    driver->DriverUnload = ZdGlueUnload;
    return STATUS_SUCCESS;
}
