#include "ImageChildDisk.h"

#include "BackupDisk.h"
#include "CommandOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

class ImageChildDisk : public KSDevice {
public:
    ImageChildDisk(int fd, uint64_t bytes, std::shared_ptr<ImageChildState> state)
        : fd_(fd), bytes_(bytes), state_(std::move(state))
    {
    }
    ~ImageChildDisk() override { ::close(fd_); }

    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        const ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
        done = n > 0 ? static_cast<DWORD>(n) : 0;
        return n < 0 ? ERROR_IO_DEVICE : ERROR_SUCCESS;
    }
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        const ssize_t n = ::pwrite(fd_, data, size, static_cast<off_t>(offset));
        done = n > 0 ? static_cast<DWORD>(n) : 0;
        return n == static_cast<ssize_t>(size) ? ERROR_SUCCESS : ERROR_IO_DEVICE;
    }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        switch (code) {
        case IOCTL_ZEDISK_GET_RECORD:
            ++state_->recordReads;
            if (!state_->answersRecord || outSize < ZEDISK_PLUGIN_RECORD_SIZE)
                return ERROR_INVALID_FUNCTION;
            std::memcpy(out, state_->record.data(), ZEDISK_PLUGIN_RECORD_SIZE);
            returned = ZEDISK_PLUGIN_RECORD_SIZE;
            return ERROR_SUCCESS;
        case IOCTL_ZEDISK_SET_LETTER:
            if (!state_->answersRecord || inSize != ZEDISK_PLUGIN_RECORD_SIZE)
                return ERROR_INVALID_FUNCTION;
            ++state_->letterSets;
            state_->record[ZEDISK_RECORD_LETTER] = static_cast<const uint8_t*>(in)[ZEDISK_RECORD_LETTER];
            return ERROR_SUCCESS;
        default:
            return ERROR_INVALID_FUNCTION;
        }
    }
    uint64_t Size() const override { return bytes_; }

private:
    const int fd_;
    const uint64_t bytes_;
    std::shared_ptr<ImageChildState> state_;
};

} // namespace

std::string MakeChildDiskImage(const std::string& name)
{
    const std::string image = MakeWorkFolder(name) + "/child.img";
    int status = -1;
    CommandOutput("bash '" CHILD_DISK_SCRIPT "' '" + image + "' '" + RVD_FIXTURE_SCRIPTS + "' 2>&1", &status);
    return status == 0 ? image : std::string();
}

std::shared_ptr<KSDevice> OpenImageChild(const std::string& image, std::shared_ptr<ImageChildState> state)
{
    const int fd = ::open(image.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_shared<ImageChildDisk>(fd, static_cast<uint64_t>(st.st_size), std::move(state));
}
