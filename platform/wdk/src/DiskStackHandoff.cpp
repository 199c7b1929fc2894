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

std::mutex numbersLock;
// The disk-map number each started child's disk arrived as, by serial.
std::map<uint32_t, unsigned>& Numbers()
{
    static auto* numbers = new std::map<uint32_t, unsigned>;
    return *numbers;
}

} // namespace

void HandChildToDiskStack(uint32_t serial, std::shared_ptr<ChildDisk> disk, const DiskStackHooks& hooks)
{
    if (hooks.arrived) {
        hooks.arrived(serial, std::move(disk));
        return;
    }
    const int number = KSPlatformDiskArrival(std::make_shared<ChildDiskFile>(std::move(disk)));
    if (number < 0)
        return;   // a disk that cannot be read shows nowhere
    std::lock_guard<std::mutex> guard(numbersLock);
    Numbers()[serial] = static_cast<unsigned>(number);
}

void TakeChildFromDiskStack(uint32_t serial, const DiskStackHooks& hooks)
{
    if (hooks.removed) {
        hooks.removed(serial);
        return;
    }
    unsigned number = 0;
    {
        std::lock_guard<std::mutex> guard(numbersLock);
        auto found = Numbers().find(serial);
        if (found == Numbers().end())
            return;
        number = found->second;
        Numbers().erase(found);
    }
    KSPlatformDiskRemoval(number);
}

int DiskNumberOf(uint32_t serial)
{
    std::lock_guard<std::mutex> guard(numbersLock);
    auto found = Numbers().find(serial);
    return found == Numbers().end() ? -1 : static_cast<int>(found->second);
}

} // namespace wdk
