#include "SetDamage.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "BackupRunner.h"
#include "IKSCofran.h"
#include "KSImageFormat.h"
#include "KSVolume.h"

namespace {
bool ReadAt(const std::string& file, uint64_t pos, unsigned char* out, size_t bytes)
{
    FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr)
        return false;
    const bool read = fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0 && std::fread(out, 1, bytes, f) == bytes;
    std::fclose(f);
    return read;
}

bool TailOf(const std::string& file, _KS_IMG_TAIL& tail)
{
    FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr)
        return false;
    unsigned char bytes[KS_IMG_TAIL_SIZE];
    const bool read = fseeko(f, -static_cast<off_t>(sizeof bytes), SEEK_END) == 0 &&
                      std::fread(bytes, 1, sizeof bytes, f) == sizeof bytes;
    std::fclose(f);
    if (read)
        KSImgTailFromBytes(bytes, tail);
    return read;
}

// The set opened for its block walk, with the volume of that partition open.
std::unique_ptr<IKSCofran, CofranDeleter> OpenVolumeOf(const std::string& file, uint64_t partitionStart,
                                                       _KS_VOLUME& volume)
{
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(file), L"", KS_OPEN_SEQUENTIAL));
    if (set == nullptr)
        return set;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    std::vector<_KS_VOLUME> volumes;
    if (set->GetCofranInfo(&info) == 0) {
        volumes.resize(info.VolumeCount);
        if (volumes.empty() || set->GetVolumes(volumes.data(), info.VolumeCount) != 0)
            volumes.clear();
    }
    for (_KS_VOLUME& v : volumes) {
        if (v.PartitionStart == partitionStart && set->OpenVolume(&v) == 0) {
            volume = v;
            return set;
        }
    }
    set.reset();
    return set;
}
} // namespace

bool FindVolumeBlock(const std::string& file, uint64_t partitionStart, bool compressed, StoredPlace& place)
{
    _KS_IMG_TAIL tail{};
    _KS_VOLUME volume{};
    if (!TailOf(file, tail))
        return false;
    std::unique_ptr<IKSCofran, CofranDeleter> set = OpenVolumeOf(file, partitionStart, volume);
    if (set == nullptr)
        return false;
    std::vector<StoredPlace> found;
    _KS_BLOCK block{};
    while (set->GetNextBlockInfo(&block, 0) == 0) {
        StoredPlace p;
        p.filePos = block.Offset - tail.Base + tail.DataStart;
        p.stored = KSBlockStored(block);
        p.raw = KSBlockClusters(block) * volume.SectorsPerCluster * volume.BytesPerSector;
        if ((p.stored < p.raw) == compressed)
            found.push_back(p);
    }
    set->CloseVolume();
    if (found.empty())
        return false;
    place = found[found.size() / 2];
    return true;
}

unsigned long FirstBlockFailure(const std::string& file, uint64_t partitionStart)
{
    _KS_VOLUME volume{};
    std::unique_ptr<IKSCofran, CofranDeleter> set = OpenVolumeOf(file, partitionStart, volume);
    if (set == nullptr)
        return ~0ul;
    std::vector<unsigned char> buffer(size_t(1023) * volume.SectorsPerCluster * volume.BytesPerSector);
    unsigned long result = 0;
    _KS_BLOCK block{};
    while (result == 0 && set->GetNextBlockInfo(&block, 0) == 0)
        result = set->ReadBlock(&block, buffer.data());
    set->CloseVolume();
    return result;
}

namespace {
// The volume's run index as it lies in the file (it is never compressed nor
// enciphered), with what maps its stream offsets to file positions.
struct RunIndexBytes {
    _KS_IMG_TAIL tail{};
    _KS_VOLUME volume{};
    _KS_RIND_HEAD head{};
    std::vector<unsigned char> bytes;
    uint64_t FilePos(uint64_t streamOffset) const { return streamOffset - tail.Base + tail.DataStart; }
};

bool ReadRunIndex(const std::string& file, uint64_t partitionStart, RunIndexBytes& index)
{
    if (!TailOf(file, index.tail))
        return false;
    std::unique_ptr<IKSCofran, CofranDeleter> set = OpenVolumeOf(file, partitionStart, index.volume);
    if (set == nullptr)
        return false;
    set->CloseVolume();
    index.bytes.resize(index.volume.RunIndexRawSize);
    if (index.bytes.size() < KS_RIND_HEAD_SIZE ||
        !ReadAt(file, index.FilePos(index.volume.RunIndexOffset), index.bytes.data(), index.bytes.size()))
        return false;
    KSRindHeadFromBytes(index.bytes.data(), index.head);
    return index.head.Magic == KS_RIND_MAGIC;
}
} // namespace

