// The disk-access service's control device, "\\.\ZEDSKACS": one handle for the whole
// process, opened when first asked for and kept until the process ends. When it does
// not open as an existing device, the same name is opened with CREATE_ALWAYS.
#include "VolumeUtils.h"

#include <mutex>

namespace {

class SharedControlDevice {
public:
    ~SharedControlDevice() { Close(); }

    HANDLE Get()
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (handle_ == INVALID_HANDLE_VALUE)
            handle_ = OpenWith(OPEN_EXISTING);
        if (handle_ == INVALID_HANDLE_VALUE)
            handle_ = OpenWith(CREATE_ALWAYS);
        return handle_;
    }

    void Close()
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    static HANDLE OpenWith(DWORD disposition)
    {
        return CreateFileW(L"\\\\.\\ZEDSKACS", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    std::mutex lock_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Made on first use, so that it is destroyed (and the handle closed) at process exit
// before the handles' own bookkeeping goes.
SharedControlDevice& ControlDevice()
{
    static SharedControlDevice device;
    return device;
}

} // namespace

HANDLE DiskAccessControlDevice()
{
    return ControlDevice().Get();
}

void CloseDiskAccessControlDevice()
{
    ControlDevice().Close();
}
