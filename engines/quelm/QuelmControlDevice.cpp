#include "QuelmControlDevice.h"

#include <mutex>

#include "QuelmKinds.h"

using namespace quelm_kinds;

namespace {
struct SharedDevice {
    std::mutex lock;
    HANDLE handle = INVALID_HANDLE_VALUE;
    unsigned users = 0;
};

SharedDevice& Device()
{
    static SharedDevice* device = new SharedDevice;
    return *device;
}
} // namespace

unsigned long QuelmControlDevice::Attach()
{
    SharedDevice& device = Device();
    std::lock_guard<std::mutex> guard(device.lock);
    if (device.handle == INVALID_HANDLE_VALUE) {
        device.handle = CreateFileA("\\\\.\\zendbakdrv1", GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (device.handle == INVALID_HANDLE_VALUE)
            return KS_RESULT(KS_MODULE_BACKUP, kCreateObject);
    }
    ++device.users;
    return 0;
}

void QuelmControlDevice::Detach()
{
    SharedDevice& device = Device();
    std::lock_guard<std::mutex> guard(device.lock);
    if (device.users == 0)
        return;
    if (--device.users == 0 && device.handle != INVALID_HANDLE_VALUE) {
        CloseHandle(device.handle);
        device.handle = INVALID_HANDLE_VALUE;
    }
}

HANDLE QuelmControlDevice::Handle()
{
    SharedDevice& device = Device();
    std::lock_guard<std::mutex> guard(device.lock);
    return device.handle;
}

unsigned QuelmControlDevice::Users()
{
    SharedDevice& device = Device();
    std::lock_guard<std::mutex> guard(device.lock);
    return device.users;
}
