// What file handles stand for: an open file (its descriptor) or an open device (the
// device, the file pointer and the access it was opened with). Both count as
// signalled for waits, as synchronous file handles do on Windows.
#pragma once

#include "KSPlatformControl.h"
#include "KernelObject.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace ks_platform {

class FileObject : public KernelObject {
public:
    explicit FileObject(int fd) : fd(fd) {}
    ~FileObject() override;
    ObjectKind Kind() const override { return ObjectKind::File; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return true; }

    std::atomic<int> fd; // -1 once closed
};

class DeviceObject : public KernelObject {
public:
    DeviceObject(std::shared_ptr<KSDevice> device, DWORD access) : device(std::move(device)), access(access) {}
    ObjectKind Kind() const override { return ObjectKind::Device; }
    bool Waitable() const override { return true; }
    bool Signalled(DWORD) const override { return true; }

    const std::shared_ptr<KSDevice> device;
    const DWORD access;
    uint64_t position = 0; // guarded by lock
    std::mutex lock;
};

} // namespace ks_platform
