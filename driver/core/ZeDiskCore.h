/* The bus driver's core as its callers see it: the Windows glue and the Linux
 * fake call these with decoded requests; the core decides, and completes or
 * passes each request down through the port. */
#ifndef ZEDISK_CORE_H
#define ZEDISK_CORE_H

#include "ZeDiskRequest.h"

#ifdef __cplusplus
extern "C" {
#endif

ZdStatus ZdCoreDriverEntry(const ZdWChar* registryPath, size_t chars);
void ZdCoreDriverUnload(void);
/* Creates the bus device over the physical device the system gives. */
ZdStatus ZdCoreAddDevice(ZdPortDevice* physical);
/* Every request to a bus or child device. Returns what the dispatch routine returns. */
ZdStatus ZdCoreDispatch(ZdPortDevice* device, ZdRequest* request);

/* WMI of the bus device (its one data block: error count, debug level). */
ZdStatus ZdCoreWmiQuery(ZdPortDevice* bus, void* buffer, uint32_t bufferSize, uint32_t* used);
ZdStatus ZdCoreWmiSetBlock(ZdPortDevice* bus, const void* buffer, uint32_t bufferSize);
ZdStatus ZdCoreWmiSetItem(ZdPortDevice* bus, uint32_t itemId, const void* buffer, uint32_t bufferSize);

/* The bus interface a child hands out. */
void ZdCoreInterfaceReference(void* childContext);
void ZdCoreInterfaceDereference(void* childContext);

#ifdef __cplusplus
}
#endif

#endif
