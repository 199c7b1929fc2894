// The volume reader: opening a volume of the open set and walking its blocks.
#include <cstring>
#include <initializer_list>

#include "CofranVolumeReader.h"
#include "CofranResult.h"
#include "ImageNaming.h"
#include "VolumeGeometry.h"
#include "crc64.h"

namespace {
constexpr size_t kCacheSlots = 64;
constexpr uint32_t kMinBufferSectors = 8192;
constexpr uint64_t kLargestSectorBuffer = 64ull << 20;
// The FAT of the largest FAT32 volume: 2^28 entries of 4 bytes.
constexpr uint64_t kLargestRun = 1ull << 30;
constexpr uint32_t kLargestRunIndex = 256u << 20;
} // namespace

CofranVolumeReader::CofranVolumeReader(CofranSession& session, ImageFileReader& file, CofranSetFiles& setFiles)
    : session_(session), file_(file), setFiles_(setFiles)
{
    std::memset(&lastBlock_, 0, sizeof lastBlock_);
    std::memset(&curVol_, 0, sizeof curVol_);
    std::memset(&rRunHead_, 0, sizeof rRunHead_);
}

unsigned long CofranVolumeReader::ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out,
                                             uint32_t raw)
{
    unsigned long rc = ImageFileReader::CheckStoredSize(stored, raw);
    if (KSSucceeded(rc))
        rc = setFiles_.SwitchFor(offset);
    return KSFailed(rc) ? rc : file_.ReadStored(offset, stored, group, out, raw);
}

bool CofranVolumeReader::RunEntry(uint32_t position, _KS_RIND_ENTRY& entry) const
{
    if (uint64_t(position) + KS_RIND_ENTRY_SIZE > rRun_.size())
        return false;
    KSRindEntryFromBytes(rRun_.data() + position, entry);
    return true;
}

uint32_t CofranVolumeReader::ChunkUsed(const unsigned char* chunk) const
{
    // A damaged used length must not lead the walk out of the chunk.
    const uint32_t used = LoadLE32(chunk + 8);
    return used > KS_INDEX_CHUNK_SIZE ? KS_INDEX_CHUNK_SIZE : used;
}

unsigned long CofranVolumeReader::BlockRawSize(const _KS_BLOCK& block, uint32_t* raw) const
{
    const uint64_t bytes = uint64_t(KSBlockClusters(block)) * VolumeGeometry::ClusterBytes(curVol_);
    if (bytes == 0 || bytes > VolumeGeometry::kLargestBlockBytes)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    *raw = static_cast<uint32_t>(bytes);
    return 0;
}

unsigned long CofranVolumeReader::ReadBlockInto(const _KS_BLOCK& block, unsigned char* out)
{
    uint32_t raw = 0;
    const unsigned long rc = BlockRawSize(block, &raw);
    if (KSFailed(rc))
        return rc;
    return ReadStored(block.Offset, KSBlockStored(block), KS_GROUP_DATA, out, raw);
}

unsigned long CofranVolumeReader::ReadCheckedBlock(const _KS_BLOCK& block, unsigned char* out)
{
    // A block kept without compression passes the codec with any damage it took:
    // its CRC-64 is checked before a caller writes the bytes anywhere.
    uint32_t raw = 0;
    unsigned long rc = BlockRawSize(block, &raw);
    if (KSSucceeded(rc))
        rc = ReadBlockInto(block, out);
    if (KSFailed(rc))
        return rc;
    uint64_t crc = 0;
    crc64(out, raw, &crc);
    return crc == block.Crc ? 0 : COFRAN_FAIL(KS_KIND_BAD_DATA);
}

