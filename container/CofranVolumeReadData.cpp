// Reading a volume by cluster and by sector, with the index-chunk cache and the
// index temp file of disc sets.
#include <algorithm>
#include <cstring>

#include "CofranVolumeReader.h"
#include "CofranResult.h"
#include "ImageNaming.h"
#include "VolumeGeometry.h"
#include "crc64.h"

namespace {
constexpr uint32_t kMaxTempNames = 10000;
} // namespace

unsigned long CofranVolumeReader::SaveChunkToTemp(IndexChunkCache::Slot& slot)
{
    if (session_.tempFolder.empty())
        return 0; // nowhere to keep it: the chunk is read from the image again
    if (!tempFile_.IsOpen()) {
        for (uint32_t n = 0; n < kMaxTempNames; ++n) {
            CofranText name;
            if (!ImageNaming::IndexTempName(session_.tempFolder, n, name))
                return 0; // no memory for a name: the chunk is read from the image again
            if (tempFile_.CreateNew(name.c_str())) {
                tempPath_ = static_cast<CofranText&&>(name);
                tempSize_ = 0;
                break;
            }
            if (CofranFile::LastError() != ERROR_ALREADY_EXISTS && CofranFile::LastError() != ERROR_FILE_EXISTS)
                return 0;
        }
        if (!tempFile_.IsOpen())
            return 0;
    }
    uint32_t done = 0;
    if (!tempFile_.WriteAt(tempSize_, slot.chunk.data(), KS_INDEX_CHUNK_SIZE, &done) || done != KS_INDEX_CHUNK_SIZE)
        return 0;
    // Kept sorted by position; without memory for the note the chunk is simply read
    // from the image again.
    size_t at = 0;
    while (at < movedChunks_.size() && movedChunks_[at].runPosition < slot.runPosition)
        ++at;
    if (movedChunks_.insert(at, MovedChunk{slot.runPosition, tempSize_}))
        tempSize_ += KS_INDEX_CHUNK_SIZE;
    return 0;
}

const CofranVolumeReader::MovedChunk* CofranVolumeReader::MovedChunkAt(uint32_t runPosition) const
{
    size_t low = 0;
    size_t high = movedChunks_.size();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (movedChunks_[mid].runPosition < runPosition)
            low = mid + 1;
        else
            high = mid;
    }
    return low < movedChunks_.size() && movedChunks_[low].runPosition == runPosition ? &movedChunks_[low] : nullptr;
}

unsigned long CofranVolumeReader::VerifyOnce(uint64_t offset, const unsigned char* raw, uint64_t bytes, uint64_t crc)
{
    // Damage in a block kept without compression passes the codec unnoticed: its
    // CRC-64 is the only guard before the bytes reach a restored disk.
    if (verified_.Contains(offset))
        return 0;
    uint64_t got = 0;
    crc64(raw, static_cast<unsigned long>(bytes), &got);
    if (got != crc)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    // Without memory for the note the run is only checked again next time.
    const bool noted = verified_.Insert(offset);
    (void)noted;
    return 0;
}

