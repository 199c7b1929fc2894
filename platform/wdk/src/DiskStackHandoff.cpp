// A started child's disk arrives at the platform layer as Windows' disk stack would
// show it: its sectors read and written through the child's SCSI path in the core,
// every other control request sent to the child. When the child goes, its disk goes
// first, so no request reaches a child the core is about to delete.
#include "DiskStackHandoff.h"

#include "KSPlatformArrival.h"
#include "KSPlatformControl.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace wdk {

namespace {

// The child's disk as the platform layer's device: sectors through SCSI.
class ChildDiskFile : public KSDevice {
public:
    explicit ChildDiskFile(std::shared_ptr<ChildDisk> disk) : disk_(std::move(disk)) {}
    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        return Move(offset, buffer, size, done, false);
    }
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        return Move(offset, const_cast<void*>(data), size, done, true);
    }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        uintptr_t information = 0;
        const ZdStatus status = disk_->Control(code, in, inSize, out, outSize, &information);
        returned = static_cast<DWORD>(information);
        return status >= 0 ? ERROR_SUCCESS : static_cast<DWORD>(ZdPortStatusToWin32(status));
    }
    uint64_t Size() const override
    {
        uint32_t last = 0, sectorSize = 0;
        if (disk_->Capacity(last, sectorSize) < 0)
            return 0;
        return (static_cast<uint64_t>(last) + 1) * sectorSize;
    }

private:
    DWORD Move(uint64_t offset, void* buffer, DWORD size, DWORD& done, bool write)
    {
        done = 0;
        if (offset % 512 != 0 || size % 512 != 0)
            return ERROR_INVALID_PARAMETER;
        // READ(10)/WRITE(10) address 32-bit sectors: nothing past them is reached.
        if ((offset + size) / 512 > 0xFFFFFFFFull)
            return ERROR_SECTOR_NOT_FOUND;
        uint8_t* bytes = static_cast<uint8_t*>(buffer);
        while (done < size) {
            const uint32_t sectors = std::min<uint32_t>((size - done) / 512, 128);
            const uint32_t sector = static_cast<uint32_t>((offset + done) / 512);
            const ZdStatus status = write ? disk_->Write(sector, static_cast<uint16_t>(sectors), bytes + done)
                                          : disk_->Read(sector, static_cast<uint16_t>(sectors), bytes + done);
            if (status < 0)
                return static_cast<DWORD>(ZdPortStatusToWin32(status));
            done += sectors * 512;
        }
        return ERROR_SUCCESS;
    }
    std::shared_ptr<ChildDisk> disk_;
};

std::mutex handedLock;
// Each child handed to the disk stack and not yet taken from it, by serial. A child
// is taken once, however many removals reach it.
struct HandedChild {
    int number = -1;                 // its disk's disk-map number; -1 with hooks or when it never arrived
    const KSDevice* owner = nullptr; // what the disk arrived with, so only that disk is removed
};
std::map<uint32_t, HandedChild>& Handed()
{
    static auto* handed = new std::map<uint32_t, HandedChild>;
    return *handed;
}

} // namespace

void HandChildToDiskStack(uint32_t serial, std::shared_ptr<ChildDisk> disk, const DiskStackHooks& hooks)
{
    HandedChild child;
    if (hooks.arrived) {
        hooks.arrived(serial, std::move(disk));
    } else {
        auto owner = std::make_shared<ChildDiskFile>(std::move(disk));
        child.owner = owner.get();
        child.number = KSPlatformDiskArrival(std::move(owner));   // -1: unreadable, shown nowhere
    }
    std::lock_guard<std::mutex> guard(handedLock);
    Handed()[serial] = child;
}

void TakeChildFromDiskStack(uint32_t serial, const DiskStackHooks& hooks)
{
    HandedChild child;
    {
        std::lock_guard<std::mutex> guard(handedLock);
        auto found = Handed().find(serial);
        if (found == Handed().end())
            return;
        child = found->second;
        Handed().erase(found);
    }
    if (hooks.removed)
        hooks.removed(serial);
    else if (child.number >= 0)
        KSPlatformDiskRemoval(static_cast<unsigned>(child.number), child.owner);
}

int DiskNumberOf(uint32_t serial)
{
    std::lock_guard<std::mutex> guard(handedLock);
    auto found = Handed().find(serial);
    return found == Handed().end() ? -1 : found->second.number;
}

} // namespace wdk
