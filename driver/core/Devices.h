// The core's state for the bus device and for each child disk. The port device of
// each carries a pointer to its object here.
#pragma once

#include "CoreBase.h"
#include "ZeDiskControl.h"

namespace zedisk {

enum PnpState : uint32_t {
    ZD_PNP_NOT_STARTED = 0,
    ZD_PNP_STARTED = 1,
    ZD_PNP_STOP_PENDING = 2,
    ZD_PNP_STOPPED = 3,
    ZD_PNP_REMOVE_PENDING = 4,
    ZD_PNP_SURPRISE_REMOVE_PENDING = 5,
    ZD_PNP_DELETED = 6,
};

enum : uint32_t { ZD_POWER_SYSTEM_WORKING = 1, ZD_POWER_DEVICE_UNSPECIFIED = 0, ZD_POWER_D0 = 1, ZD_POWER_D1 = 2,
                  ZD_POWER_D3 = 4 };

// What bus and child have in common.
struct ZdCommon : ZdPoolObject {
    ZdPortDevice* device = nullptr;
    bool isBus = false;
    uint32_t pnpState = ZD_PNP_NOT_STARTED;
    uint32_t previousState = ZD_PNP_NOT_STARTED;
    uint32_t debugLevel = 0;
    uint32_t systemPower = ZD_POWER_SYSTEM_WORKING;
    uint32_t devicePower = ZD_POWER_DEVICE_UNSPECIFIED;

    void SetState(uint32_t state)
    {
        previousState = pnpState;
        pnpState = state;
    }
    void RestoreState() { pnpState = previousState; }
};

class WriteOverlay;
class DiskImage;
struct QueuedRequest;
struct ZdBus;

// One plugged-in image volume.
struct ZdChild : ZdCommon {
    ZdBus* bus = nullptr;
    ZdChild* next = nullptr;          // the bus's child list
    ZdChild* prev = nullptr;
    bool linked = false;              // false while plug-in still reserves its serial and letter
    uint32_t serial = 0;
    bool present = false;
    bool reportedMissing = false;
    bool reported = false;            // in a relations answer: the system knows the child
    volatile int32_t readOnly = 0;
    volatile int32_t stopCounter = 0;
    volatile int32_t interfaceReferences = 0;
    // The request queue: its lock, its list, and whether the worker still takes requests.
    ZdPortLock* queueLock = nullptr;
    QueuedRequest* queueHead = nullptr;
    QueuedRequest* queueTail = nullptr;
    bool queueClosed = false;
    ZdPortEvent* workerStarted = nullptr;
    ZdPortSemaphore* requests = nullptr;
    ZdPortThread* worker = nullptr;
    ZdStatus workerStatus = ZD_STATUS_SUCCESS;
    uint8_t cachingPage[12] = {};
    uint8_t exceptionsPage[12] = {};
    DiskImage* image = nullptr;
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE] = {};
    ZdPortSecurity* security = nullptr;
    WriteOverlay* overlay = nullptr;

    uint8_t Letter() const { return record[ZEDISK_RECORD_LETTER]; }
    uint8_t FileSystem() const { return record[ZEDISK_RECORD_FILE_SYSTEM]; }
    uint32_t SectorSize() const { return ZdLoad32(record + ZEDISK_RECORD_SECTOR_SIZE); }
    uint64_t VolumeSectors() const { return ZdLoad64(record + ZEDISK_RECORD_SECTORS); }
    uint32_t DiskId() const { return ZdLoad32(record + ZEDISK_RECORD_DISK_ID); }
    // Sectors of the disk the system sees: track 0, then the volume.
    uint64_t DiskSectors() const { return VolumeSectors() + 63; }
};

// The bus device.
struct ZdBus : ZdCommon {
    ZdChild* first = nullptr;
    ZdChild* last = nullptr;
    uint32_t childCount = 0;
    ZdPortMutex* mutex = nullptr;
    volatile int32_t outstanding = 1;
    ZdPortEvent* removeEvent = nullptr;
    ZdPortEvent* stopEvent = nullptr;
    bool interfaceRegistered = false;
    bool wmiRegistered = false;
    uint32_t wmiErrorCount = 0;

    void Link(ZdChild* child);
    void Unlink(ZdChild* child);
    void Increment();
    void Decrement();
};

// The driver-wide state: the registry path copy and the debug level WMI shares.
struct ZdDriverState {
    ZdWChar* registryPath = nullptr;
    size_t registryChars = 0;
    uint32_t debugLevel = 0;
};
ZdDriverState& ZdDriver();

// Deletes a child: stops its worker, frees its security context and device.
void ZdDeleteChild(ZdChild* child);

} // namespace zedisk
