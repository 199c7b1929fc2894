#include "SparseDiskInput.h"

#include <cstring>
#include <map>

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include "LittleEndian.h"

namespace {

using SectorMap = std::map<uint64_t, std::vector<uint8_t>>;

uint32_t Crc32(const uint8_t* bytes, size_t length)
{
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), bytes, static_cast<uInt>(length)));
}

// Gives the GPT header at lba the checksums of its entry array and of itself, so that
// mutations reach the entries instead of stopping at the checksum test.
void SealGptHeader(SectorMap& sectors, uint64_t lba)
{
    auto found = sectors.find(lba);
    if (found == sectors.end())
        return;
    uint8_t* header = found->second.data();
    if (std::memcmp(header, "EFI PART", 8) != 0 || LoadLE32(header + 20) != 0)
        return;
    const uint64_t entriesLba = LoadLE64(header + 72);
    const uint32_t count = LoadLE32(header + 80), entryBytes = LoadLE32(header + 84);
    const uint64_t arrayBytes = uint64_t(count) * entryBytes;
    if (arrayBytes > 0 && arrayBytes <= (1u << 20)) {
        std::vector<uint8_t> array(arrayBytes, 0);
        for (uint64_t done = 0; done < arrayBytes; done += 512) {
            auto sector = sectors.find(entriesLba + done / 512);
            if (sector != sectors.end())
                std::memcpy(array.data() + done, sector->second.data(), std::min<uint64_t>(512, arrayBytes - done));
        }
        StoreLE32(header + 88, Crc32(array.data(), array.size()));
    }
    const uint32_t headerBytes = LoadLE32(header + 12);
    if (headerBytes >= 92 && headerBytes <= 512) {
        StoreLE32(header + 16, 0);
        StoreLE32(header + 16, Crc32(header, headerBytes));
    }
}

} // namespace

SparseDiskInput::SparseDiskInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderBytes)
        return;
    sectors_ = kMinSectors + LoadLE32(data) % (kMaxSectors - kMinSectors + 1);
    for (size_t at = kHeaderBytes; at + kRecordBytes <= size; at += kRecordBytes)
        records_.push_back(SparseSector{LoadLE32(data + at) % sectors_, data + at + 4});
}

bool SparseDiskInput::WriteImage(const std::string& path) const
{
    SectorMap sectors;
    for (const SparseSector& r : records_)
        sectors[r.lba].assign(r.bytes, r.bytes + 512);
    SealGptHeader(sectors, 1);
    if (auto primary = sectors.find(1); primary != sectors.end())
        SealGptHeader(sectors, LoadLE64(primary->second.data() + 32));
    SealGptHeader(sectors, sectors_ - 1);

    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    bool ok = ftruncate(fd, static_cast<off_t>(sectors_ * 512)) == 0;
    for (const auto& [lba, bytes] : sectors)
        ok = ok && pwrite(fd, bytes.data(), 512, static_cast<off_t>(lba * 512)) == 512;
    return close(fd) == 0 && ok;
}
