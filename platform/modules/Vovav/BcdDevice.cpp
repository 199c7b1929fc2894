#include "BcdDevice.h"

#include "LittleEndian.h"

namespace {

// The element's layout: a 16-byte GUID of an options object, then the device: its
// type (u32 at 16; 6 a partition), flags, size and a spare word; for a partition
// its offset on the disk (u64 at 32, within a 16-byte field), then the disk: its
// kind (u32 at 48; 0 a local disk), partition style (u32 at 52; 1 MBR) and the MBR
// disk's signature (u32 at 56).
constexpr size_t kDeviceType = 16;
constexpr size_t kPartitionOffset = 32;
constexpr size_t kDiskKind = 48;
constexpr size_t kPartitionStyle = 52;
constexpr size_t kDiskSignature = 56;
constexpr size_t kPartitionElementBytes = 88;

constexpr uint32_t kPartitionDevice = 6;
constexpr uint32_t kLocalDisk = 0;
constexpr uint32_t kMbrStyle = 1;

const unsigned char* Bytes(const std::string& data) { return reinterpret_cast<const unsigned char*>(data.data()); }

} // namespace

bool RewriteBcdPartitionDevice(std::string& element, const BcdPartitionPlace& from, const BcdPartitionPlace& to)
{
    if (element.size() < kPartitionElementBytes)
        return false;
    const unsigned char* data = Bytes(element);
    if (LoadLE32(data + kDeviceType) != kPartitionDevice || LoadLE32(data + kDiskKind) != kLocalDisk ||
        LoadLE32(data + kPartitionStyle) != kMbrStyle)
        return false;
    if (LoadLE32(data + kDiskSignature) != from.signature || LoadLE64(data + kPartitionOffset) != from.offset)
        return false;
    if (from.signature == to.signature && from.offset == to.offset)
        return false;
    auto* bytes = reinterpret_cast<unsigned char*>(&element[0]);
    StoreLE32(bytes + kDiskSignature, to.signature);
    StoreLE64(bytes + kPartitionOffset, to.offset);
    return true;
}
