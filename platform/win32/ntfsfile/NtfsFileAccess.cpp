#include "NtfsFileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern "C" {
#include <ntfs-3g/types.h>
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/device.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>
}
// libntfs-3g's support header makes these two macros; the standard ones are meant here.
#undef min
#undef max

namespace ks_ntfs_file {

namespace {

// The stretch of the disk file the device stands for, and its file pointer.
struct Stretch {
    std::string disk;
    uint64_t offset = 0;
    uint64_t length = 0;
    int fd = -1;
    int64_t position = 0;
};

Stretch* StretchOf(struct ntfs_device* dev) { return static_cast<Stretch*>(dev->d_private); }

int StretchOpen(struct ntfs_device* dev, int flags)
{
    Stretch* stretch = StretchOf(dev);
    const bool readOnly = (flags & O_ACCMODE) == O_RDONLY;
    stretch->fd = ::open(stretch->disk.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (stretch->fd < 0)
        return -1;
    stretch->position = 0;
    NDevSetOpen(dev);
    if (readOnly)
        NDevSetReadOnly(dev);
    return 0;
}

int StretchClose(struct ntfs_device* dev)
{
    Stretch* stretch = StretchOf(dev);
    if (stretch->fd >= 0) {
        ::fsync(stretch->fd);
        ::close(stretch->fd);
    }
    stretch->fd = -1;
    NDevClearOpen(dev);
    return 0;
}

s64 StretchSeek(struct ntfs_device* dev, s64 offset, int whence)
{
    Stretch* stretch = StretchOf(dev);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? stretch->position
                                                                : static_cast<int64_t>(stretch->length);
    if (base + offset < 0) {
        errno = EINVAL;
        return -1;
    }
    stretch->position = base + offset;
    return stretch->position;
}

// count bytes at position, clipped to the stretch.
s64 StretchTransfer(Stretch* stretch, void* buffer, const void* data, s64 count, s64 position)
{
    if (position < 0 || count < 0) {
        errno = EINVAL;
        return -1;
    }
    if (static_cast<uint64_t>(position) >= stretch->length)
        return 0;
    const s64 inside = std::min<s64>(count, static_cast<s64>(stretch->length) - position);
    const off_t at = static_cast<off_t>(stretch->offset + static_cast<uint64_t>(position));
    ssize_t done = data ? ::pwrite(stretch->fd, data, static_cast<size_t>(inside), at)
                        : ::pread(stretch->fd, buffer, static_cast<size_t>(inside), at);
    return done;
}

s64 StretchRead(struct ntfs_device* dev, void* buffer, s64 count)
{
    Stretch* stretch = StretchOf(dev);
    const s64 done = StretchTransfer(stretch, buffer, nullptr, count, stretch->position);
    if (done > 0)
        stretch->position += done;
    return done;
}

s64 StretchWrite(struct ntfs_device* dev, const void* data, s64 count)
{
    Stretch* stretch = StretchOf(dev);
    NDevSetDirty(dev);
    const s64 done = StretchTransfer(stretch, nullptr, data, count, stretch->position);
    if (done > 0)
        stretch->position += done;
    return done;
}

s64 StretchPread(struct ntfs_device* dev, void* buffer, s64 count, s64 offset)
{
    return StretchTransfer(StretchOf(dev), buffer, nullptr, count, offset);
}

s64 StretchPwrite(struct ntfs_device* dev, const void* data, s64 count, s64 offset)
{
    NDevSetDirty(dev);
    return StretchTransfer(StretchOf(dev), nullptr, data, count, offset);
}

int StretchSync(struct ntfs_device* dev)
{
    NDevClearDirty(dev);
    return ::fsync(StretchOf(dev)->fd);
}

int StretchStat(struct ntfs_device* dev, struct stat* buffer)
{
    std::memset(buffer, 0, sizeof *buffer);
    buffer->st_mode = S_IFREG;
    buffer->st_size = static_cast<off_t>(StretchOf(dev)->length);
    return 0;
}

int StretchIoctl(struct ntfs_device*, unsigned long, void*)
{
    errno = ENOTTY;
    return -1;
}

struct ntfs_device_operations stretchOperations = {StretchOpen,   StretchClose,  StretchSeek, StretchRead,
                                                   StretchWrite,  StretchPread,  StretchPwrite, StretchSync,
                                                   StretchStat,   StretchIoctl};

// A mounted volume and an open file's unnamed data stream; everything is closed in
// reverse order when it goes.
class OpenFile {
public:
    OpenFile(const std::string& disk, uint64_t offset, uint64_t length, bool write)
    {
        stretch_.disk = disk;
        stretch_.offset = offset;
        stretch_.length = length;
        std::string name = disk + "@" + std::to_string(offset);
        device_ = ntfs_device_alloc(name.c_str(), 0, &stretchOperations, &stretch_);
        if (!device_) {
            error_ = errno ? errno : ENOMEM;
            return;
        }
        volume_ = ntfs_device_mount(device_, static_cast<ntfs_mount_flags>(write ? 0 : NTFS_MNT_RDONLY));
        if (!volume_) {
            error_ = errno ? errno : EIO;
            return;
        }
        // Windows finds a file's name whatever its case.
        ntfs_set_ignore_case(volume_);
    }
    ~OpenFile()
    {
        if (attribute_)
            ntfs_attr_close(attribute_);
        if (inode_)
            ntfs_inode_close(inode_);
        if (volume_)
            ntfs_umount(volume_, FALSE);
        else if (device_)
            ntfs_device_free(device_);
    }

    int Open(const std::string& path)
    {
        if (error_)
            return error_;
        inode_ = ntfs_pathname_to_inode(volume_, nullptr, path.c_str());
        if (!inode_)
            return errno == ENOENT || errno == 0 ? ENOENT : errno;
        attribute_ = ntfs_attr_open(inode_, AT_DATA, AT_UNNAMED, 0);
        if (!attribute_)
            return errno ? errno : EIO;
        return 0;
    }
    ntfs_attr* Attribute() { return attribute_; }
    ntfs_volume* Volume() { return error_ ? nullptr : volume_; }

private:
    Stretch stretch_;
    struct ntfs_device* device_ = nullptr;
    ntfs_volume* volume_ = nullptr;
    ntfs_inode* inode_ = nullptr;
    ntfs_attr* attribute_ = nullptr;
    int error_ = 0;
};

int WriteAll(ntfs_attr* attribute, const std::string& bytes)
{
    s64 done = 0;
    const s64 size = static_cast<s64>(bytes.size());
    while (done < size) {
        const s64 n = ntfs_attr_pwrite(attribute, done, size - done, bytes.data() + done);
        if (n <= 0)
            return errno ? errno : EIO;
        done += n;
    }
    return 0;
}

} // namespace

int ReadNtfsFile(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path,
                 std::string& bytes)
{
    OpenFile file(disk, offset, length, false);
    if (const int error = file.Open(path))
        return error;
    ntfs_attr* attribute = file.Attribute();
    bytes.assign(static_cast<size_t>(attribute->data_size), '\0');
    s64 done = 0;
    while (done < attribute->data_size) {
        const s64 n = ntfs_attr_pread(attribute, done, attribute->data_size - done, &bytes[static_cast<size_t>(done)]);
        if (n <= 0)
            return errno ? errno : EIO;
        done += n;
    }
    return 0;
}

int WriteNtfsFile(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path,
                  const std::string& bytes)
{
    OpenFile file(disk, offset, length, true);
    if (const int error = file.Open(path))
        return error;
    ntfs_attr* attribute = file.Attribute();
    const s64 size = static_cast<s64>(bytes.size());
    // Growing first: a volume without room refuses before any byte of the old content
    // changes. Shrinking last, once the new content is in place.
    if (size > attribute->data_size && ntfs_attr_truncate(attribute, size) != 0)
        return errno ? errno : ENOSPC;
    if (const int error = WriteAll(attribute, bytes))
        return error;
    if (size < attribute->data_size && ntfs_attr_truncate(attribute, size) != 0)
        return errno ? errno : EIO;
    return 0;
}

int MakeNtfsFolders(const std::string& disk, uint64_t offset, uint64_t length, const std::string& path)
{
    OpenFile file(disk, offset, length, true);
    ntfs_volume* volume = file.Volume();
    if (volume == nullptr)
        return EIO;
    std::string walked;
    size_t begin = 1;
    while (begin < path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(begin, end - begin);
        begin = end + 1;
        if (name.empty())
            continue;
        const std::string parent = walked.empty() ? "/" : walked;
        walked += "/" + name;
        if (ntfs_inode* exists = ntfs_pathname_to_inode(volume, nullptr, walked.c_str())) {
            ntfs_inode_close(exists);
            continue;
        }
        ntfs_inode* folder = ntfs_pathname_to_inode(volume, nullptr, parent.c_str());
        if (folder == nullptr)
            return ENOENT;
        ntfschar* wide = nullptr;
        const int chars = ntfs_mbstoucs(name.c_str(), &wide);
        ntfs_inode* made = chars > 0 ? ntfs_create(folder, const_cpu_to_le32(0), wide, static_cast<u8>(chars), S_IFDIR)
                                     : nullptr;
        std::free(wide);
        ntfs_inode_close(folder);
        if (made == nullptr)
            return errno ? errno : EIO;
        ntfs_inode_close(made);
    }
    return 0;
}

} // namespace ks_ntfs_file
