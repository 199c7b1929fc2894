// The volume reader: opens one volume of the open set and serves its blocks in
// order, its clusters and sectors by number, its checks and its cluster bitmap.
// It holds the volume's run index, the index-chunk cache (with the index temp file
// of disc sets) and the sector buffer; stored blobs come from the open image file,
// moved by the set-file finder to the file that holds them.
#pragma once

#include <cstdint>

#include "CofranBuffer.h"
#include "CofranFile.h"
#include "CofranMemory.h"
#include "CofranText.h"
#include "CofranSession.h"
#include "CofranSetFiles.h"
#include "IKSCofran.h"
#include "ImageFileReader.h"
#include "IndexChunkCache.h"
#include "OffsetSet.h"

class CofranVolumeReader {
public:
    CofranVolumeReader(CofranSession& session, ImageFileReader& file, CofranSetFiles& setFiles);

    unsigned long OpenVolume(_KS_VOLUME* volume);
    unsigned long CloseVolume();
    bool VolumeOpen() const { return curVolume_ >= 0; }
    unsigned long GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved);
    unsigned long ReadBlock(const _KS_BLOCK* block, void* buffer);
    unsigned long CheckVolume();
    unsigned long CheckNextBlock(_KS_BLOCK* block);
    unsigned long ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                           unsigned long* clustersRead);
    unsigned long ReadSector(long long firstSector, void* buffer, unsigned long count, unsigned long* sectorsRead,
                             unsigned long reserved);
    unsigned long GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes);

    // The block last returned by GetNextBlockInfo: an incremental backup refers to
    // its stored data instead of storing the clusters again, and consumes it.
    _KS_BLOCK& LastBlock() { return lastBlock_; }

private:
    // An index chunk of a disc set kept in the temp file.
    struct MovedChunk {
        uint32_t runPosition;
        uint64_t tempOffset;
    };

    unsigned long ReadRunIndexElsewhere(uint64_t offset, uint32_t size);
    unsigned long ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out, uint32_t raw);
    bool RunEntry(uint32_t position, _KS_RIND_ENTRY& entry) const;
    unsigned long LoadChunk(uint32_t position, const _KS_RIND_ENTRY& entry, const unsigned char** chunk);
    unsigned long SaveChunkToTemp(IndexChunkCache::Slot& slot);
    unsigned long BlockRawSize(const _KS_BLOCK& block, uint32_t* raw) const;
    unsigned long ReadBlockInto(const _KS_BLOCK& block, unsigned char* out);
    // ReadBlockInto, then the block's CRC-64 (kind 0x00C when it does not match).
    unsigned long ReadCheckedBlock(const _KS_BLOCK& block, unsigned char* out);
    // The index chunk of a run-index entry from the image, whole, its CRC-64 and
    // magic checked (kind 0x00C when either is wrong).
    unsigned long ReadIndexChunk(const _KS_RIND_ENTRY& entry, unsigned char* out);
    unsigned long VerifyOnce(uint64_t offset, const unsigned char* raw, uint64_t bytes, uint64_t crc);
    unsigned long ReadClusters(uint32_t first, unsigned char* buffer, uint32_t clusters, uint32_t* done);
    unsigned long FindDirectRun(uint64_t sector, _KS_RIND_ENTRY& run) const;
    unsigned long HoldPreSectors();
    unsigned long HoldDirectRun(const _KS_RIND_ENTRY& run);
    unsigned long ReadPreSectors(int64_t first, unsigned char* out, uint32_t count);
    unsigned long ReadSystemSectors(uint64_t first, unsigned char* out, uint32_t count, uint32_t* done);
    unsigned long ReadDataSectors(uint64_t first, unsigned char* out, uint64_t count, uint64_t* done);
    void DropTempFile();
    uint32_t ChunkUsed(const unsigned char* chunk) const;
    uint64_t LargestStoredRun(uint32_t bytesPerSector) const;
    // The moved chunk of a run-index position, or null.
    const MovedChunk* MovedChunkAt(uint32_t runPosition) const;

    CofranSession& session_;
    ImageFileReader& file_;
    CofranSetFiles& setFiles_;
    _KS_BLOCK lastBlock_;

    int curVolume_ = -1;
    _KS_VOLUME curVol_;
    CofranBuffer<unsigned char> rRun_;   // its run index, raw
    _KS_RIND_HEAD rRunHead_;
    uint32_t rRunPos_ = 0;               // block walk: next run-index entry
    uint32_t rFindPos_ = 0;              // cluster reads: where the last entry was found
    const unsigned char* walkChunk_ = nullptr;
    CofranBuffer<unsigned char> walkBuffer_;
    uint32_t walkPos_ = 0;
    IndexChunkCache cache_;
    uint64_t age_ = 0;
    CofranRawBytes sectorBuffer_; // not zeroed: it only holds what was read
    uint64_t sectorBytes_ = 0;
    enum HeldRun { kHeldNone, kHeldPre, kHeldDirect, kHeldBlock };
    HeldRun heldKind_ = kHeldNone;
    uint64_t heldFirst_ = 0;             // first sector (direct run) or cluster (block)
    uint32_t heldCount_ = 0;
    CofranBuffer<MovedChunk> movedChunks_; // sorted by run-index position
    OffsetSet verified_; // stream offsets of runs whose CRC-64 matched
    CofranFile tempFile_;
    CofranText tempPath_;
    uint64_t tempSize_ = 0;
};
