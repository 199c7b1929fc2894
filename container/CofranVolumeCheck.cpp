// Checking the current volume of the open file, and rebuilding a volume's cluster
// bitmap from its blocks.
#include <cstring>

#include "CofranVolumeReader.h"
#include "CofranResult.h"
#include "VolumeGeometry.h"
#include "crc64.h"

unsigned long CofranVolumeReader::CheckVolume()
{
    if (!file_.IsOpen() || !VolumeOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const unsigned long use = session_.Use();
    if (use != KS_OPEN_SEQUENTIAL && use != KS_OPEN_BACKUP && use != KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    const _KS_VOLUME& v = curVol_;
    if (file_.Head().Base != file_.Tail().Base || file_.Head().Version != file_.Tail().Version || file_.Tail().VolumeListRaw == 0 ||
        v.Magic != KS_VOLUME_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);

    if ((v.Flags & KS_VOLFLAG_NO_FS_READER) == 0) {
        const bool all = v.RootDirSectors && v.SectorsPerFat && v.NumberOfFats && v.ReservedSectors;
        const bool fat32 = !v.RootDirSectors && v.SectorsPerFat && v.NumberOfFats && v.ReservedSectors;
        const bool none = !v.RootDirSectors && !v.SectorsPerFat && !v.NumberOfFats && !v.ReservedSectors;
        const bool ok = (v.FileSystem == KS_FS_FAT12 || v.FileSystem == KS_FS_FAT16) ? all
                        : v.FileSystem == KS_FS_FAT32                               ? fat32
                        : v.FileSystem == KS_FS_NTFS                                ? none
                                                                                    : true;
        if (!ok)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
    }
    if (v.SectorsPerCluster == 0 || v.BytesPerSector % 512 != 0)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    const uint64_t bitmap = (VolumeGeometry::ClusterCountRoundedUp(v) + 7) / 8;
    if (v.BitmapSize != bitmap && uint64_t(v.BitmapSize) + 1 != bitmap)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);

    if (rRun_.empty() || rRunHead_.PreSectors != v.PreVolumeSectors)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    heldKind_ = kHeldNone;
    uint64_t crc = 0;
    if (rRunHead_.PreSectors != 0) {
        if (rRunHead_.PreStored == 0)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        if (file_.Holds(rRunHead_.PreOffset, rRunHead_.PreStored)) {
            const unsigned long rc = HoldPreSectors();
            if (KSFailed(rc))
                return rc;
            crc64(sectorBuffer_.get(), rRunHead_.PreSectors * v.BytesPerSector, &crc);
            if (crc != rRunHead_.PreCrc)
                return COFRAN_FAIL(KS_KIND_BAD_DATA);
        }
    }

    const uint64_t systemEnd = VolumeGeometry::SystemAreaEnd(v);
    for (uint64_t sector = 0; sector < systemEnd;) {
        _KS_RIND_ENTRY run;
        if (KSFailed(FindDirectRun(sector, run)))
            return file_.Tail().EndState == KS_TAIL_SET_COMPLETE ? COFRAN_FAIL(KS_KIND_BAD_DATA) : 0;
        const uint32_t length = run.Length & KS_RUN_LENGTH_MASK;
        if (uint64_t(length) * v.BytesPerSector > sectorBytes_)
            return COFRAN_FAIL(KS_KIND_BAD_DATA);
        if (file_.Holds(KSRindEntryOffset(run), run.Stored)) {
            const unsigned long rc = HoldDirectRun(run);
            if (KSFailed(rc))
                return rc;
            crc64(sectorBuffer_.get(), length * v.BytesPerSector, &crc);
            if (crc != KSRindEntryCrc(run))
                return COFRAN_FAIL(KS_KIND_BAD_DATA);
        }
        sector = uint64_t(run.First) + length;
    }
    return 0;
}

unsigned long CofranVolumeReader::GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes)
{
    if (volume == nullptr || bitmap == nullptr || volume->Magic != KS_VOLUME_MAGIC)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (!file_.IsOpen())
        return COFRAN_FAIL(KS_KIND_NOT_OPEN);
    const unsigned long use = session_.Use();
    if (use == KS_OPEN_RANDOM || use > KS_OPEN_SEQUENTIAL_ALT)
        return COFRAN_FAIL(KS_KIND_WRONG_OBJECT);
    const uint64_t needed = (VolumeGeometry::ClusterCount(*volume) + 7) / 8;
    if (volume->BitmapSize == 0 || volume->BitmapSize < needed)
        return COFRAN_FAIL(KS_KIND_BAD_DATA);
    if (bytes < volume->BitmapSize)
        return COFRAN_FAIL(KS_KIND_TOO_SMALL);

    _KS_VOLUME copy = *volume;
    unsigned long rc = OpenVolume(&copy);
    if (KSFailed(rc))
        return rc;
    unsigned char* bits = static_cast<unsigned char*>(bitmap);
    const uint64_t limit = uint64_t(volume->BitmapSize) * 8;
    CofranBuffer<unsigned char> chunk;
    if (!chunk.resize(KS_INDEX_CHUNK_SIZE))
        rc = COFRAN_FAIL(KS_KIND_NO_MEMORY);
    _KS_RIND_ENTRY entry;
    for (uint32_t at = rRunHead_.HeadSize; KSSucceeded(rc) && RunEntry(at, entry); at += KS_RIND_ENTRY_SIZE) {
        if ((entry.Length & KS_RUN_DIRECT) != 0 || !file_.Holds(KSRindEntryOffset(entry), entry.Stored))
            continue;
        if (entry.First == KS_RUN_OPEN_CLUSTER) {
            rc = COFRAN_FAIL(KS_KIND_BAD_DATA);
            break;
        }
        rc = ReadIndexChunk(entry, chunk.data());
        const uint32_t used = KSSucceeded(rc) ? ChunkUsed(chunk.data()) : 0;
        for (uint32_t b = KSSucceeded(rc) ? LoadLE32(chunk.data() + 4) : used; uint64_t(b) + KS_BLOCK_SIZE <= used;
             b += KS_BLOCK_SIZE) {
            _KS_BLOCK block;
            KSBlockFromBytes(chunk.data() + b, block);
            const uint64_t end = uint64_t(block.FirstCluster) + KSBlockClusters(block);
            if (end > limit) {
                rc = COFRAN_FAIL(KS_KIND_BAD_DATA);
                break;
            }
            for (uint64_t n = block.FirstCluster; n < end; ++n)
                bits[n / 8] = static_cast<unsigned char>(bits[n / 8] | (1u << (n % 8)));
        }
    }
    CloseVolume();
    return rc;
}
