// One end of an anonymous pipe, as the device behind a pipe handle: ReadFile and
// WriteFile on the handle reach it through the device path of the file calls. The
// inheritable ends are listed so that CreateProcess can hand them to a child.
#pragma once

#include "KSPlatformControl.h"

#include <memory>
#include <utility>
#include <vector>

namespace ks_platform {

class PipeEnd : public KSDevice {
public:
    explicit PipeEnd(int fd) : fd_(fd) {}
    ~PipeEnd() override;
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    // One read of what is there (waiting for at least a byte); ERROR_BROKEN_PIPE once
    // every write end is closed.
    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override;
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override;
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override;
    uint64_t Size() const override { return 0; }
    int Descriptor() const { return fd_; }

private:
    const int fd_;
};

// Makes a handle for a pipe end; inheritable ends are remembered for CreateProcess.
HANDLE AddPipeHandle(int fd, bool inheritable);
// The descriptor behind a pipe or file handle, or -1.
int DescriptorOfHandle(HANDLE handle);
// The inheritable pipe handles still open, with their descriptors.
std::vector<std::pair<HANDLE, int>> InheritableHandles();

} // namespace ks_platform
