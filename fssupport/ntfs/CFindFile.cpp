#include "CFindFile.h"

#include <algorithm>

#include "CExtendMFT.h"
#include "CIndexNodeScanner.h"
#include "CNtfsMultiFileRecord.h"
#include "KSFSSupport.h"
#include "NtfsLayout.h"
#include "NtfsResultCodes.h"
#include "NtfsRunChunk.h"
#include "NtfsUpdateSequence.h"

namespace {
// A directory's $BITMAP has one bit per index block; more than this is damage.
constexpr uint64_t kMaxIndexBitmapBytes = 1u << 24;
} // namespace

unsigned long CFindFile::InitDir(uint64_t directoryRecord, CNtfsVolume* volume, CExtendMFT* mft,
                                 IKSFSSupport* reader)
{
    if (cached_ && directoryRecord == directoryRecord_ && volume == volume_ && mft == mft_ && reader == reader_)
        return 0;
    cached_ = false;
    indexRoot_.clear();
    allocationRuns_.Clear();
    allocationBitmap_.clear();
    hasAllocation_ = false;
    allocationSize_ = 0;
    blockSize_ = 0;
    if (volume == nullptr || mft == nullptr || reader == nullptr)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);

    CNtfsMultiFileRecord directory;
    if (!directory.Init(*mft, directoryRecord))
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
    const std::u16string indexName = u"$I30";
    const std::vector<const CNtfsFileRecordAttribute*> roots = directory.GetAttributeExtents(NTFS_AT_INDEX_ROOT, indexName);
    if (roots.size() != 1 || !roots.front()->IsResident())
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
    const std::vector<unsigned char>& root = roots.front()->GetResidentData();
    if (root.size() < sizeof(NtfsIndexRootHeader) + sizeof(NtfsIndexNodeHeader) ||
        LoadLE32(root.data()) != NTFS_AT_FILE_NAME)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
    const uint32_t blockSize = LoadLE32(root.data() + 8);

    const int64_t clusters = static_cast<int64_t>(volume->GetVolumeClusterCount());
    if (!directory.GetAttributeExtents(NTFS_AT_INDEX_ALLOCATION, indexName).empty()) {
        // Index blocks are whole 512-byte strides; their in-use bits are in $BITMAP.
        const std::vector<const CNtfsFileRecordAttribute*> bitmaps =
            directory.GetAttributeExtents(NTFS_AT_BITMAP, indexName);
        if (blockSize < 512 || blockSize > 65536 || blockSize % 512 != 0 || bitmaps.empty() ||
            !directory.GetAttributeRunList(NTFS_AT_INDEX_ALLOCATION, indexName, clusters, allocationRuns_))
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        allocationSize_ = directory.GetAttributeExtents(NTFS_AT_INDEX_ALLOCATION, indexName).front()->GetDataSize();
        const CNtfsFileRecordAttribute& bitmap = *bitmaps.front();
        if (bitmap.IsResident()) {
            allocationBitmap_ = bitmap.GetResidentData();
        } else {
            CNtfsRunList bitmapRuns;
            const uint64_t size = bitmap.GetDataSize();
            if (size > kMaxIndexBitmapBytes ||
                !directory.GetAttributeRunList(NTFS_AT_BITMAP, indexName, clusters, bitmapRuns))
                return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
            allocationBitmap_.assign(static_cast<size_t>(size), 0);
            if (!mft->ReadRunListData(bitmapRuns, 0, allocationBitmap_.data(), size))
                return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        }
        hasAllocation_ = true;
    }
    indexRoot_ = root;
    blockSize_ = blockSize;
    directoryRecord_ = directoryRecord;
    volume_ = volume;
    mft_ = mft;
    reader_ = reader;
    cached_ = true;
    return 0;
}

bool CFindFile::PickLiveReference(const std::vector<uint64_t>& matches, uint64_t& reference) const
{
    for (uint64_t candidate : matches) {
        CNtfsFileRecord record;
        if (mft_->ReadFileRecord(NtfsRecordNumber(candidate), record) && record.IsInUse() &&
            record.GetBaseRecordReference() == 0 && record.GetSequenceNumber() == NtfsSequenceNumber(candidate)) {
            reference = candidate;
            return true;
        }
    }
    return false;
}

bool CFindFile::BlockInUse(uint64_t blockNumber) const
{
    if (blockNumber / 8 >= allocationBitmap_.size())
        return false;
    return (allocationBitmap_[blockNumber / 8] >> (blockNumber % 8)) & 1;
}

unsigned long CFindFile::GetFileRecordNO(const std::u16string& name, uint64_t& reference, bool& found)
{
    found = false;
    reference = 0;
    if (!cached_)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_NOT_INITIALISED);
    if (name.empty() || name.size() > 255)
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_BAD_ARGUMENT);
    std::vector<uint64_t> matches;
    if (!CIndexNodeScanner::Scan(indexRoot_.data(), indexRoot_.size(), sizeof(NtfsIndexRootHeader), name, matches))
        return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
    if (PickLiveReference(matches, reference)) {
        found = true;
        return 0;
    }
    if (!hasAllocation_)
        return 0;
    return SearchIndexBlocks(name, reference, found);
}

unsigned long CFindFile::SearchIndexBlocks(const std::u16string& name, uint64_t& reference, bool& found)
{
    // Only blocks that $BITMAP can mark in use are worth a look; the stream's size
    // comes from the disk and may be far larger than anything the volume holds.
    const uint64_t blocks = std::min<uint64_t>(allocationSize_ / blockSize_, uint64_t(allocationBitmap_.size()) * 8);
    std::vector<unsigned char> block(blockSize_);
    for (uint64_t i = 0; i < blocks; ++i) {
        // A block that $BITMAP marks free may still hold old entries of files
        // since deleted; their records may belong to other files by now.
        if (!BlockInUse(i))
            continue;
        const unsigned long read = ReadIndexBlock(i, block);
        if (read != 0)
            return read;
        if (LoadLE32(block.data()) != NTFS_INDX_MAGIC || !NtfsApplyUpdateSequence(block.data(), block.size()))
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        std::vector<uint64_t> matches;
        if (!CIndexNodeScanner::Scan(block.data(), block.size(), NTFS_INDEX_BLOCK_NODE_OFFSET, name, matches))
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        if (PickLiveReference(matches, reference)) {
            found = true;
            return 0;
        }
    }
    return 0;
}

unsigned long CFindFile::ReadIndexBlock(uint64_t blockNumber, std::vector<unsigned char>& block)
{
    const uint64_t clusterBytes = volume_->GetBytesPerCluster();
    const uint64_t start = blockNumber * blockSize_;
    uint64_t done = 0;
    while (done < blockSize_) {
        int64_t lcn = 0;
        int64_t clustersLeft = 0;
        const uint64_t position = start + done;
        if (!allocationRuns_.VcnToLcn(static_cast<int64_t>(position / clusterBytes), lcn, clustersLeft) ||
            lcn == NTFS_SPARSE_LCN)
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        const uint64_t inCluster = position % clusterBytes;
        const uint64_t chunk = NtfsRunChunk(clustersLeft, clusterBytes, inCluster, blockSize_ - done);
        if (chunk == 0)
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_FS_INCONSISTENT);
        const uint64_t sector = volume_->GetSectorAddressFromLCN(static_cast<uint64_t>(lcn)) + inCluster / 512;
        const unsigned long result =
            reader_->ReadSectors(sector, static_cast<unsigned long>(chunk / 512), block.data() + done);
        if (KSFailed(result))
            return result;
        done += chunk;
    }
    return 0;
}
