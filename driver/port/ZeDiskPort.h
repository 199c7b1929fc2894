/* The kernel services the bus driver's core stands on, as a narrow C interface.
 * On Windows they are thin wrappers of the kernel's own routines (driver/windows);
 * on Linux a fake provides them (platform/wdk) so that the core runs under tests.
 * Statuses are NTSTATUS values. Nothing here names a kernel structure: requests
 * reach the core already decoded (ZeDiskRequest.h), and the port fills the
 * kernel's own answers (relation lists, id strings, interfaces) from plain values. */
#ifndef ZEDISK_PORT_H
#define ZEDISK_PORT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
typedef char16_t ZdWChar;
extern "C" {
#else
typedef uint16_t ZdWChar;
#endif

typedef int32_t ZdStatus;

typedef struct ZdPortDevice ZdPortDevice;       /* a device object */
typedef struct ZdPortIrp ZdPortIrp;             /* one request packet */
typedef struct ZdPortLock ZdPortLock;           /* spin lock */
typedef struct ZdPortMutex ZdPortMutex;         /* fast mutex */
typedef struct ZdPortEvent ZdPortEvent;
typedef struct ZdPortSemaphore ZdPortSemaphore;
typedef struct ZdPortThread ZdPortThread;
typedef struct ZdPortSecurity ZdPortSecurity;   /* a captured client security context */
typedef void* ZdPortFile;

/* ---- pool (non-paged) ---- */
void* ZdPortAllocate(size_t bytes, uint32_t tag);
void ZdPortFree(void* block, uint32_t tag);

/* ---- locks, events, semaphores, interlocked counts ---- */
ZdPortLock* ZdPortLockCreate(void);
void ZdPortLockDestroy(ZdPortLock* lock);
void ZdPortLockAcquire(ZdPortLock* lock);
void ZdPortLockRelease(ZdPortLock* lock);

ZdPortMutex* ZdPortMutexCreate(void);
void ZdPortMutexDestroy(ZdPortMutex* mutex);
void ZdPortMutexAcquire(ZdPortMutex* mutex);
void ZdPortMutexRelease(ZdPortMutex* mutex);

ZdPortEvent* ZdPortEventCreate(int notification, int signalled);
void ZdPortEventDestroy(ZdPortEvent* event);
void ZdPortEventSet(ZdPortEvent* event);
void ZdPortEventClear(ZdPortEvent* event);
/* timeoutMs < 0 waits for ever; STATUS_SUCCESS or STATUS_TIMEOUT. */
ZdStatus ZdPortEventWait(ZdPortEvent* event, int64_t timeoutMs);

ZdPortSemaphore* ZdPortSemaphoreCreate(int32_t count, int32_t limit);
void ZdPortSemaphoreDestroy(ZdPortSemaphore* semaphore);
void ZdPortSemaphoreRelease(ZdPortSemaphore* semaphore, int32_t adjustment);
ZdStatus ZdPortSemaphoreWait(ZdPortSemaphore* semaphore, int64_t timeoutMs);

int32_t ZdPortInterlockedIncrement(volatile int32_t* value);
int32_t ZdPortInterlockedDecrement(volatile int32_t* value);

/* ---- system threads ---- */
ZdStatus ZdPortThreadStart(void (*routine)(void* context), void* context, ZdPortThread** thread);
/* Waits without timeout until the thread has ended, then drops the reference. */
void ZdPortThreadJoin(ZdPortThread* thread);
void ZdPortThreadSetPriority(int32_t priority);   /* of the calling thread */
uintptr_t ZdPortCurrentThreadId(void);

/* ---- client security and impersonation ---- */
/* Captures the calling thread's security (impersonation level, static tracking). */
ZdStatus ZdPortSecurityCapture(ZdPortSecurity** security);
ZdStatus ZdPortSecurityImpersonate(ZdPortSecurity* security);  /* on the calling thread */
void ZdPortSecurityRevert(void);
void ZdPortSecurityRelease(ZdPortSecurity* security);

/* ---- files (the native Zw calls) ---- */
enum {
    ZD_FILE_INFO_STANDARD = 5,      /* end of file */
    ZD_FILE_INFO_DISPOSITION = 13,  /* value 1: delete on close */
    ZD_FILE_INFO_POSITION = 14,
    ZD_FILE_INFO_END_OF_FILE = 20,
};
enum {
    ZD_OBJ_INHERIT = 0x02,
    ZD_OBJ_CASE_INSENSITIVE = 0x40,
};
/* path: an NT path ("\??\X:\..."), NUL-terminated. */
ZdStatus ZdPortCreateFile(ZdPortFile* file, const ZdWChar* path, uint32_t access, uint32_t objectFlags,
                          void* securityDescriptor, uint32_t attributes, uint32_t share,
                          uint32_t disposition, uint32_t options);
/* offset null: the file's current position. done: bytes moved. */
ZdStatus ZdPortReadFile(ZdPortFile file, void* buffer, uint32_t length, const int64_t* offset, uint32_t* done);
ZdStatus ZdPortWriteFile(ZdPortFile file, const void* data, uint32_t length, const int64_t* offset,
                         uint32_t* done);
ZdStatus ZdPortQueryFile(ZdPortFile file, uint32_t infoClass, uint64_t* value);
ZdStatus ZdPortSetFile(ZdPortFile file, uint32_t infoClass, uint64_t value);
ZdStatus ZdPortClose(ZdPortFile file);
uint32_t ZdPortStatusToWin32(ZdStatus status);

/* ---- time ---- */
typedef struct ZdTimeFields {
    int16_t Year, Month, Day, Hour, Minute, Second, Milliseconds, Weekday;
} ZdTimeFields;
int64_t ZdPortSystemTime(void);          /* 100 ns units since 1601 */
uint64_t ZdPortTickCount(void);          /* system ticks, monotonic */
void ZdPortTimeToFields(int64_t time, ZdTimeFields* fields);
int ZdPortFieldsToTime(const ZdTimeFields* fields, int64_t* time);   /* 0 when the fields are invalid */

/* ---- devices ---- */
/* Each device carries one context pointer of the core's. */
void* ZdPortDeviceContext(ZdPortDevice* device);
/* The bus: unnamed, a controller, secure open, exclusive, attached above physical. */
ZdStatus ZdPortCreateBusDevice(ZdPortDevice* physical, void* context, ZdPortDevice** bus);
/* A child disk: unnamed, type disk, 0x182, system and administrators only, the child
 * device class, direct I/O. */
ZdStatus ZdPortCreateChildDevice(ZdPortDevice* bus, void* context, ZdPortDevice** child);
void ZdPortDeleteDevice(ZdPortDevice* device);
void ZdPortDetachBus(ZdPortDevice* bus);
void ZdPortFinishDeviceInit(ZdPortDevice* device);   /* power-pageable, initialising cleared */
void ZdPortReferenceDevice(ZdPortDevice* device);
ZdStatus ZdPortRegisterBusInterface(ZdPortDevice* bus);
void ZdPortSetBusInterfaceState(ZdPortDevice* bus, int enabled);
void ZdPortFreeBusInterface(ZdPortDevice* bus);
ZdStatus ZdPortWmiRegister(ZdPortDevice* bus);
void ZdPortWmiDeregister(ZdPortDevice* bus);
/* A system-control request on the bus: the system's WMI library answers it through
 * the core's WMI calls (ZeDiskCore.h), and passes what is not ours down. */
ZdStatus ZdPortWmiSystemControl(ZdPortDevice* bus, ZdPortIrp* irp);
void ZdPortInvalidateBusRelations(ZdPortDevice* bus);
void ZdPortRequestEject(ZdPortDevice* child);
void ZdPortSetDevicePowerState(ZdPortDevice* device, uint32_t deviceState);
/* The device-state mapping of the bus's own capabilities (7 entries, S0..S5 at 1..6),
 * asked of the stack above the bus. */
ZdStatus ZdPortQueryBusPowerMapping(ZdPortDevice* bus, uint32_t deviceState[7]);

/* ---- requests ---- */
ZdStatus ZdPortPassDown(ZdPortDevice* bus, ZdPortIrp* irp);
/* Sends the request down and waits for the lower driver; the request stays ours. */
ZdStatus ZdPortPassDownAndWait(ZdPortDevice* bus, ZdPortIrp* irp);
void ZdPortCompleteRequest(ZdPortIrp* irp, ZdStatus status, uintptr_t information, int boost);
/* Completes the request with its status and information unchanged. */
ZdStatus ZdPortCompleteUnchanged(ZdPortIrp* irp);
void ZdPortMarkPending(ZdPortIrp* irp);
void ZdPortStartNextPower(ZdPortIrp* irp);
/* The answers below are stored in the request with status success, to be completed
 * unchanged or passed down. */
/* A relations answer: the incoming list's entries followed by children (each
 * referenced). STATUS_INSUFFICIENT_RESOURCES when the pool is short. */
ZdStatus ZdPortSetRelations(ZdPortIrp* irp, ZdPortDevice* const* children, uint32_t count);
/* An id or text answer: a pool copy of chars characters (terminators included). */
ZdStatus ZdPortSetTextAnswer(ZdPortIrp* irp, const ZdWChar* text, size_t chars);
/* The bus information of a child: the bus type GUID, PNPBus (15), bus number 0. */
ZdStatus ZdPortSetBusInformation(ZdPortIrp* irp);
/* The bus interface of a child, filled into the request's interface record;
 * STATUS_INVALID_PARAMETER when the record is smaller than this system's. */
ZdStatus ZdPortFillBusInterface(ZdPortIrp* irp, void* childContext);

/* Writes the SCSI block's status fields and transfer length (the core's copy, srb)
 * back into the request's block, then completes the request. */
struct ZdScsi;
void ZdPortCompleteScsi(ZdPortIrp* irp, const struct ZdScsi* srb, ZdStatus status, uintptr_t information,
                        int boost);

/* The system address of a SCSI request's data (the request's MDL mapped, plus the
 * offset of srbBuffer in it). STATUS_INVALID_PARAMETER when it has none. */
ZdStatus ZdPortScsiBuffer(ZdPortIrp* irp, void* srbBuffer, void** system);

#ifdef __cplusplus
}
#endif

#endif
