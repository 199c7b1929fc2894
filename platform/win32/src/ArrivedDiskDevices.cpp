// "\\.\PhysicalDriveN" and "\\.\X:" of an arrived disk: sectors from its owner, the
// drive layout and the volume controls from the layer, every other code to the owner.
#include "ArrivedDisks.h"
#include "FileSliceDevice.h"

#include <winioctl.h>

#include <algorithm>

namespace ks_platform {

namespace {

constexpr DWORD kArrivedSector = 512;

// A stretch of an arrived disk: the whole disk, or one of its volumes.
class ArrivedStretch : public KSDevice {
public:
    ArrivedStretch(std::shared_ptr<ArrivedDisk> disk, uint64_t offset, uint64_t length)
        : disk_(std::move(disk)), offset_(offset), length_(length)
    {
    }

    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        done = 0;
        DWORD inside = 0;
        if (DWORD error = Span(offset, size, inside))
            return error;
        if (inside == 0)
            return disk_->Present() ? ERROR_SUCCESS : ERROR_NOT_READY;
        return disk_->Read(offset_ + offset, buffer, inside, done);
    }

    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        done = 0;
        DWORD inside = 0;
        if (DWORD error = Span(offset, size, inside))
            return error;
        if (inside < size)
            return ERROR_SECTOR_NOT_FOUND;   // past the end: nothing written
        return disk_->Write(offset_ + offset, data, size, done);
    }

    uint64_t Size() const override { return length_; }

protected:
    DWORD LengthInfo(void* out, DWORD outSize, DWORD& returned) const
    {
        return AnswerLengthInfo(length_, out, outSize, returned);
    }

    const std::shared_ptr<ArrivedDisk> disk_;
    const uint64_t offset_;
    const uint64_t length_;

private:
    // Whole sectors only; how many of size bytes lie inside the stretch.
    DWORD Span(uint64_t offset, DWORD size, DWORD& inside) const
    {
        if (offset % kArrivedSector != 0 || size % kArrivedSector != 0)
            return ERROR_INVALID_PARAMETER;
        inside = offset >= length_ ? 0 : static_cast<DWORD>(std::min<uint64_t>(size, length_ - offset));
        return ERROR_SUCCESS;
    }
};

class ArrivedDiskDevice : public ArrivedStretch {
public:
    explicit ArrivedDiskDevice(std::shared_ptr<ArrivedDisk> disk)
        : ArrivedStretch(disk, 0, disk->Bytes())
    {
    }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        switch (code) {
        case IOCTL_DISK_GET_DRIVE_LAYOUT:
            if (!disk_->Present())
                return ERROR_NOT_READY;
            return AnswerDriveLayout(disk_->Volumes(), disk_->Signature(), out, outSize, returned);
        case IOCTL_DISK_GET_LENGTH_INFO:
            return LengthInfo(out, outSize, returned);
        default:
            return disk_->OwnerControl(code, in, inSize, out, outSize, returned);
        }
    }
};

class ArrivedVolumeDevice : public ArrivedStretch {
public:
    ArrivedVolumeDevice(std::shared_ptr<ArrivedDisk> disk, const DosVolume& volume)
        : ArrivedStretch(std::move(disk), volume.start * kArrivedSector, volume.sectors * kArrivedSector),
          first_(volume.start)
    {
    }
    // Closing the handle ends its lock, as on Windows.
    ~ArrivedVolumeDevice() override { disk_->Release(this); }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        switch (code) {
        case FSCTL_LOCK_VOLUME:
            return disk_->Lock(first_, this);
        case FSCTL_UNLOCK_VOLUME:
            return disk_->Unlock(first_, this);
        case FSCTL_DISMOUNT_VOLUME:
            if (!disk_->Present())
                return ERROR_NOT_READY;
            disk_->Dismount(first_);
            return ERROR_SUCCESS;
        case FSCTL_ALLOW_EXTENDED_DASD_IO:
            return disk_->Present() ? ERROR_SUCCESS : ERROR_NOT_READY;
        case IOCTL_DISK_GET_LENGTH_INFO:
            return LengthInfo(out, outSize, returned);
        default:
            return disk_->OwnerControl(code, in, inSize, out, outSize, returned);
        }
    }

private:
    const uint64_t first_;
};

} // namespace

std::shared_ptr<KSDevice> OpenArrivedDisk(unsigned number, DWORD& error)
{
    std::shared_ptr<ArrivedDisk> disk = ArrivedDisks::Instance().Find(number);
    if (!disk)
        return nullptr;
    if (!disk->Present()) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return std::make_shared<ArrivedDiskDevice>(disk);
}

std::shared_ptr<KSDevice> OpenArrivedVolume(const KSDriveVolume& volume, DWORD& error)
{
    std::shared_ptr<ArrivedDisk> disk = ArrivedDisks::Instance().Find(volume.disk);
    if (!disk)
        return nullptr;
    const DosVolume* partition = disk->VolumeAt(volume.firstSector);
    if (!partition || !disk->Present()) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return std::make_shared<ArrivedVolumeDevice>(disk, *partition);
}

} // namespace ks_platform
