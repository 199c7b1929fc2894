#include "ArrivedDisks.h"

#include <winioctl.h>

namespace ks_platform {

namespace {

// What Windows answers an unlock by a handle that holds no lock.
constexpr DWORD kArrivedErrorNotLocked = 158;

} // namespace

ArrivedDisk::ArrivedDisk(unsigned number, std::shared_ptr<KSDevice> owner, uint64_t bytes,
                         std::vector<DosVolume> volumes, uint32_t signature)
    : number_(number), bytes_(bytes), volumes_(std::move(volumes)), signature_(signature), owner_(std::move(owner))
{
    for (const DosVolume& volume : volumes_)
        locks_[volume.start] = VolumeLock{};
}

const DosVolume* ArrivedDisk::VolumeAt(uint64_t firstSector) const
{
    for (const DosVolume& volume : volumes_)
        if (volume.start == firstSector)
            return &volume;
    return nullptr;
}

DWORD ArrivedDisk::Read(uint64_t offset, void* buffer, DWORD size, DWORD& done)
{
    done = 0;
    std::shared_lock<std::shared_mutex> open(gate_);
    if (!owner_)
        return ERROR_NOT_READY;
    return owner_->Read(offset, buffer, size, done);
}

DWORD ArrivedDisk::Write(uint64_t offset, const void* data, DWORD size, DWORD& done)
{
    done = 0;
    std::shared_lock<std::shared_mutex> open(gate_);
    if (!owner_)
        return ERROR_NOT_READY;
    return owner_->Write(offset, data, size, done);
}

DWORD ArrivedDisk::OwnerControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned)
{
    returned = 0;
    std::shared_lock<std::shared_mutex> open(gate_);
    if (!owner_)
        return ERROR_NOT_READY;
    return owner_->Control(code, in, inSize, out, outSize, returned);
}

void ArrivedDisk::Remove()
{
    std::shared_ptr<KSDevice> owner;
    {
        std::unique_lock<std::shared_mutex> closing(gate_);
        owner.swap(owner_);
    }
    // The owner is let go outside the gate: its end may take time of its own.
}

bool ArrivedDisk::OwnedBy(const KSDevice* owner) const
{
    std::shared_lock<std::shared_mutex> open(gate_);
    return owner_.get() == owner;
}

bool ArrivedDisk::Present() const
{
    std::shared_lock<std::shared_mutex> open(gate_);
    return owner_ != nullptr;
}

DWORD ArrivedDisk::Lock(uint64_t firstSector, const void* holder)
{
    if (!Present())
        return ERROR_NOT_READY;
    std::lock_guard<std::mutex> guard(locksGuard_);
    auto found = locks_.find(firstSector);
    if (found == locks_.end())
        return ERROR_INVALID_FUNCTION;
    ++found->second.controls.locks;
    if (found->second.holder != nullptr)
        return ERROR_ACCESS_DENIED;   // held already, by this handle or another
    found->second.holder = holder;
    found->second.controls.locked = true;
    return ERROR_SUCCESS;
}

DWORD ArrivedDisk::Unlock(uint64_t firstSector, const void* holder)
{
    std::lock_guard<std::mutex> guard(locksGuard_);
    auto found = locks_.find(firstSector);
    if (found == locks_.end())
        return ERROR_INVALID_FUNCTION;
    ++found->second.controls.unlocks;
    if (found->second.holder != holder)
        return kArrivedErrorNotLocked;
    found->second.holder = nullptr;
    found->second.controls.locked = false;
    return ERROR_SUCCESS;
}

void ArrivedDisk::Dismount(uint64_t firstSector)
{
    std::lock_guard<std::mutex> guard(locksGuard_);
    auto found = locks_.find(firstSector);
    if (found != locks_.end())
        ++found->second.controls.dismounts;
}

void ArrivedDisk::Release(const void* holder)
{
    std::lock_guard<std::mutex> guard(locksGuard_);
    for (auto& entry : locks_)
        if (entry.second.holder == holder) {
            entry.second.holder = nullptr;
            entry.second.controls.locked = false;
        }
}

bool ArrivedDisk::Controls(unsigned partition, KSArrivedVolumeControls& controls) const
{
    for (const DosVolume& volume : volumes_) {
        if (volume.number != partition)
            continue;
        std::lock_guard<std::mutex> guard(locksGuard_);
        controls = locks_.at(volume.start).controls;
        return true;
    }
    return false;
}

} // namespace ks_platform