unsigned long CofranVolumeReader::LoadChunk(uint32_t position, const _KS_RIND_ENTRY& entry, const unsigned char** chunk)
{
    if (IndexChunkCache::Slot* hit = cache_.Find(position)) {
        hit->age = ++age_;
        *chunk = hit->chunk.data();
        return 0;
    }
    IndexChunkCache::Slot& slot = cache_.Victim();
    if (session_.DiscSet() && slot.runPosition != 0 && MovedChunkAt(slot.runPosition) == nullptr)
        SaveChunkToTemp(slot);
    slot.runPosition = 0;
    unsigned long rc;
    if (const MovedChunk* moved = MovedChunkAt(position)) {
        uint32_t done = 0;
        if (!tempFile_.ReadAt(moved->tempOffset, slot.chunk.data(), KS_INDEX_CHUNK_SIZE, &done) ||
            done != KS_INDEX_CHUNK_SIZE)
            return COFRAN_FAIL(KS_KIND_READ_FAILED);
    } else if (KSFailed(rc = ReadIndexChunk(entry, slot.chunk.data()))) {
        return rc;
    }
    if (LoadLE32(slot.chunk.data()) != KS_INDX_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    slot.runPosition = position;
    slot.age = ++age_;
    *chunk = slot.chunk.data();
    return 0;
}

unsigned long CofranVolumeReader::ReadClusters(uint32_t first, unsigned char* buffer, uint32_t clusters, uint32_t* done)
{
    *done = 0;
    if (clusters == 0)
        return 0;
    const uint32_t head = rRunHead_.HeadSize;
    const uint32_t entries = rRun_.size() > head ? static_cast<uint32_t>((rRun_.size() - head) / KS_RIND_ENTRY_SIZE) : 0;
    uint64_t nextStart = UINT64_MAX;
    const uint32_t startIndex = rFindPos_ >= head ? (rFindPos_ - head) / KS_RIND_ENTRY_SIZE : 0;
    _KS_BLOCK found;
    bool haveBlock = false;
    for (uint32_t k = 0; k < entries && !haveBlock; ++k) {
        const uint32_t position = head + ((startIndex + k) % entries) * KS_RIND_ENTRY_SIZE;
        _KS_RIND_ENTRY entry;
        RunEntry(position, entry);
        if ((entry.Length & KS_RUN_DIRECT) != 0)
            continue;
        if (entry.First == KS_RUN_OPEN_CLUSTER)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        const uint32_t length = entry.Length & KS_RUN_LENGTH_MASK;
        if (first < entry.First || first - entry.First >= length) {
            if (entry.First > first)
                nextStart = std::min<uint64_t>(nextStart, entry.First);
            continue;
        }
        const unsigned char* chunk = nullptr;
        const unsigned long rc = LoadChunk(position, entry, &chunk);
        if (KSFailed(rc))
            return rc;
        const uint32_t used = ChunkUsed(chunk);
        for (uint32_t at = LoadLE32(chunk + 4); uint64_t(at) + KS_BLOCK_SIZE <= used; at += KS_BLOCK_SIZE) {
            _KS_BLOCK b;
            KSBlockFromBytes(chunk + at, b);
            const uint32_t count = KSBlockClusters(b);
            if (first >= b.FirstCluster && first - b.FirstCluster < count) {
                found = b;
                haveBlock = true;
                rFindPos_ = position;
                break;
            }
            if (b.FirstCluster > first)
                nextStart = std::min<uint64_t>(nextStart, b.FirstCluster);
        }
    }
    if (!haveBlock) {
        // A hole: callers read it as unused clusters. With no block after it, the
        // whole request is hole, so a trailing hole costs one walk, not one per cluster.
        *done = nextStart == UINT64_MAX ? clusters : static_cast<uint32_t>(std::min<uint64_t>(nextStart - first, clusters));
        return COFRAN_FAIL(KS_KIND_OTHER_FILE);
    }

    const uint64_t clusterBytes = VolumeGeometry::ClusterBytes(curVol_);
    const uint32_t count = KSBlockClusters(found);
    const bool held = heldKind_ == kHeldBlock && heldFirst_ == found.Offset && heldCount_ == count;
    if (first == found.FirstCluster && clusters >= count) {
        if (held)
            std::memcpy(buffer, sectorBuffer_.get(), count * clusterBytes);
        else {
            unsigned long rc = ReadBlockInto(found, buffer);
            if (KSSucceeded(rc))
                rc = VerifyOnce(found.Offset, buffer, count * clusterBytes, found.Crc);
            if (KSFailed(rc))
                return rc;
        }
        *done = count;
        return 0;
    }
    if (!held) {
        uint32_t raw = 0;
        unsigned long rc = BlockRawSize(found, &raw);
        if (KSSucceeded(rc) && raw > sectorBytes_)
            rc = COFRAN_FAIL(KS_KIND_BAD_DATA);
        heldKind_ = kHeldNone;
        if (KSSucceeded(rc))
            rc = ReadBlockInto(found, sectorBuffer_.get());
        if (KSSucceeded(rc))
            rc = VerifyOnce(found.Offset, sectorBuffer_.get(), raw, found.Crc);
        if (KSFailed(rc))
            return rc;
        heldKind_ = kHeldBlock;
        heldFirst_ = found.Offset;
        heldCount_ = count;
    }
    const uint32_t take = std::min<uint32_t>(clusters, found.FirstCluster + count - first);
    std::memcpy(buffer, sectorBuffer_.get() + (first - found.FirstCluster) * clusterBytes, take * clusterBytes);
    *done = take;
    return 0;
}

unsigned long CofranVolumeReader::ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                                unsigned long* clustersRead)
{
    if (buffer == nullptr || clustersRead == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    *clustersRead = 0;
    if (!file_.IsOpen() || !VolumeOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (session_.Use() != KS_OPEN_RANDOM)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    if (firstCluster > 0xFFFFFFFFul)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const uint32_t count = static_cast<uint32_t>(std::min<unsigned long>(clusters, 0xFFFFFFFFul - firstCluster));
    uint32_t done = 0;
    const unsigned long rc =
        ReadClusters(static_cast<uint32_t>(firstCluster), static_cast<unsigned char*>(buffer), count, &done);
    *clustersRead = done;
    return rc;
}

unsigned long CofranVolumeReader::FindDirectRun(uint64_t sector, _KS_RIND_ENTRY& run) const
{
    for (uint32_t at = rRunHead_.HeadSize; RunEntry(at, run); at += KS_RIND_ENTRY_SIZE)
        if ((run.Length & KS_RUN_DIRECT) != 0 && sector >= run.First &&
            sector - run.First < (run.Length & KS_RUN_LENGTH_MASK))
            return 0;
    return COFRAN_FAIL(KS_KIND_OTHER_FILE);
}

unsigned long CofranVolumeReader::HoldPreSectors()
{
    if (heldKind_ == kHeldPre)
        return 0;
    const uint64_t bytes = uint64_t(rRunHead_.PreSectors) * curVol_.BytesPerSector;
    if (bytes > sectorBytes_)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    heldKind_ = kHeldNone;
    unsigned long rc = ReadStored(rRunHead_.PreOffset, rRunHead_.PreStored, KS_GROUP_DATA, sectorBuffer_.get(),
                                  static_cast<uint32_t>(bytes));
    if (KSSucceeded(rc))
        rc = VerifyOnce(rRunHead_.PreOffset, sectorBuffer_.get(), bytes, rRunHead_.PreCrc);
    if (KSSucceeded(rc))
        heldKind_ = kHeldPre;
    return rc;
}

unsigned long CofranVolumeReader::HoldDirectRun(const _KS_RIND_ENTRY& run)
{
    const uint64_t offset = KSRindEntryOffset(run);
    if (heldKind_ == kHeldDirect && heldFirst_ == offset)
        return 0;
    const uint64_t bytes = uint64_t(run.Length & KS_RUN_LENGTH_MASK) * curVol_.BytesPerSector;
    if (bytes > sectorBytes_)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    heldKind_ = kHeldNone;
    unsigned long rc =
        ReadStored(offset, run.Stored, KS_GROUP_DATA, sectorBuffer_.get(), static_cast<uint32_t>(bytes));
    if (KSSucceeded(rc))
        rc = VerifyOnce(offset, sectorBuffer_.get(), bytes, KSRindEntryCrc(run));
    if (KSSucceeded(rc)) {
        heldKind_ = kHeldDirect;
        heldFirst_ = offset;
    }
    return rc;
}

unsigned long CofranVolumeReader::ReadPreSectors(int64_t first, unsigned char* out, uint32_t count)
{
    const uint32_t n = rRunHead_.PreSectors;
    const uint32_t bps = curVol_.BytesPerSector;
    if (first == -int64_t(n) && count == n && heldKind_ != kHeldPre) {
        const uint64_t bytes = uint64_t(n) * bps;
        if (bytes > 0xFFFFFFFFull)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        const unsigned long rc =
            ReadStored(rRunHead_.PreOffset, rRunHead_.PreStored, KS_GROUP_DATA, out, static_cast<uint32_t>(bytes));
        return KSFailed(rc) ? rc : VerifyOnce(rRunHead_.PreOffset, out, bytes, rRunHead_.PreCrc);
    }
    const unsigned long rc = HoldPreSectors();
    if (KSFailed(rc))
        return rc;
    std::memcpy(out, sectorBuffer_.get() + (first + n) * bps, uint64_t(count) * bps);
    return 0;
}

unsigned long CofranVolumeReader::ReadSystemSectors(uint64_t first, unsigned char* out, uint32_t count, uint32_t* done)
{
    *done = 0;
    _KS_RIND_ENTRY run;
    unsigned long rc = FindDirectRun(first, run);
    if (KSFailed(rc))
        return rc;
    const uint32_t length = run.Length & KS_RUN_LENGTH_MASK;
    const uint32_t bps = curVol_.BytesPerSector;
    const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(count, run.First + uint64_t(length) - first));
    const bool held = heldKind_ == kHeldDirect && heldFirst_ == KSRindEntryOffset(run);
    if (first == run.First && take == length && !held) {
        const uint64_t bytes = uint64_t(length) * bps;
        if (bytes > 0xFFFFFFFFull)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        rc = ReadStored(KSRindEntryOffset(run), run.Stored, KS_GROUP_DATA, out, static_cast<uint32_t>(bytes));
        if (KSSucceeded(rc))
            rc = VerifyOnce(KSRindEntryOffset(run), out, bytes, KSRindEntryCrc(run));
    } else if (KSSucceeded(rc = HoldDirectRun(run))) {
        std::memcpy(out, sectorBuffer_.get() + (first - run.First) * bps, uint64_t(take) * bps);
    }
    if (KSSucceeded(rc))
        *done = take;
    return rc;
}

unsigned long CofranVolumeReader::ReadDataSectors(uint64_t first, unsigned char* out, uint64_t count, uint64_t* done)
{
    *done = 0;
    const uint64_t spc = curVol_.SectorsPerCluster;
    const uint64_t bps = curVol_.BytesPerSector;
    const uint64_t dataStart = VolumeGeometry::SystemAreaEnd(curVol_);
    // No block holds a cluster of 2 MiB or more; nor is one allocated for a damaged size.
    if (VolumeGeometry::ClusterBytes(curVol_) >= VolumeGeometry::kLargestBlockBytes)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    CofranBuffer<unsigned char> one;
    while (count > 0) {
        const uint64_t relative = first - dataStart;
        const uint64_t cluster = relative / spc;
        const uint64_t within = relative % spc;
        if (cluster >= KS_RUN_OPEN_CLUSTER)
            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
        uint64_t taken = 0;
        if (within != 0 || count < spc) {
            // A part of one cluster: read the whole cluster and copy the sectors asked for.
            if (!one.resize(spc * bps))
                return COFRAN_FAIL(KS_KIND_NO_MEMORY);
            uint32_t got = 0;
            const unsigned long rc = ReadClusters(static_cast<uint32_t>(cluster), one.data(), 1, &got);
            if (KSResultKind(rc) == KS_KIND_OTHER_FILE)
                std::memset(one.data(), 0, one.size());
            else if (KSFailed(rc))
                return rc;
            taken = std::min(spc - within, count);
            std::memcpy(out, one.data() + within * bps, taken * bps);
        } else {
            const uint64_t whole = std::min<uint64_t>(count / spc, KS_RUN_OPEN_CLUSTER - cluster);
            uint32_t got = 0;
            const unsigned long rc =
                ReadClusters(static_cast<uint32_t>(cluster), out, static_cast<uint32_t>(whole), &got);
            if (KSResultKind(rc) == KS_KIND_OTHER_FILE) {
                got = std::max<uint32_t>(got, 1);
                std::memset(out, 0, got * spc * bps);
            } else if (KSFailed(rc)) {
                return rc;
            }
            taken = got * spc;
        }
        out += taken * bps;
        first += taken;
        count -= taken;
        *done += taken;
    }
    return 0;
}

unsigned long CofranVolumeReader::ReadSector(long long firstSector, void* buffer, unsigned long count, unsigned long* sectorsRead,
                                  unsigned long reserved)
{
    if (sectorsRead != nullptr)
        *sectorsRead = 0;
    if (buffer == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen() || !VolumeOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    if (reserved != 0)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    // The volume ends at its sector count: a read reaching past it is out of range,
    // like one before the stored pre-volume sectors.
    if (firstSector >= 0 && (uint64_t(firstSector) >= curVol_.TotalSectors ||
                             count > curVol_.TotalSectors - uint64_t(firstSector)))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (firstSector < 0 && count > uint64_t(-(firstSector + 1)) + 1 &&
        count - (uint64_t(-(firstSector + 1)) + 1) > curVol_.TotalSectors)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    unsigned char* out = static_cast<unsigned char*>(buffer);
    const uint64_t bps = curVol_.BytesPerSector;
    int64_t sector = firstSector;
    uint64_t remaining = count;
    uint64_t delivered = 0;
    unsigned long rc = 0;
    auto finish = [&](unsigned long result) {
        if (sectorsRead != nullptr)
            *sectorsRead = static_cast<unsigned long>(delivered);
        return result;
    };
    if (sector < 0 && remaining > 0) {
        const int64_t n = rRunHead_.PreSectors;
        if (sector < -n)
            return finish(COFRAN_FAIL(KS_KIND_BAD_ARGUMENT));
        const uint32_t take = static_cast<uint32_t>(std::min<uint64_t>(remaining, uint64_t(-sector)));
        if (KSFailed(rc = ReadPreSectors(sector, out, take)))
            return finish(rc);
        out += take * bps;
        sector += take;
        remaining -= take;
        delivered += take;
    }
    const uint64_t systemEnd = VolumeGeometry::SystemAreaEnd(curVol_);
    while (remaining > 0 && uint64_t(sector) < systemEnd) {
        uint32_t done = 0;
        const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(remaining, systemEnd - uint64_t(sector)));
        if (KSFailed(rc = ReadSystemSectors(uint64_t(sector), out, want, &done)))
            return finish(rc);
        out += done * bps;
        sector += done;
        remaining -= done;
        delivered += done;
    }
    if (remaining > 0) {
        uint64_t done = 0;
        rc = ReadDataSectors(uint64_t(sector), out, remaining, &done);
        delivered += done;
        if (KSFailed(rc))
            return finish(rc);
    }
    return finish(0);
}
