// The writer's data path: cluster runs as blocks listed in index chunks, system
// sectors as direct runs, and the volume's run index that points at both.
#include <cstring>
#include <new>

#include "CofranWriter.h"
#include "CofranResult.h"
#include "crc64.h"

namespace {

constexpr uint32_t kMaxBlockClusters = 512;
constexpr uint32_t kMaxBlockBytes = 0x200000;
constexpr unsigned long kMaxSectorCount = 0x3FFFFFFE;

uint64_t Crc(const void* data, uint64_t length)
{
    uint64_t crc = 0;
    crc64(static_cast<const unsigned char*>(data), static_cast<unsigned long>(length), &crc);
    return crc;
}

} // namespace

void CofranWriter::StartRunIndex()
{
    std::memset(&rindHead_, 0, sizeof rindHead_);
    rindHead_.Magic = KS_RIND_MAGIC;
    rindHead_.HeadSize = KS_RIND_HEAD_SIZE;
    rindHead_.VolumeNumber = volumes_.back().VolumeNumber;
    rindHead_.ChunkKiB = KS_INDEX_CHUNK_KIB;
    runUsed_ = KS_RIND_HEAD_SIZE;
}

void CofranWriter::FreshOpenEntry()
{
    std::memset(&openEntry_, 0, sizeof openEntry_);
    openEntry_.First = KS_RUN_OPEN_CLUSTER;
    openEntryLive_ = true;
}

unsigned long CofranWriter::AppendRunEntry(const _KS_RIND_ENTRY& entry)
{
    // Doubling keeps at least one more entry and some slack behind the used part.
    if (runIndex_.size() - runUsed_ < KS_RIND_ENTRY_SIZE + 28u) {
        try {
            runIndex_.resize(runIndex_.size() * 2);
        } catch (const std::bad_alloc&) {
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        }
    }
    KSRindEntryToBytes(entry, runIndex_.data() + runUsed_);
    runUsed_ += KS_RIND_ENTRY_SIZE;
    return 0;
}

unsigned long CofranWriter::CloseIndexChunk()
{
    if (runIndex_.size() - runUsed_ < KS_RIND_ENTRY_SIZE + 28u) {
        try {
            runIndex_.resize(runIndex_.size() * 2);
        } catch (const std::bad_alloc&) {
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        }
    }
    _KS_INDX_HEAD head{KS_INDX_MAGIC, KS_INDX_HEAD_SIZE, chunkUsed_, 0};
    KSIndxHeadToBytes(head, chunk_.data());
    _KS_RIND_ENTRY entry = openEntry_;
    KSSetRindEntryOffset(entry, StreamPosition());
    KSSetRindEntryCrc(entry, Crc(chunk_.data(), KS_INDEX_CHUNK_SIZE));
    const unsigned long rc = WriteBlob(KS_GROUP_INDEX, chunk_.data(), KS_INDEX_CHUNK_SIZE, &entry.Stored);
    if (KSFailed(rc))
        return rc;
    entry.Length &= KS_RUN_LENGTH_MASK;
    AppendRunEntry(entry);
    FreshOpenEntry();
    std::memset(chunk_.data(), 0, chunk_.size());
    chunkUsed_ = 0;
    return 0;
}

unsigned long CofranWriter::CheckSystemRun(const _KS_VOLUME& v, uint32_t first, uint32_t count) const
{
    const uint64_t fatStart = v.ReservedSectors;
    const uint64_t rootStart = fatStart + uint64_t(v.NumberOfFats) * v.SectorsPerFat;
    const uint64_t end = uint64_t(first) + count;
    if (first == 0 && count > v.ReservedSectors)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (first >= fatStart && first < rootStart && end > rootStart)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (first == rootStart && count != v.RootDirSectors)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (first > rootStart)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    return 0;
}

