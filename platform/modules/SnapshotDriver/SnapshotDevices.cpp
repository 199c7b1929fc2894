// The stand-in's devices in the platform layer's registry, and the calls tests use to
// steer it.
#include <winioctl.h>

#include "KSPlatformControl.h"
#include "KSSnapRecords.h"
#include "SnapshotDriver.h"

namespace {

constexpr const char* kControlDeviceName = "zendbakdrv1";

// "\\.\zendbakdrv1": control requests only.
class SnapControlDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override
    {
        done = 0;
        return ERROR_INVALID_FUNCTION;
    }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override
    {
        done = 0;
        return ERROR_INVALID_FUNCTION;
    }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        return SnapshotDriver::Instance().Control(code, in, inSize, out, outSize, returned);
    }
    uint64_t Size() const override { return 0; }
};

// "\\.\X:": the volume's sectors, written through the running snapshot.
class SnapVolumeDevice : public KSDevice {
public:
    explicit SnapVolumeDevice(std::shared_ptr<SnapshotVolume> volume) : volume_(std::move(volume)) {}
    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        done = 0;
        if (offset % SnapshotVolume::kSector != 0 || size % SnapshotVolume::kSector != 0)
            return ERROR_INVALID_PARAMETER;
        const DWORD error = volume_->Read(offset / SnapshotVolume::kSector, size / SnapshotVolume::kSector, buffer);
        if (error == ERROR_SUCCESS)
            done = size;
        return error;
    }
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        done = 0;
        if (offset % SnapshotVolume::kSector != 0 || size % SnapshotVolume::kSector != 0)
            return ERROR_INVALID_PARAMETER;
        const DWORD error = SnapshotDriver::Instance().WriteVolume(volume_, offset / SnapshotVolume::kSector,
                                                                   size / SnapshotVolume::kSector, data);
        if (error == ERROR_SUCCESS)
            done = size;
        return error;
    }
    DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        if (code == IOCTL_SNAP_GET_VOLUME_ID) {
            if (out == nullptr || outSize < 4)
                return ERROR_INSUFFICIENT_BUFFER;
            StoreLE32(out, volume_->Id());
            returned = 4;
            return ERROR_SUCCESS;
        }
        if (code == IOCTL_DISK_GET_LENGTH_INFO) {
            if (out == nullptr || outSize < 8)
                return ERROR_INSUFFICIENT_BUFFER;
            StoreLE64(out, Size());
            returned = 8;
            return ERROR_SUCCESS;
        }
        return ERROR_INVALID_FUNCTION;
    }
    uint64_t Size() const override { return volume_->Sectors() * SnapshotVolume::kSector; }

private:
    std::shared_ptr<SnapshotVolume> volume_;
};

} // namespace

void SnapshotDriver::Install()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        snapshots_.clear();
        volumes_.clear();
        refusedCacheSizes_.clear();
        failures_.clear();
        sectorSize_ = 512;
        forget_ = false;
        ringWaitMs_ = 10000;
        calls_.clear();
        hook_ = nullptr;
        beforeHook_ = nullptr;
        preservedBlocks_ = 0;
    }
    KSPlatformRegisterDevice(kControlDeviceName, [](DWORD, DWORD&) { return std::make_shared<SnapControlDevice>(); });
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::shared_ptr<SnapshotVolume> volume = VolumeOf(letter);
        if (!volume)
            continue;
        KSPlatformRegisterDevice(std::string(1, letter) + ":", [volume](DWORD, DWORD&) {
            return std::make_shared<SnapVolumeDevice>(volume);
        });
    }
}

void KSSnapshotDriverInstall() { SnapshotDriver::Instance().Install(); }

void KSSnapshotDriverRemove()
{
    KSPlatformUnregisterDevice(kControlDeviceName);
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (SnapshotDriver::Instance().VolumeOf(letter))
            KSPlatformUnregisterDevice(std::string(1, letter) + ":");
    SnapshotDriver::Instance().Remove();
}

DWORD KSSnapshotDriverLiveWrite(char letter, uint64_t firstSector, uint32_t count, const void* data)
{
    std::shared_ptr<SnapshotVolume> volume = SnapshotDriver::Instance().VolumeOf(letter);
    if (!volume)
        return ERROR_FILE_NOT_FOUND;
    return SnapshotDriver::Instance().WriteVolume(volume, firstSector, count, data);
}

void KSSnapshotDriverRefuseCacheSize(uint32_t bytes) { SnapshotDriver::Instance().RefuseCacheSize(bytes); }
void KSSnapshotDriverFailControl(uint32_t code, DWORD error) { SnapshotDriver::Instance().FailControl(code, error); }
void KSSnapshotDriverSetSectorSize(uint32_t bytes) { SnapshotDriver::Instance().SetSectorSize(bytes); }
void KSSnapshotDriverForgetUnlinked(bool forget) { SnapshotDriver::Instance().ForgetUnlinked(forget); }
void KSSnapshotDriverSetRingWait(DWORD milliseconds) { SnapshotDriver::Instance().SetRingWait(milliseconds); }
void KSSnapshotDriverOnRequest(std::function<void(uint32_t)> hook) { SnapshotDriver::Instance().OnRequest(std::move(hook)); }
void KSSnapshotDriverBeforeRequest(std::function<DWORD(const KSSnapshotDriverCall&)> hook)
{
    SnapshotDriver::Instance().BeforeRequest(std::move(hook));
}
std::vector<KSSnapshotDriverCall> KSSnapshotDriverCalls() { return SnapshotDriver::Instance().Calls(); }
uint64_t KSSnapshotDriverPreservedBlocks() { return SnapshotDriver::Instance().PreservedBlocks(); }
unsigned KSSnapshotDriverLiveSnapshots() { return SnapshotDriver::Instance().LiveSnapshots(); }
unsigned KSSnapshotDriverQueuedBlocks() { return SnapshotDriver::Instance().QueuedBlocks(); }