bool FindPreVolumeSectors(const std::string& file, uint64_t partitionStart, StoredPlace& place)
{
    RunIndexBytes index;
    if (!ReadRunIndex(file, partitionStart, index) || index.head.PreSectors == 0)
        return false;
    place.filePos = index.FilePos(index.head.PreOffset);
    place.stored = index.head.PreStored;
    place.raw = index.head.PreSectors * index.volume.BytesPerSector;
    return true;
}

bool FindSystemRun(const std::string& file, uint64_t partitionStart, StoredPlace& place)
{
    RunIndexBytes index;
    if (!ReadRunIndex(file, partitionStart, index))
        return false;
    bool found = false;
    for (size_t at = index.head.HeadSize; at + KS_RIND_ENTRY_SIZE <= index.bytes.size(); at += KS_RIND_ENTRY_SIZE) {
        _KS_RIND_ENTRY entry{};
        KSRindEntryFromBytes(index.bytes.data() + at, entry);
        const uint32_t sectors = entry.Length & KS_RUN_LENGTH_MASK;
        if ((entry.Length & KS_RUN_DIRECT) == 0 || (found && sectors * index.volume.BytesPerSector <= place.raw))
            continue;
        place.filePos = index.FilePos(KSRindEntryOffset(entry));
        place.stored = entry.Stored;
        place.raw = sectors * index.volume.BytesPerSector;
        found = true;
    }
    return found;
}

bool FindIndexChunk(const std::string& file, uint64_t partitionStart, bool compressed, StoredPlace& place)
{
    RunIndexBytes index;
    if (!ReadRunIndex(file, partitionStart, index))
        return false;
    for (size_t at = index.head.HeadSize; at + KS_RIND_ENTRY_SIZE <= index.bytes.size(); at += KS_RIND_ENTRY_SIZE) {
        _KS_RIND_ENTRY entry{};
        KSRindEntryFromBytes(index.bytes.data() + at, entry);
        if ((entry.Length & KS_RUN_DIRECT) != 0 || (entry.Stored < KS_INDEX_CHUNK_SIZE) != compressed)
            continue;
        place.filePos = index.FilePos(KSRindEntryOffset(entry));
        place.stored = entry.Stored;
        place.raw = KS_INDEX_CHUNK_SIZE;
        unsigned char head[KS_INDX_HEAD_SIZE];
        if (compressed)
            return true;
        if (!ReadAt(file, place.filePos, head, sizeof head))
            return false;
        _KS_INDX_HEAD indx{};
        KSIndxHeadFromBytes(head, indx);
        if (indx.Used >= indx.FirstEntry + 3 * KS_BLOCK_SIZE)
            return true;
    }
    return false;
}

bool FlipByte(const std::string& file, uint64_t pos, uint8_t mask)
{
    FILE* f = std::fopen(file.c_str(), "r+b");
    if (f == nullptr)
        return false;
    const off_t at = static_cast<off_t>(pos);
    int byte = EOF;
    bool done = fseeko(f, at, SEEK_SET) == 0 && (byte = std::fgetc(f)) != EOF;
    done = done && fseeko(f, at, SEEK_SET) == 0 && std::fputc(byte ^ mask, f) != EOF;
    return std::fclose(f) == 0 && done;
}

bool FlipMiddleByte(const std::string& file, const StoredPlace& place)
{
    return FlipByte(file, place.filePos + place.stored / 2, 0xFF);
}

std::string CopySetFile(const std::string& file, const std::string& folder)
{
    const std::string name = file.substr(file.rfind('/') + 1);
    const std::string copy = folder + "/" + name;
    const std::string command = "rm -rf '" + folder + "' && mkdir -p '" + folder + "' && cp '" + file + "' '" + copy + "'";
    return std::system(command.c_str()) == 0 ? copy : std::string();
}
