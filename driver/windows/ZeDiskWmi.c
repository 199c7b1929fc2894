/* The bus's WMI block through the system's WMI library: registration under
 * "BusEnumWMI" with the MOF resource "BUSENUMWMI", queries and sets by the core. */
#include "ZeDiskGlue.h"

#ifndef WMIREG_FLAG_INSTANCE_PDO
#define WMIREG_FLAG_INSTANCE_PDO 0x00000020
#endif

/* The data block's GUID (our own). */
static GUID kWmiBlock = {0x7E0E0F2C, 0x31B5, 0x4A4E, {0x8B, 0x64, 0x2F, 0x55, 0x0B, 0x9C, 0x17, 0xA3}};
static WMIGUIDREGINFO kWmiGuids[] = {{&kWmiBlock, 1, 0}};

static NTSTATUS NTAPI QueryRegInfo(PDEVICE_OBJECT device, PULONG flags, PUNICODE_STRING instanceName,
                             PUNICODE_STRING* registryPath, PUNICODE_STRING mofResourceName,
                             PDEVICE_OBJECT* pdo)
{
    UNREFERENCED_PARAMETER(instanceName);
    *flags = WMIREG_FLAG_INSTANCE_PDO;
    *registryPath = &ZdGlueRegistryPath;
    *pdo = ((ZD_EXTENSION*)device->DeviceExtension)->Physical;
    RtlInitUnicodeString(mofResourceName, L"BUSENUMWMI");
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI QueryBlock(PDEVICE_OBJECT device, PIRP irp, ULONG guidIndex, ULONG instanceIndex,
                           ULONG instanceCount, PULONG instanceLengths, ULONG bufferAvailable, PUCHAR buffer)
{
    ULONG used = 0;
    NTSTATUS status;
    UNREFERENCED_PARAMETER(guidIndex);
    UNREFERENCED_PARAMETER(instanceIndex);
    UNREFERENCED_PARAMETER(instanceCount);
    status = ZdCoreWmiQuery((ZdPortDevice*)device, buffer, bufferAvailable, (uint32_t*)&used);
    if (NT_SUCCESS(status))
        *instanceLengths = used;
    return WmiCompleteRequest(device, irp, status, used, IO_NO_INCREMENT);
}

static NTSTATUS NTAPI SetBlock(PDEVICE_OBJECT device, PIRP irp, ULONG guidIndex, ULONG instanceIndex, ULONG bufferSize,
                         PUCHAR buffer)
{
    UNREFERENCED_PARAMETER(guidIndex);
    UNREFERENCED_PARAMETER(instanceIndex);
    return WmiCompleteRequest(device, irp, ZdCoreWmiSetBlock((ZdPortDevice*)device, buffer, bufferSize), 0,
                              IO_NO_INCREMENT);
}

static NTSTATUS NTAPI SetItem(PDEVICE_OBJECT device, PIRP irp, ULONG guidIndex, ULONG instanceIndex, ULONG dataItemId,
                        ULONG bufferSize, PUCHAR buffer)
{
    UNREFERENCED_PARAMETER(guidIndex);
    UNREFERENCED_PARAMETER(instanceIndex);
    return WmiCompleteRequest(device, irp,
                              ZdCoreWmiSetItem((ZdPortDevice*)device, dataItemId, buffer, bufferSize), 0,
                              IO_NO_INCREMENT);
}

NTSTATUS ZdGlueWmiSetUp(PDEVICE_OBJECT bus)
{
    WMILIB_CONTEXT* wmi = &((ZD_EXTENSION*)bus->DeviceExtension)->Wmi;
    RtlZeroMemory(wmi, sizeof(*wmi));
    wmi->GuidCount = 1;
    wmi->GuidList = kWmiGuids;
    wmi->QueryWmiRegInfo = QueryRegInfo;
    wmi->QueryWmiDataBlock = QueryBlock;
    wmi->SetWmiDataBlock = SetBlock;
    wmi->SetWmiDataItem = SetItem;
    return STATUS_SUCCESS;
}
