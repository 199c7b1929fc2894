#include "CExtendMFT.h"

#include <algorithm>

#include "CHardDriveIO.h"
#include "CNtfsAttributeList.h"
#include "DebugMessage.h"
#include "NtfsLayout.h"

namespace {
constexpr uint64_t kMaxAttributeListBytes = 1u << 20;
}

bool CExtendMFT::InitMFT(const CNtfsVolume& volume)
{
    Reset();
    mftRecords_.clear();
    CHardDriveIO* io = volume.GetDriveIO();
    if (!volume.IsLoaded() || io == nullptr || !io->OpenDisk(volume.GetHardDriveNumber()))
        return false;
    volume_ = volume;
    const int64_t clusters = static_cast<int64_t>(volume_.GetVolumeClusterCount());

    std::vector<unsigned char> bytes(volume_.GetBytesPerFileRecord());
    const uint64_t first = volume_.GetSectorAddressFromLCN(volume_.GetMftLcnAddress());
    CNtfsFileRecord record;
    if (!io->ReadSector(bytes.data(), static_cast<long long>(first), volume_.GetSectorsPerFileRecord()) ||
        !record.InitFromSourceFileRecord(bytes.data(), bytes.size(), NTFS_FILE_MFT)) {
        DebugMessage("Call InitFromSourceFileRecord for $MFT failed!\n(%s,%d)\n", __FILE__, __LINE__);
        return false;
    }
    const CNtfsFileRecordAttribute* data = record.FindAttribute(NTFS_AT_DATA, u"");
    if (data == nullptr || data->IsResident() || !data->GetDataRunList(mftRuns_, clusters) ||
        !IsPlausibleMftRunList(mftRuns_)) {
        Reset();
        return false;
    }
    const uint64_t dataSize = data->GetDataSize();
    recordCount_ = CountRecords(mftRuns_, dataSize);
    initialized_ = true;

    const CNtfsFileRecordAttribute* listAttribute = record.FindAttribute(NTFS_AT_ATTRIBUTE_LIST, u"");
    if (listAttribute != nullptr) {
        const uint64_t size = listAttribute->GetDataSize();
        std::vector<unsigned char> listData(static_cast<size_t>(std::min(size, kMaxAttributeListBytes)));
        CNtfsAttributeList list;
        if (size > kMaxAttributeListBytes || !GetDataFromAttribute(*listAttribute, 0, listData.data(), size) ||
            !list.InitFromAttributeListData(listData.data(), listData.size())) {
            Reset();
            return false;
        }
        // The extents of $MFT's data in other records, in list order (the list is
        // sorted by type, name and first VCN). A reference to record 0 itself, with
        // whatever sequence number, names the extent already taken.
        for (const NtfsAttributeListEntry& entry : list.GetEntries()) {
            const uint64_t number = NtfsRecordNumber(entry.FileReference);
            if (entry.Type != NTFS_AT_DATA || !entry.Name.empty() || number == NTFS_FILE_MFT)
                continue;
            if (!AppendExtent(number, NtfsSequenceNumber(entry.FileReference), entry.LowestVcn)) {
                DebugMessage("Call GetMftRunListFromRecord() from GetMftOtherRunList() failed!\n(%s,%d)\n", __FILE__,
                             __LINE__);
                Reset();
                mftRecords_.clear();
                return false;
            }
            recordCount_ = CountRecords(mftRuns_, dataSize);
        }
    }
    if (recordCount_ <= NTFS_FILE_BADCLUS) {
        Reset();
        mftRecords_.clear();
        return false;
    }
    return true;
}

bool CExtendMFT::AppendExtent(uint64_t recordNumber, uint16_t sequence, int64_t lowestVcn)
{
    CNtfsFileRecord child;
    if (!ReadFileRecord(recordNumber, child)) {
        DebugMessage("Call ReadFileRecord() from GetMftOtherRunList() failed!\n(%s,%d)\n", __FILE__, __LINE__);
        return false;
    }
    if (NtfsRecordNumber(child.GetBaseRecordReference()) != NTFS_FILE_MFT || child.GetSequenceNumber() != sequence)
        return false;
    for (const CNtfsFileRecordAttribute& attribute : child.GetAttributes()) {
        if (!attribute.IsMyself(NTFS_AT_DATA, u"") || attribute.GetLowestVcn() != lowestVcn)
            continue;
        // Each extent must continue exactly where the run list so far ends.
        CNtfsRunList part;
        if (attribute.IsResident() || lowestVcn != mftRuns_.GetNextVcn() ||
            !attribute.GetDataRunList(part, static_cast<int64_t>(volume_.GetVolumeClusterCount())))
            return false;
        mftRuns_.Append(part);
        if (!IsPlausibleMftRunList(mftRuns_))
            return false;
        AddRecordNumber(recordNumber);
        return true;
    }
    return false;
}

void CExtendMFT::AddRecordNumber(uint64_t recordNumber)
{
    const auto at = std::lower_bound(mftRecords_.begin(), mftRecords_.end(), recordNumber);
    if (at == mftRecords_.end() || *at != recordNumber)
        mftRecords_.insert(at, recordNumber);
}
