// Unplugging, ejecting and listing the bus's disks.
#include "Palmet.h"

#include "BusRequests.h"
#include "KSResult.h"
#include "LetterRepair.h"
#include "MountKinds.h"
#include "VolumeUtils.h"
#include "ZeDiskControl.h"

#include <cstring>

unsigned long Palmet::UnmountImage(unsigned long letterMask)
{
    // Only volumes of the bus's own disks are locked and dismounted: with a mask of 0
    // the machine's other drives stay as they are.
    BusDiskList children;
    const DWORD childLetters = ReadBusDiskList(children, false) == 0 ? children.letterMask : 0;
    const DWORD wanted = letterMask == 0 ? 0x3FFFFFFu : static_cast<DWORD>(letterMask);
    const DWORD touch = GetLogicalDrives() & childLetters & wanted;
    for (unsigned index = 0; index < 26; ++index) {
        if ((touch & (1u << index)) == 0)
            continue;
        const char letter = static_cast<char>('A' + index);
        HANDLE volume = LockVolume(letter);
        if (volume == INVALID_HANDLE_VALUE)
            continue;   // a volume that would not lock is not dismounted
        DismountVolume(volume, letter);
        UnlockAndCloseVolume(volume);
    }
    return SendBusTarget(IOCTL_ZEDISK_UNPLUG, static_cast<uint32_t>(letterMask));
}

unsigned long Palmet::EjectImage(unsigned long letterMask)
{
    return SendBusTarget(IOCTL_ZEDISK_EJECT, static_cast<uint32_t>(letterMask));
}

unsigned long Palmet::GetMountedDisks(void* entries, uint32_t* count)
{
    if (count == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);
    BusDiskList list;
    unsigned long rc = ReadBusDiskList(list, false);
    if (rc != 0)
        return rc;
    if (entries == nullptr) {
        *count = list.live;
        return 0;
    }
    if (*count < list.live)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kCountTooSmall);
    if ((rc = ReadBusDiskList(list, true)) != 0)
        return rc;
    uint32_t returned = list.Count();
    if (returned > *count)
        returned = *count;   // the live count may have grown between the two requests
    *count = returned;
    auto* out = static_cast<uint8_t*>(entries);
    std::memcpy(out, list.entries.data(), static_cast<size_t>(returned) * ZEDISK_DISK_LIST_ENTRY_SIZE);
    RepairEntryLetters(out, returned);
    return 0;
}