unsigned long CofranWriter::WriteSector(int firstSector, const void* data, unsigned long count, unsigned long reserved)
{
    if (data == nullptr || count == 0 || count > kMaxSectorCount || reserved != 0)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writing_ || !volumeInfoWritten_ || runIndex_.empty() || volumes_.empty())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const _KS_VOLUME& volume = volumes_.back();
    const uint64_t bytes = uint64_t(count) * volume.BytesPerSector;
    if (bytes > 0xFFFFFFF0ull)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const unsigned char* sectors = static_cast<const unsigned char*>(data);
    unsigned long rc = Drain();
    if (KSFailed(rc))
        return rc;
    if (runUsed_ == 0)
        StartRunIndex();

    if (firstSector < 0) {
        if (count != volume.PreVolumeSectors || int64_t(firstSector) + int64_t(count) != 0)
            return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
        const uint64_t at = StreamPosition();
        const uint64_t crc = Crc(sectors, bytes);
        uint32_t stored = 0;
        if (KSFailed(rc = WriteBlob(KS_GROUP_DATA, sectors, static_cast<uint32_t>(bytes), &stored)))
            return rc;
        rindHead_.PreSectors = count;
        rindHead_.PreOffset = at;
        rindHead_.PreCrc = crc;
        rindHead_.PreStored = stored;
        return 0;
    }

    const uint32_t first = static_cast<uint32_t>(firstSector);
    if (KSFailed(rc = CheckSystemRun(volume, first, static_cast<uint32_t>(count))))
        return rc;
    if (chunkUsed_ > KS_INDX_HEAD_SIZE && KSFailed(rc = CloseIndexChunk()))
        return rc;
    if (runIndex_.size() - runUsed_ < KS_RIND_ENTRY_SIZE + 28u) {
        try {
            runIndex_.resize(runIndex_.size() * 2);
        } catch (const std::bad_alloc&) {
            return COFRAN_FAIL(KS_KIND_NO_MEMORY);
        }
    }
    _KS_RIND_ENTRY entry;
    entry.First = first;
    entry.Length = static_cast<uint32_t>(count) | KS_RUN_DIRECT;
    KSSetRindEntryOffset(entry, StreamPosition());
    KSSetRindEntryCrc(entry, Crc(sectors, bytes));
    entry.Stored = 0;
    if (KSFailed(rc = WriteBlob(KS_GROUP_DATA, sectors, static_cast<uint32_t>(bytes), &entry.Stored)))
        return rc;
    return AppendRunEntry(entry);
}

void CofranWriter::WidenOpenEntry(uint32_t first, uint32_t count)
{
    if (openEntry_.First == KS_RUN_OPEN_CLUSTER && (openEntry_.Length & KS_RUN_LENGTH_MASK) == 0) {
        openEntry_.First = first;
        openEntry_.Length = count;
        return;
    }
    uint64_t start = openEntry_.First;
    uint64_t end = start + (openEntry_.Length & KS_RUN_LENGTH_MASK);
    if (first < start)
        start = first;
    if (end < uint64_t(first) + count)
        end = uint64_t(first) + count;
    const uint64_t length = end - start;
    openEntry_.First = static_cast<uint32_t>(start);
    openEntry_.Length = static_cast<uint32_t>(length > KS_RUN_LENGTH_MASK ? uint64_t(KS_RUN_LENGTH_MASK) : length);
}

unsigned long CofranWriter::CloseFullChunk()
{
    // The block is in the chunk already; the room kept for closing covers this
    // chunk, so the set never holds the same clusters twice.
    closing_ = true;
    const unsigned long closed = CloseIndexChunk();
    closing_ = false;
    return closed;
}

unsigned long CofranWriter::PlaceBlock(const BlockStep& step, uint64_t clusterSize, BlockJob* job, bool* placed)
{
    *placed = false;
    unsigned long rc;
    // A chunk left full by a close that failed is closed before it takes more.
    if (KS_INDEX_CHUNK_SIZE - chunkUsed_ < KS_BLOCK_SIZE && KSFailed(rc = CloseFullChunk()))
        return rc;
    WidenOpenEntry(step.EntryFirst(), step.EntryCount());
    if (chunkUsed_ == 0)
        chunkUsed_ = KS_INDX_HEAD_SIZE;
    _KS_BLOCK block = step.block;
    if (!step.refer) {
        block.FirstCluster = step.first;
        block.Offset = StreamPosition();
        uint32_t stored = 0;
        if (job != nullptr) {
            rc = job->result;
            block.Crc = job->crc;
            stored = job->storedSize;
            if (KSSucceeded(rc) && stored > 0)
                rc = WriteBytes(job->storedBytes, stored);
        } else {
            const uint64_t bytes = uint64_t(step.clusters) * clusterSize;
            block.Crc = Crc(step.data, bytes);
            rc = WriteBlob(KS_GROUP_DATA, step.data, static_cast<uint32_t>(bytes), &stored);
        }
        if (KSFailed(rc)) {
            if (chunkUsed_ == KS_INDX_HEAD_SIZE)
                chunkUsed_ = 0;
            return rc;
        }
        block.CountSize = step.clusters | (stored << KS_BLOCK_SIZE_SHIFT);
    }
    KSBlockToBytes(block, chunk_.data() + chunkUsed_);
    chunkUsed_ += KS_BLOCK_SIZE;
    *placed = true;
    if (KS_INDEX_CHUNK_SIZE - chunkUsed_ < KS_BLOCK_SIZE)
        return CloseFullChunk();
    return 0;
}

