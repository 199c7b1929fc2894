#include "CNtfsMFT.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "CHardDriveIO.h"
#include "DebugMessage.h"
#include "NtfsLayout.h"
#include "NtfsRunChunk.h"

namespace {
// One read never moves more than this, whatever the caller asks.
constexpr uint64_t kMaxChunk = 2147483647ull;
} // namespace

void CNtfsMFT::Reset()
{
    mftRuns_.Clear();
    recordCount_ = 0;
    initialized_ = false;
}

bool CNtfsMFT::InitMFT(const CNtfsVolume& volume)
{
    Reset();
    if (!volume.IsLoaded() || volume.GetDriveIO() == nullptr)
        return false;
    volume_ = volume;
    const uint32_t sectors = volume_.GetSectorsPerFileRecord();
    std::vector<unsigned char> bytes(volume_.GetBytesPerFileRecord());
    if (!volume_.GetDriveIO()->ReadSector(bytes.data(),
                                          static_cast<long long>(volume_.GetSectorAddressFromLCN(volume_.GetMftLcnAddress())),
                                          sectors))
        return false;
    CNtfsFileRecord record;
    if (!record.InitFromSourceFileRecord(bytes.data(), bytes.size(), NTFS_FILE_MFT)) {
        DebugMessage("Call InitFromSourceFileRecord for $MFT failed!\n(%s,%d)\n", __FILE__, __LINE__);
        return false;
    }
    const CNtfsFileRecordAttribute* data = record.FindAttribute(NTFS_AT_DATA, u"");
    if (data == nullptr || data->IsResident() ||
        !data->GetDataRunList(mftRuns_, static_cast<int64_t>(volume_.GetVolumeClusterCount())) ||
        !IsPlausibleMftRunList(mftRuns_)) {
        mftRuns_.Clear();
        return false;
    }
    recordCount_ = CountRecords(mftRuns_, data->GetDataSize());
    initialized_ = recordCount_ > NTFS_FILE_BADCLUS;
    return initialized_;
}

bool CNtfsMFT::IsPlausibleMftRunList(const CNtfsRunList& runs) const
{
    uint64_t clusters = 0;
    for (const tagDataRun& run : runs.GetRuns()) {
        if (run.LCN == NTFS_SPARSE_LCN)
            return false;
        clusters += static_cast<uint64_t>(run.Length);
        if (clusters > volume_.GetVolumeClusterCount())
            return false;
    }
    return true;
}

uint64_t CNtfsMFT::CountRecords(const CNtfsRunList& runs, uint64_t dataSize) const
{
    const uint64_t byRuns = static_cast<uint64_t>(runs.GetNextVcn()) * volume_.GetSectorsPerCluster() /
                            volume_.GetSectorsPerFileRecord();
    return std::min(byRuns, dataSize / volume_.GetBytesPerFileRecord());
}

bool CNtfsMFT::ReadRecordThrough(const CNtfsRunList& runs, uint64_t recordNumber, CNtfsFileRecord& record) const
{
    const uint64_t recordBytes = volume_.GetBytesPerFileRecord();
    std::vector<unsigned char> bytes(recordBytes);
    if (!ReadRunListData(runs, recordNumber * recordBytes, bytes.data(), recordBytes))
        return false;
    return record.InitFromSourceFileRecord(bytes.data(), bytes.size(), recordNumber);
}

bool CNtfsMFT::ReadFileRecord(uint64_t recordNumber, CNtfsFileRecord& record) const
{
    if (!initialized_ || recordNumber >= recordCount_)
        return false;
    return ReadRecordThrough(mftRuns_, recordNumber, record);
}

bool CNtfsMFT::ReadRunListData(const CNtfsRunList& runs, uint64_t offset, unsigned char* buffer,
                               uint64_t length) const
{
    CHardDriveIO* io = volume_.GetDriveIO();
    if (io == nullptr || buffer == nullptr || length > kMaxChunk)
        return false;
    const uint64_t sectorSize = CHardDriveIO::SECTOR_SIZE;
    const uint64_t clusterBytes = volume_.GetBytesPerCluster();
    unsigned char sector[CHardDriveIO::SECTOR_SIZE];
    uint64_t done = 0;
    while (done < length) {
        const uint64_t position = offset + done;
        int64_t lcn = 0;
        int64_t clustersLeft = 0;
        if (!runs.VcnToLcn(static_cast<int64_t>(position / clusterBytes), lcn, clustersLeft))
            return false;
        const uint64_t inCluster = position % clusterBytes;
        const uint64_t chunk = NtfsRunChunk(clustersLeft, clusterBytes, inCluster, length - done);
        // A piece of nothing would never end the loop: a run list that maps no
        // byte here is damaged.
        if (chunk == 0)
            return false;
        if (lcn == NTFS_SPARSE_LCN) {
            std::memset(buffer + done, 0, chunk);
            done += chunk;
            continue;
        }
        const uint64_t byteOnVolume = static_cast<uint64_t>(lcn) * clusterBytes + inCluster;
        uint64_t sectorNumber = volume_.GetSectorAddressFromLCN(0) + byteOnVolume / sectorSize;
        uint64_t inSector = byteOnVolume % sectorSize;
        uint64_t left = chunk;
        // A leading partial sector through the one-sector buffer.
        if (inSector != 0) {
            if (!io->ReadSector(sector, static_cast<long long>(sectorNumber), 1))
                return false;
            const uint64_t n = std::min(left, sectorSize - inSector);
            std::memcpy(buffer + done, sector + inSector, n);
            done += n;
            left -= n;
            ++sectorNumber;
        }
        // Whole sectors straight into the destination.
        const uint64_t whole = left / sectorSize;
        if (whole != 0) {
            if (!io->ReadSector(buffer + done, static_cast<long long>(sectorNumber), static_cast<long long>(whole)))
                return false;
            done += whole * sectorSize;
            left -= whole * sectorSize;
            sectorNumber += whole;
        }
        // A trailing partial sector.
        if (left != 0) {
            if (!io->ReadSector(sector, static_cast<long long>(sectorNumber), 1))
                return false;
            std::memcpy(buffer + done, sector, left);
            done += left;
        }
    }
    return true;
}

bool CNtfsMFT::GetDataFromAttribute(const CNtfsFileRecordAttribute& attribute, uint64_t offset,
                                    unsigned char* buffer, uint64_t length) const
{
    const uint64_t size = attribute.GetDataSize();
    if (buffer == nullptr || offset > size || length > size - offset)
        return false;
    if (attribute.IsResident()) {
        if (length != 0)
            std::memcpy(buffer, attribute.GetResidentData().data() + offset, length);
        return true;
    }
    CNtfsRunList runs;
    if (attribute.GetLowestVcn() != 0 ||
        !attribute.GetDataRunList(runs, static_cast<int64_t>(volume_.GetVolumeClusterCount())))
        return false;
    return ReadRunListData(runs, offset, buffer, length);
}
