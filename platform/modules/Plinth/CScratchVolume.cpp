#include "CScratchVolume.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
constexpr uint64_t kScratchSector = 512;
constexpr uint64_t kScratchChunkSectors = 2048; // 1 MiB

bool AllZero(const unsigned char* data, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

bool Told(IScratchWatch* watch, uint64_t done, uint64_t total)
{
    return watch == nullptr || watch->Tick(done, total);
}
}

CScratchVolume::~CScratchVolume()
{
    if (fd_ >= 0)
        close(fd_);
    if (!path_.empty())
        unlink(path_.c_str());
}

bool CScratchVolume::Create(const char* folder, uint64_t sectors)
{
    std::string where = folder != nullptr && *folder != '\0' ? folder : "";
    if (where.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        where = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    }
    std::string name = where + "/rvd-volume-XXXXXX";
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    fd_ = mkstemp(text.data());
    if (fd_ < 0)
        return false;
    path_ = text.data();
    return Resize(sectors);
}

bool CScratchVolume::Resize(uint64_t sectors)
{
    if (fd_ < 0 || ftruncate(fd_, off_t(sectors * kScratchSector)) != 0)
        return false;
    sectors_ = sectors;
    return true;
}

bool CScratchVolume::Read(void* buffer, uint64_t sector, uint64_t count)
{
    if (fd_ < 0 || sector > sectors_ || count > sectors_ - sector)
        return false;
    const size_t bytes = size_t(count * kScratchSector);
    auto* out = static_cast<unsigned char*>(buffer);
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = pread(fd_, out + done, bytes - done, off_t(sector * kScratchSector + done));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool CScratchVolume::Write(const void* data, uint64_t sector, uint64_t count)
{
    if (fd_ < 0 || sector > sectors_ || count > sectors_ - sector)
        return false;
    const size_t bytes = size_t(count * kScratchSector);
    const auto* in = static_cast<const unsigned char*>(data);
    for (size_t done = 0; done < bytes;) {
        const ssize_t n = pwrite(fd_, in + done, bytes - done, off_t(sector * kScratchSector + done));
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

CScratchVolume::Outcome CScratchVolume::CopyAllFrom(IDevice& device, uint64_t count, IScratchWatch* watch)
{
    std::vector<unsigned char> chunk(kScratchChunkSectors * kScratchSector);
    for (uint64_t done = 0; done < count;) {
        if (!Told(watch, done, count))
            return kCancelled;
        const uint64_t n = std::min(kScratchChunkSectors, count - done);
        if (device.ReadSector(chunk.data(), static_cast<long long>(done), static_cast<long long>(n)) == 0)
            return kReadFailed;
        if (!AllZero(chunk.data(), size_t(n * kScratchSector)) && !Write(chunk.data(), done, n))
            return kWriteFailed;
        done += n;
    }
    return kDone;
}

CScratchVolume::Outcome CScratchVolume::CopyUsedFrom(const KSVolumeSource& source, IScratchWatch* watch)
{
    const uint64_t spc = source.sectorsPerCluster;
    if (source.device == nullptr || spc == 0 || spc > kScratchChunkSectors || source.dataStart > source.volumeSectors)
        return kReadFailed;
    std::vector<unsigned char> chunk(kScratchChunkSectors * kScratchSector);
    // The system area below the data area: every sector.
    for (uint64_t done = 0; done < source.dataStart;) {
        const uint64_t n = std::min(kScratchChunkSectors, source.dataStart - done);
        if (source.device->ReadSector(chunk.data(), static_cast<long long>(done), static_cast<long long>(n)) == 0)
            return kReadFailed;
        if (!AllZero(chunk.data(), size_t(n * kScratchSector)) && !Write(chunk.data(), done, n))
            return kWriteFailed;
        done += n;
    }
    // The clusters in use, contiguous ones read together.
    const uint64_t clusters = std::min(source.bitmapBytes * 8, (source.volumeSectors - source.dataStart) / spc);
    const uint64_t perChunk = kScratchChunkSectors / spc;
    auto used = [&](uint64_t c) { return (source.bitmap[c / 8] >> (c % 8)) & 1; };
    for (uint64_t c = 0; c < clusters;) {
        if (!used(c)) {
            ++c;
            continue;
        }
        uint64_t run = 1;
        while (c + run < clusters && run < perChunk && used(c + run))
            ++run;
        if (!Told(watch, c, clusters))
            return kCancelled;
        const uint64_t sector = source.dataStart + c * spc;
        if (source.device->ReadSector(chunk.data(), static_cast<long long>(sector),
                                      static_cast<long long>(run * spc)) == 0)
            return kReadFailed;
        if (!Write(chunk.data(), sector, run * spc))
            return kWriteFailed;
        c += run;
    }
    return kDone;
}

CScratchVolume::Outcome CScratchVolume::WriteInto(IDevice& target, uint64_t count, bool onlyChanged)
{
    if (count > sectors_)
        return kWriteFailed;
    std::vector<unsigned char> chunk(kScratchChunkSectors * kScratchSector);
    std::vector<unsigned char> there(onlyChanged ? chunk.size() : 0);
    const off_t end = off_t(count * kScratchSector);
    // Data stretches only: a hole stands for sectors that nobody needs written.
    for (off_t at = 0; at < end;) {
        off_t data = lseek(fd_, at, SEEK_DATA);
        if (data < 0 || data >= end)
            break;
        off_t hole = lseek(fd_, data, SEEK_HOLE);
        if (hole < 0 || hole > end)
            hole = end;
        uint64_t sector = uint64_t(data) / kScratchSector;
        const uint64_t stop = (uint64_t(hole) + kScratchSector - 1) / kScratchSector;
        while (sector < stop) {
            const uint64_t n = std::min(kScratchChunkSectors, stop - sector);
            if (!Read(chunk.data(), sector, n))
                return kReadFailed;
            const uint64_t from = sector == 0 ? 1 : 0; // the first sector goes last
            const size_t skip = size_t(from * kScratchSector), bytes = size_t(n * kScratchSector);
            bool same = false;
            if (onlyChanged && n > from) {
                same = target.ReadSector(there.data(), static_cast<long long>(sector + from),
                                         static_cast<long long>(n - from)) != 0 &&
                       std::memcmp(there.data(), chunk.data() + skip, bytes - skip) == 0;
            }
            if (!same && n > from &&
                target.WriteSector(chunk.data() + skip, static_cast<long long>(sector + from),
                                   static_cast<long long>(n - from)) == 0)
                return kWriteFailed;
            sector += n;
        }
        at = hole;
    }
    if (!Read(chunk.data(), 0, 1))
        return kReadFailed;
    return target.WriteSector(chunk.data(), 0, 1) != 0 ? kDone : kWriteFailed;
}