unsigned long CofranWriter::WriteData(unsigned long firstCluster, const void* data, unsigned long clusters,
                                      unsigned long long changeMask, _KS_BLOCK& lastBlock)
{
    if (data == nullptr)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!writing_ || !volumeInfoWritten_ || volumes_.empty() || runIndex_.empty() || chunk_.empty())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const _KS_VOLUME& volume = volumes_.back();
    const uint64_t clusterSize = uint64_t(volume.BytesPerSector) * volume.SectorsPerCluster;
    if (clusterSize > KS_INDEX_CHUNK_SIZE ? clusterSize % KS_INDEX_CHUNK_SIZE != 0
                                          : KS_INDEX_CHUNK_SIZE % clusterSize != 0)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (uint64_t(firstCluster) + clusters > 0xFFFFFFFFull)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const uint32_t limit = static_cast<uint32_t>(
        kMaxBlockBytes / clusterSize < kMaxBlockClusters ? kMaxBlockBytes / clusterSize : kMaxBlockClusters);
    if (limit < 2)
        return COFRAN_FAIL(KS_KIND_BAD_DATA); // clusters of 2 MiB and more fit no block

    unsigned long rc;
    const bool ahead = pipeline_.TakesAhead();
    // The first masked call of a volume notes the run index's size: with every
    // block in place.
    if (ahead && changeMask != 0 && rindHead_.FirstMaskedEntry == 0 && KSFailed(rc = Drain()))
        return rc;
    if (runUsed_ == 0)
        StartRunIndex();
    // Every cluster run goes into an open entry, also after system-sector runs.
    if (!openEntryLive_)
        FreshOpenEntry();
    if (changeMask != 0 && rindHead_.FirstMaskedEntry == 0)
        rindHead_.FirstMaskedEntry = runUsed_;

    const unsigned char* in = static_cast<const unsigned char*>(data);
    if (ahead) {
        // Plan the whole call on a copy of the remembered block, so that nothing
        // changes when the call is not taken.
        _KS_BLOCK trial = lastBlock;
        BlockPlanner plan(static_cast<uint32_t>(firstCluster), in, static_cast<uint32_t>(clusters), changeMask,
                          clusterSize, limit, trial);
        plannedSteps_.clear();
        unsigned long planned = 0;
        uint64_t bytes = 0;
        for (;;) {
            BlockStep step;
            bool more = false;
            if (KSFailed(planned = plan.Next(step, &more)) || !more)
                break;
            if (!step.refer)
                bytes += uint64_t(step.clusters) * clusterSize;
            plannedSteps_.push_back(step);
        }
        if (KSFailed(rc = MakeRoom(plannedSteps_.size(), bytes)))
            return rc;
        if (FitsAhead(plannedSteps_, clusterSize)) {
            if (KSSucceeded(planned))
                plan.Finish();
            lastBlock = trial;
            if (KSFailed(rc = TakeAhead(plannedSteps_, clusterSize)))
                return rc;
            return planned;
        }
        // Near the split size: every block in place, then decide as one thread does.
        if (KSFailed(rc = Drain()))
            return rc;
    }

    BlockPlanner plan(static_cast<uint32_t>(firstCluster), in, static_cast<uint32_t>(clusters), changeMask,
                      clusterSize, limit, lastBlock);
    for (;;) {
        BlockStep step;
        bool more = false;
        if (KSFailed(rc = plan.Next(step, &more)))
            return rc;
        if (!more)
            break;
        bool placed = false;
        if (KSFailed(rc = PlaceBlock(step, clusterSize, nullptr, &placed)))
            return rc;
    }
    plan.Finish();
    return 0;
}
