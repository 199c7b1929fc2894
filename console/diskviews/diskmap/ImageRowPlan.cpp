#include "ImageRowPlan.h"

#include <cstring>
#include <set>
#include <string>

#include "BlockWidthRule.h"
#include "PartitionRules.h"

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool OnImageDisk(const _KS_VOLUME& v, int disk)
{
    return static_cast<int>(v.DiskNumber) == disk;
}

} // namespace

void ImageLabelToName(const char16_t* label, size_t units, char* name, size_t nameSize)
{
    if (nameSize == 0)
        return;
    std::memset(name, 0, nameSize);
    std::string out;
    for (size_t i = 0; i < units && label[i] != 0; ++i) {
        char32_t c = label[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && label[i + 1] >= 0xDC00 && label[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (label[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        std::string one;
        AppendUtf8(one, c);
        if (out.size() + one.size() > nameSize - 1)
            break; // never half a character
        out += one;
    }
    std::memcpy(name, out.data(), out.size());
}

std::vector<int> ImageRowDisks(const _KS_VOLUME* records, int count)
{
    std::set<int> disks;
    for (int i = 0; i < count; ++i)
        disks.insert(records[i].DiskNumber);
    return std::vector<int>(disks.begin(), disks.end());
}

unsigned long long ImageRowSectors(const _KS_VOLUME* records, int count, int disk)
{
    unsigned long long sum = 0;
    for (int i = 0; i < count; ++i)
        if (OnImageDisk(records[i], disk))
            sum += records[i].TotalSectors;
    return sum;
}

__PARTITION_INFO_CMD ImageVolumeRecord(const _KS_VOLUME& volume)
{
    __PARTITION_INFO_CMD record;
    std::memset(&record, 0, sizeof(record));
    ImageLabelToName(volume.Label, sizeof(volume.Label) / sizeof(volume.Label[0]), record.VolumeLabel,
                     sizeof(record.VolumeLabel));
    // Letter indexes past 'Z', and 0 (A:, which the backup records for a volume
    // without a letter), mean the volume had none.
    record.DriveLetter =
        volume.DriveLetter >= 1 && volume.DriveLetter < 26 ? static_cast<char>('A' + volume.DriveLetter) : 0;
    record.PartitionType = volume.PartitionType;
    record.Flags = volume.Flags;
    record.SectorCount = volume.TotalSectors;
    record.UsedSectors = volume.UsedSectors;
    record.StartSector = volume.PartitionStart;
    record.FileSystemType = GetFileSysTypeFromVoltype(volume.FileSystem);
    return record;
}

MapRow PlanImageRow(const _KS_VOLUME* records, int count, int disk, int width)
{
    unsigned long long n = 0;
    int lastIndex = -1;
    for (int i = 0; i < count; ++i)
        if (OnImageDisk(records[i], disk)) {
            ++n;
            lastIndex = i;
        }
    BlockWidthRule rule(width, n, ImageRowSectors(records, count, disk));
    MapRow row;
    for (int i = 0; i < count; ++i) {
        if (!OnImageDisk(records[i], disk))
            continue;
        const long long sectors = static_cast<long long>(records[i].TotalSectors);
        row.push_back({ImageVolumeRecord(records[i]), rule.Next(sectors, i == lastIndex)});
    }
    return row;
}
