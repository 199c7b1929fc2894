#include "BusRequests.h"

#include "KSResult.h"
#include "LittleEndian.h"
#include "MountKinds.h"
#include "VolumeUtils.h"
#include "ZeDiskControl.h"

#include <new>

namespace {

// Closes the bus device when the request is done.
struct BusHandle {
    HANDLE handle;
    explicit BusHandle(bool forWriting) : handle(OpenBusDevice(forWriting)) {}
    ~BusHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    bool Valid() const { return handle != INVALID_HANDLE_VALUE; }
};

bool SendList(HANDLE bus, uint8_t* out, DWORD size)
{
    StoreLE32(out, ZEDISK_DISK_LIST_HEAD_SIZE);
    DWORD returned = 0;
    return DeviceIoControl(bus, IOCTL_ZEDISK_LIST, nullptr, 0, out, size, &returned, nullptr) != FALSE;
}

} // namespace

unsigned long SendBusTarget(DWORD code, uint32_t letterMask)
{
    BusHandle bus(true);
    if (!bus.Valid())
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoBusDevice);
    uint8_t target[ZEDISK_TARGET_RECORD_SIZE] = {};
    StoreLE32(target, ZEDISK_TARGET_RECORD_SIZE);
    StoreLE32(target + 4, letterMask);
    DWORD returned = 0;
    if (!DeviceIoControl(bus.handle, code, target, sizeof target, nullptr, 0, &returned, nullptr))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kUnplugFailed);
    return 0;
}

unsigned long ReadBusDiskList(BusDiskList& list, bool withEntries)
{
    BusHandle bus(false);
    if (!bus.Valid())
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoBusDevice);
    uint8_t head[ZEDISK_DISK_LIST_HEAD_SIZE] = {};
    if (!SendList(bus.handle, head, sizeof head))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    list.letterMask = LoadLE32(head + 4);
    list.live = LoadLE32(head + 8);
    list.entries.clear();
    if (!withEntries)
        return 0;
    std::vector<uint8_t> buffer;
    try {
        buffer.assign(ZEDISK_DISK_LIST_HEAD_SIZE + static_cast<size_t>(list.live) * ZEDISK_DISK_LIST_ENTRY_SIZE, 0);
    } catch (const std::bad_alloc&) {
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoMemory);
    }
    if (!SendList(bus.handle, buffer.data(), static_cast<DWORD>(buffer.size())))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kDriverInstall);
    list.letterMask = LoadLE32(buffer.data() + 4);
    uint32_t returned = LoadLE32(buffer.data() + 12);
    if (returned > list.live)
        returned = list.live;   // never past what was allocated
    list.entries.assign(buffer.begin() + ZEDISK_DISK_LIST_HEAD_SIZE,
                        buffer.begin() + ZEDISK_DISK_LIST_HEAD_SIZE + returned * ZEDISK_DISK_LIST_ENTRY_SIZE);
    return 0;
}
