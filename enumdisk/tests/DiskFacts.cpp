#include "DiskFacts.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "CommandOutput.h"
#include "KSFSSupport.h"
#include "KSResult.h"
#include "LittleEndian.h"

namespace {


// The text after "key": in one JSON object, without quotes.
std::string JsonValue(const std::string& object, const char* key)
{
    const std::string quoted = std::string("\"") + key + "\":";
    size_t at = object.find(quoted);
    if (at == std::string::npos)
        return std::string();
    at += quoted.size();
    while (at < object.size() && (object[at] == ' ' || object[at] == '"'))
        ++at;
    size_t end = at;
    while (end < object.size() && object[end] != '"' && object[end] != ',' && object[end] != '\n' && object[end] != '}')
        ++end;
    return object.substr(at, end - at);
}

bool ReadSector(int fd, unsigned long long sector, unsigned char* out)
{
    return pread(fd, out, 512, static_cast<off_t>(sector * 512)) == 512;
}

struct Reach {
    int fd;
    unsigned long long start, count;
};

unsigned long ReadVolume(void* context, unsigned long long first, unsigned long count, void* buffer)
{
    const Reach* reach = static_cast<const Reach*>(context);
    if (first + count > reach->count)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    const size_t bytes = static_cast<size_t>(count) * 512;
    if (pread(reach->fd, buffer, bytes, static_cast<off_t>((reach->start + first) * 512)) != static_cast<ssize_t>(bytes))
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    return 0;
}

unsigned long Ignore(void*, unsigned long long, unsigned long, void*, unsigned long) { return 0; }

} // namespace

std::vector<SfdiskPartition> SfdiskPartitions(const std::string& image)
{
    std::vector<SfdiskPartition> partitions;
    const std::string json = CommandOutput("sfdisk --json '" + image + "' 2>/dev/null");
    size_t at = json.find("\"partitions\"");
    while (at != std::string::npos && (at = json.find('{', at)) != std::string::npos) {
        const size_t end = json.find('}', at);
        const std::string object = json.substr(at, end - at);
        SfdiskPartition p;
        const std::string node = JsonValue(object, "node");
        // The node is the image's name, a "p" when that name ends in a digit, and the number.
        std::string number = node.compare(0, image.size(), image) == 0 ? node.substr(image.size()) : node;
        if (!number.empty() && number[0] == 'p')
            number.erase(0, 1);
        p.number = static_cast<unsigned>(std::atoi(number.c_str()));
        p.start = std::strtoull(JsonValue(object, "start").c_str(), nullptr, 10);
        p.size = std::strtoull(JsonValue(object, "size").c_str(), nullptr, 10);
        p.type = static_cast<unsigned>(std::strtoul(JsonValue(object, "type").c_str(), nullptr, 16));
        p.bootable = JsonValue(object, "bootable") == "true";
        partitions.push_back(p);
        at = end;
    }
    return partitions;
}

std::string Blkid(const std::string& image, unsigned long long sector, const char* tag)
{
    std::string out = CommandOutput("blkid -p -o value -s " + std::string(tag) + " -O " + std::to_string(sector * 512) + " '" +
                          image + "' 2>/dev/null");
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::map<unsigned long long, unsigned long long> LogicalOffsets(const std::string& image)
{
    std::map<unsigned long long, unsigned long long> offsets;
    const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
    unsigned char sector[512];
    unsigned long long extended = 0;
    if (fd >= 0 && ReadSector(fd, 0, sector))
        for (int i = 0; i < 4; ++i)
            if (sector[446 + 16 * i + 4] == 0x05 || sector[446 + 16 * i + 4] == 0x0F)
                extended = LoadLE32(sector + 446 + 16 * i + 8);
    unsigned long long record = extended;
    for (int guard = 0; extended != 0 && guard < 128 && ReadSector(fd, record, sector); ++guard) {
        const unsigned long long relative = LoadLE32(sector + 446 + 8);
        if (sector[446 + 4] != 0)
            offsets[record + relative] = relative;
        const unsigned long long next = LoadLE32(sector + 446 + 16 + 8);
        if (sector[446 + 16 + 4] == 0 || next == 0)
            break;
        record = extended + next;
    }
    if (fd >= 0)
        close(fd);
    return offsets;
}

unsigned long long ReaderUsedSectors(const std::string& image, unsigned long long start, unsigned long long count)
{
    const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    unsigned long long used = 0;
    for (auto factory : {KSCreateObjectFsFat, KSCreateObjectFsNt}) {
        void* object = nullptr;
        if (KSFailed(factory(1, 4, &object)) || object == nullptr)
            continue;
        IKSFSSupport* reader = static_cast<IKSFSSupport*>(object);
        Reach reach{fd, start, count};
        _KS_VOLUME volume;
        std::memset(&volume, 0, sizeof(volume));
        if (KSSucceeded(reader->InitFileSystem(ReadVolume, Ignore, &reach)) &&
            KSSucceeded(reader->GetVolumeInfo(&volume)) && volume.BitmapSize != 0) {
            std::vector<unsigned char> bitmap(volume.BitmapSize);
            unsigned long long firstBit = 0;
            unsigned long bits = volume.BitmapSize * 8ul;
            if (KSSucceeded(reader->GetBitMap(bitmap.data(), &firstBit, &bits))) {
                const bool fat = volume.FileSystem != KS_FS_NTFS;
                unsigned long long area = fat ? volume.ReservedSectors +
                                                    static_cast<unsigned long long>(volume.NumberOfFats) * volume.SectorsPerFat +
                                                    volume.RootDirSectors
                                              : 0;
                const unsigned long long clusters = volume.TotalSectors / volume.SectorsPerCluster;
                for (unsigned long long bit = 0; bit < clusters && bit < bits; ++bit)
                    if ((bitmap[bit / 8] >> (bit % 8)) & 1)
                        area += volume.SectorsPerCluster;
                used = area;
            }
        }
        reader->Release();
        if (used != 0)
            break;
    }
    close(fd);
    return used;
}

unsigned BootSectorSectorsPerCluster(const std::string& image, unsigned long long start)
{
    const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
    unsigned char sector[512];
    unsigned value = 0;
    if (fd >= 0 && ReadSector(fd, start, sector))
        value = sector[13];
    if (fd >= 0)
        close(fd);
    return value;
}

unsigned long long BootSectorHiddenSectors(const std::string& image, unsigned long long start)
{
    const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
    unsigned char sector[512];
    unsigned long long value = 0;
    if (fd >= 0 && ReadSector(fd, start, sector))
        value = LoadLE32(sector + 28);
    if (fd >= 0)
        close(fd);
    return value;
}
