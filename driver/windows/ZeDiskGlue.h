/* What the glue's files share: the driver object, each device's extension, and
 * the places in a request packet where the glue keeps its decoded parts. */
#ifndef ZEDISK_GLUE_H
#define ZEDISK_GLUE_H

#include <ntifs.h>
#include <wmilib.h>

#include "ZeDiskCore.h"

/* Each device of the driver carries the core's object and, for the bus, the
 * devices around it and its registrations. */
typedef struct ZD_EXTENSION {
    void* Context;
    PDEVICE_OBJECT Physical;     /* the bus: the root device below it */
    PDEVICE_OBJECT Lower;        /* the bus: the device it is attached to */
    UNICODE_STRING InterfaceName;
    WMILIB_CONTEXT Wmi;
} ZD_EXTENSION;

extern PDRIVER_OBJECT ZdGlueDriver;
extern UNICODE_STRING ZdGlueRegistryPath;

/* The request's own block and capabilities are kept in the packet's driver
 * context while the core works on a decoded copy. */
#define ZD_GLUE_CAPABILITIES(irp) ((irp)->Tail.Overlay.DriverContext[0])

NTSTATUS ZdGlueWmiSetUp(PDEVICE_OBJECT bus);

#endif
