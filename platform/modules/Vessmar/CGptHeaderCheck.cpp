#include "CGptHeaderCheck.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "LittleEndian.h"

bool CGptHeaderCheck::HeaderIsSane(const unsigned char* sector)
{
    if (std::memcmp(sector, "EFI PART", 8) != 0)
        return true;
    const uint32_t headerBytes = LoadLE32(sector + 12);
    if (headerBytes < 92 || headerBytes > 512)
        return true;
    // Only a header that libfdisk would take, with its checksum right, matters.
    unsigned char header[512];
    std::memcpy(header, sector, 512);
    StoreLE32(header + 16, 0);
    if (crc32(crc32(0, nullptr, 0), header, headerBytes) != LoadLE32(sector + 16))
        return true;
    const uint64_t count = LoadLE32(sector + 80);
    const uint64_t entryBytes = LoadLE32(sector + 84);
    return entryBytes >= 128 && entryBytes % 128 == 0 && count * entryBytes <= kMaxEntryArrayBytes;
}

bool CGptHeaderCheck::EntryArraysAreSane(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return true; // libfdisk reports the unreadable disk itself
    struct stat st;
    off_t end = 0;
    if (fstat(fd, &st) == 0)
        end = S_ISBLK(st.st_mode) ? lseek(fd, 0, SEEK_END) : st.st_size;
    const uint64_t sectors = end > 0 ? static_cast<uint64_t>(end) / 512 : 0;

    // The primary header, the backup where the primary says it lies, and the last
    // sector, where libfdisk looks for a backup when the primary is damaged.
    uint64_t places[3] = {1, 0, sectors > 0 ? sectors - 1 : 0};
    bool sane = true;
    unsigned char sector[512];
    for (int i = 0; i < 3 && sane; ++i) {
        if (places[i] == 0 || places[i] >= sectors)
            continue;
        if (pread(fd, sector, sizeof sector, static_cast<off_t>(places[i] * 512)) != static_cast<ssize_t>(sizeof sector))
            continue;
        sane = HeaderIsSane(sector);
        if (i == 0 && std::memcmp(sector, "EFI PART", 8) == 0)
            places[1] = LoadLE64(sector + 32);
    }
    close(fd);
    return sane;
}