unsigned long CofranVolumeReader::ReadIndexChunk(const _KS_RIND_ENTRY& entry, unsigned char* out)
{
    // A chunk places every block it lists: with a cluster number changed in a chunk
    // kept without compression, a block and its CRC-64 still agree but would be
    // written over other clusters. The chunk's own CRC-64 tells.
    const unsigned long rc = ReadStored(KSRindEntryOffset(entry), entry.Stored, KS_GROUP_INDEX, out, KS_INDEX_CHUNK_SIZE);
    if (KSFailed(rc))
        return rc;
    uint64_t crc = 0;
    crc64(out, KS_INDEX_CHUNK_SIZE, &crc);
    if (crc != KSRindEntryCrc(entry) || LoadLE32(out) != KS_INDX_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    return 0;
}

uint64_t CofranVolumeReader::LargestStoredRun(uint32_t bytesPerSector) const
{
    uint64_t largest = 0;
    auto consider = [&](uint64_t sectors, uint32_t stored) {
        const uint64_t bytes = sectors * bytesPerSector;
        // zlib inflates by at most about 1:1032: a longer run is damaged, and
        // reading it fails as bad data instead of sizing the buffer.
        if (bytes <= kLargestRun && bytes <= uint64_t(stored) * 1040 + 1024 && bytes > largest)
            largest = bytes;
    };
    consider(rRunHead_.PreSectors, rRunHead_.PreStored);
    _KS_RIND_ENTRY entry;
    for (uint32_t at = rRunHead_.HeadSize; at != 0 && RunEntry(at, entry); at += KS_RIND_ENTRY_SIZE)
        if ((entry.Length & KS_RUN_DIRECT) != 0)
            consider(entry.Length & KS_RUN_LENGTH_MASK, entry.Stored);
    return largest;
}

// Reads a run index from the file of the set that holds it, then goes back to the
// file the caller opened, whose blocks it walks.
unsigned long CofranVolumeReader::ReadRunIndexElsewhere(uint64_t offset, uint32_t size)
{
    CofranText back;
    if (!back.assign(file_.Path()))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    unsigned long rc = setFiles_.OpenFileHolding(offset);
    if (!KSFailed(rc))
        rc = file_.Holds(offset, size) ? file_.ReadBytes(file_.FilePosition(offset), rRun_.data(), size)
                                       : COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (file_.Path() != back) {
        const unsigned long reopened = file_.Open(back.c_str());
        if (KSFailed(reopened) && !KSFailed(rc))
            rc = reopened;
    }
    return rc;
}

unsigned long CofranVolumeReader::OpenVolume(_KS_VOLUME* volume)
{
    if (volume == nullptr || volume->Magic != KS_VOLUME_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (volume->BytesPerSector == 0 || volume->BytesPerSector % 512 != 0 || volume->SectorsPerCluster == 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    CloseVolume();
    // Sectors are a few KiB; a damaged size must not reach the buffers below.
    if (uint64_t(kMinBufferSectors) * volume->BytesPerSector > kLargestSectorBuffer)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);

    unsigned long rc;
    const bool empty = volume->RunIndexRawSize == 0;
    // A volume that ran on into later files has its run index in the last of them;
    // the earlier files list it as it stood when they were closed.
    const bool indexAnywhere = (session_.openMode & KS_OPEN_INDEX_ANY_FILE) != 0 &&
                               session_.Use() != KS_OPEN_BACKUP && !session_.DiscSet();
    bool indexElsewhere = false;
    if (!empty && !file_.Holds(volume->RunIndexOffset, volume->RunIndexRawSize)) {
        CofranBuffer<_KS_VOLUME> list;
        if (KSFailed(rc = file_.LoadVolumes(list)))
            return rc;
        bool listed = false;
        for (const _KS_VOLUME& v : list) {
            if (v.VolumeNumber != volume->VolumeNumber)
                continue;
            listed = true;
            if (!indexAnywhere || (v.RunIndexRawSize != 0 && file_.Holds(v.RunIndexOffset, v.RunIndexRawSize))) {
                volume->RunIndexOffset = v.RunIndexOffset;
                volume->RunIndexRawSize = v.RunIndexRawSize;
                volume->RunIndexStoredSize = v.RunIndexStoredSize;
            }
        }
        if (!file_.Holds(volume->RunIndexOffset, volume->RunIndexRawSize)) {
            // Only a volume this file lists has blocks here.
            if (!indexAnywhere || !listed)
                return COFRAN_FAIL(KS_KIND_OTHER_FILE);
            indexElsewhere = true;
        }
    }

    const uint32_t rawSize = volume->RunIndexRawSize;
    std::memset(&rRunHead_, 0, sizeof rRunHead_);
    if (rawSize > kLargestRunIndex)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    rRun_.clear();
    if (!rRun_.resize(rawSize))
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    if (!empty) {
        // Run indexes are stored raw.
        if (rawSize < KS_RIND_HEAD_SIZE)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        rc = indexElsewhere ? ReadRunIndexElsewhere(volume->RunIndexOffset, rawSize)
                            : file_.ReadBytes(file_.FilePosition(volume->RunIndexOffset), rRun_.data(), rawSize);
        if (KSFailed(rc)) {
            rRun_.clear();
            return rc;
        }
        KSRindHeadFromBytes(rRun_.data(), rRunHead_);
        if (rRunHead_.Magic != KS_RIND_MAGIC || rRunHead_.VolumeNumber != volume->VolumeNumber ||
            rRunHead_.HeadSize < KS_RIND_HEAD_SIZE || rRunHead_.HeadSize > rawSize) {
            rRun_.clear();
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        }
        rRunPos_ = rRunHead_.HeadSize;
        if (session_.Use() == KS_OPEN_BACKUP && rRunHead_.FirstMaskedEntry != 0) {
            if (rRunHead_.FirstMaskedEntry < rRunHead_.HeadSize) {
                rRun_.clear();
                return COFRAN_FAIL(KS_KIND_BAD_DATA);
            }
            rRunPos_ = rRunHead_.FirstMaskedEntry;
        }
    } else {
        rRunHead_.HeadSize = 0;
        rRunPos_ = 0;
    }
    rFindPos_ = rRunHead_.HeadSize;

    // Room for the largest run the volume can hold: the pre-volume sectors, the
    // reserved sectors, a FAT or the root directory, and always one whole block.
    uint64_t sectors = kMinBufferSectors;
    for (uint64_t n : {uint64_t(volume->PreVolumeSectors), uint64_t(volume->ReservedSectors),
                       uint64_t(volume->RootDirSectors), uint64_t(volume->SectorsPerFat)})
        if (n > sectors)
            sectors = n;
    uint64_t bytes = sectors * volume->BytesPerSector;
    if (bytes < VolumeGeometry::kLargestBlockBytes)
        bytes = VolumeGeometry::kLargestBlockBytes;
    if (bytes > kLargestSectorBuffer) {
        // A FAT of a large FAT32 volume passes this size. The record alone must not
        // size the buffer (a damaged one would ask for gigabytes): take the runs
        // that are really stored, as far as their stored bytes can hold them.
        bytes = kLargestSectorBuffer;
        const uint64_t runs = LargestStoredRun(volume->BytesPerSector);
        if (runs > bytes)
            bytes = runs;
    }
    const bool manySlots = session_.Use() == KS_OPEN_RANDOM || (session_.Use() == KS_OPEN_BACKUP && session_.DiscSet());
    if (bytes > SIZE_MAX || !sectorBuffer_.Allocate(static_cast<size_t>(bytes))) {
        rRun_.clear();
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    sectorBytes_ = bytes;
    if (!cache_.Allocate(manySlots ? kCacheSlots : 1, KS_INDEX_CHUNK_SIZE)) {
        CloseVolume();
        return COFRAN_FAIL(KS_KIND_NO_MEMORY);
    }
    curVol_ = *volume;
    curVolume_ = volume->VolumeNumber;
    return 0;
}

void CofranVolumeReader::DropTempFile()
{
    if (tempFile_.IsOpen()) {
        tempFile_.Close();
        DeleteFileW(tempPath_.c_str());
    }
    tempPath_.clear();
    tempSize_ = 0;
    movedChunks_.release();
}

unsigned long CofranVolumeReader::CloseVolume()
{
    curVolume_ = -1;
    std::memset(&curVol_, 0, sizeof curVol_);
    rRun_.release();
    std::memset(&rRunHead_, 0, sizeof rRunHead_);
    rRunPos_ = 0;
    rFindPos_ = 0;
    walkChunk_ = nullptr;
    walkPos_ = 0;
    walkBuffer_.release();
    cache_.Clear();
    age_ = 0;
    sectorBuffer_.reset();
    sectorBytes_ = 0;
    heldKind_ = kHeldNone;
    verified_.clear();
    DropTempFile();
    setFiles_.Forget();
    file_.ReleaseBuffers();
    return 0;
}

unsigned long CofranVolumeReader::GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved)
{
    if (block == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen() || !VolumeOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const unsigned long use = session_.Use();
    if (reserved != 0 || use == KS_OPEN_RANDOM || use > KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    std::memset(&lastBlock_, 0, sizeof lastBlock_);

    for (;;) {
        if (walkChunk_ == nullptr) {
            _KS_RIND_ENTRY entry;
            uint32_t position = rRunPos_;
            for (;; position += KS_RIND_ENTRY_SIZE) {
                if (!RunEntry(position, entry))
                    return COFRAN_FAIL(KS_KIND_OTHER_FILE); // the rest lies in another file
                if ((entry.Length & KS_RUN_DIRECT) != 0 || MovedChunkAt(position) != nullptr)
                    continue;
                if (entry.First == KS_RUN_OPEN_CLUSTER)
                    return COFRAN_FAIL(KS_KIND_BAD_DATA);
                if (use != KS_OPEN_BACKUP && !file_.Holds(KSRindEntryOffset(entry), entry.Stored))
                    continue;
                break;
            }
            if (!walkBuffer_.resize(KS_INDEX_CHUNK_SIZE))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            const unsigned long rc = ReadIndexChunk(entry, walkBuffer_.data());
            if (KSFailed(rc))
                return rc;
            walkChunk_ = walkBuffer_.data();
            walkPos_ = LoadLE32(walkBuffer_.data() + 4);
            rRunPos_ = position + KS_RIND_ENTRY_SIZE;
        }
        const uint32_t used = ChunkUsed(walkChunk_);
        while (uint64_t(walkPos_) + KS_BLOCK_SIZE <= used) {
            _KS_BLOCK b;
            KSBlockFromBytes(walkChunk_ + walkPos_, b);
            walkPos_ += KS_BLOCK_SIZE;
            if (use != KS_OPEN_BACKUP && !file_.Holds(b.Offset, 1))
                continue;
            *block = b;
            lastBlock_ = b;
            return 0;
        }
        walkChunk_ = nullptr;
    }
}

unsigned long CofranVolumeReader::ReadBlock(const _KS_BLOCK* block, void* buffer)
{
    if (block == nullptr || buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen() || !VolumeOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const unsigned long use = session_.Use();
    if (use == KS_OPEN_RANDOM || use > KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    return ReadCheckedBlock(*block, static_cast<unsigned char*>(buffer));
}

unsigned long CofranVolumeReader::CheckNextBlock(_KS_BLOCK* block)
{
    if (block == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    unsigned long rc = GetNextBlockInfo(block, 0);
    if (KSFailed(rc))
        return rc;
    heldKind_ = kHeldNone;
    uint32_t raw = 0;
    if (KSFailed(rc = BlockRawSize(*block, &raw)) || raw > sectorBytes_)
        return KSFailed(rc) ? rc : COFRAN_FAIL(KS_KIND_BAD_DATA);
    return ReadCheckedBlock(*block, sectorBuffer_.get());
}
