#include "BusDouble.h"

#include "KSPlatformSetup.h"
#include "LittleEndian.h"
#include "VolumeUtils.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <string>

unsigned BusState::Count(DWORD code) const
{
    return static_cast<unsigned>(
        std::count_if(requests.begin(), requests.end(), [code](const BusRequest& r) { return r.code == code; }));
}

namespace {

class NoData : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { done = 0; return ERROR_INVALID_FUNCTION; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { done = 0; return ERROR_INVALID_FUNCTION; }
    uint64_t Size() const override { return 0; }
};

class BusFile : public NoData {
public:
    explicit BusFile(std::shared_ptr<BusState> state) : state_(std::move(state)) {}
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        const auto* bytes = static_cast<const uint8_t*>(in);
        state_->requests.push_back({code, std::vector<uint8_t>(bytes, bytes + (in != nullptr ? inSize : 0))});
        switch (code) {
        case IOCTL_ZEDISK_PLUGIN:
            if (state_->refusePlugin || inSize != ZEDISK_PLUGIN_RECORD_SIZE)
                return ERROR_INVALID_PARAMETER;
            if (state_->onPlugin)
                state_->onPlugin(state_->requests.back().input);
            return ERROR_SUCCESS;
        case IOCTL_ZEDISK_UNPLUG:
        case IOCTL_ZEDISK_EJECT:
            return state_->refuseTarget || inSize != ZEDISK_TARGET_RECORD_SIZE ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
        case IOCTL_ZEDISK_LIST: {
            if (state_->refuseList || outSize < ZEDISK_DISK_LIST_HEAD_SIZE)
                return ERROR_INVALID_PARAMETER;
            auto* head = static_cast<uint8_t*>(out);
            const uint32_t live = static_cast<uint32_t>(state_->children.size());
            const uint32_t room = (outSize - ZEDISK_DISK_LIST_HEAD_SIZE) / ZEDISK_DISK_LIST_ENTRY_SIZE;
            const uint32_t given = std::min(live, room);
            StoreLE32(head + 4, state_->letterMask);
            StoreLE32(head + 8, live);
            StoreLE32(head + 12, given);
            for (uint32_t i = 0; i < given; ++i)
                std::memcpy(head + 16 + i * 256, state_->children[i].data(), 256);
            returned = 16 + given * 256;
            return ERROR_SUCCESS;
        }
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }

private:
    std::shared_ptr<BusState> state_;
};

class ChildVolumeFile : public NoData {
public:
    explicit ChildVolumeFile(std::shared_ptr<VolumeState> state) : state_(std::move(state)) { ++state_->openHandles; }
    ~ChildVolumeFile() override { --state_->openHandles; }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        switch (code) {
        case IOCTL_ZEDISK_GET_RECORD:
            if (!state_->answersRecord || outSize < ZEDISK_PLUGIN_RECORD_SIZE)
                return ERROR_INVALID_FUNCTION;
            std::memcpy(out, state_->record.data(), ZEDISK_PLUGIN_RECORD_SIZE);
            returned = ZEDISK_PLUGIN_RECORD_SIZE;
            return ERROR_SUCCESS;
        case IOCTL_ZEDISK_SET_LETTER:
            if (inSize != ZEDISK_PLUGIN_RECORD_SIZE)
                return ERROR_INVALID_PARAMETER;
            ++state_->letterSets;
            state_->letterSent = static_cast<const uint8_t*>(in)[ZEDISK_RECORD_LETTER];
            return ERROR_SUCCESS;
        case FSCTL_LOCK_VOLUME:
            ++state_->locks;
            return state_->lockFails ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        case FSCTL_UNLOCK_VOLUME:
            ++state_->unlocks;
            return ERROR_SUCCESS;
        case FSCTL_DISMOUNT_VOLUME:
            ++state_->dismounts;
            return ERROR_SUCCESS;
        default:
            return ERROR_SUCCESS;
        }
    }

private:
    std::shared_ptr<VolumeState> state_;
};

} // namespace

std::shared_ptr<BusState> InstallBusDouble()
{
    auto state = std::make_shared<BusState>();
    // Found as the driver's bus is: through its interface class.
    const std::string name = "root#system#0000#{d35f7840-6a0c-11d2-b841-00c04fad5179}";
    KSPlatformRegisterDevice(name, [state](DWORD, DWORD&) { return std::make_shared<BusFile>(state); });
    KSPlatformAddDeviceInterface(BusInterfaceClass(), "\\\\?\\" + name);
    return state;
}

std::shared_ptr<VolumeState> InstallChildVolume(char letter,
                                                const std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE>& record)
{
    auto state = std::make_shared<VolumeState>();
    state->record = record;
    KSPlatformRegisterDevice(std::string(1, letter) + ":",
                             [state](DWORD, DWORD&) { return std::make_shared<ChildVolumeFile>(state); });
    KSDriveEntry drive;
    drive.letter = letter;
    drive.type = DRIVE_FIXED;
    KSPlatformAddDrive(drive);
    return state;
}

void InstallDiskAccess(unsigned disk, const std::array<uint8_t, ZEDISK_PLUGIN_RECORD_SIZE>& record)
{
    auto state = std::make_shared<VolumeState>();
    state->record = record;
    KSPlatformRegisterDevice("ZEDSKACS\\" + std::to_string(disk),
                             [state](DWORD, DWORD&) { return std::make_shared<ChildVolumeFile>(state); });
}
