#include "CBadCluster.h"

#include "CNtfsMFT.h"
#include "DebugMessage.h"
#include "NtfsLayout.h"

bool CBadCluster::Init(const CNtfsMFT& mft)
{
    runs_.clear();
    if (!mft.IsInitialized())
        return false;
    CNtfsFileRecord record;
    if (!mft.ReadFileRecord(NTFS_FILE_BADCLUS, record)) {
        DebugMessage("Call mft.ReadFileRecord(FILE_BadClus, fileRecord) in CBadCluster::Init() failed! (%s,%d)\n",
                     __FILE__, __LINE__);
        return false;
    }
    if (record.IsAttributeListPresent()) {
        DebugMessage("The $BadClus file have 0x20 attribute! Currently, we do not support it!\n");
        return false;
    }
    const CNtfsFileRecordAttribute* bad = record.FindAttribute(NTFS_AT_DATA, u"$Bad");
    if (bad == nullptr)
        return false;
    if (bad->IsResident()) {
        DebugMessage("The $BadClus::$Bad stream is resident! Currently, we do not support it! (%s,%d)\n", __FILE__,
                     __LINE__);
        return false;
    }
    CNtfsRunList runs;
    if (!bad->GetDataRunList(runs, static_cast<int64_t>(mft.GetVolume().GetVolumeClusterCount()))) {
        DebugMessage("Call attribute.GetDataRunList() in CBadCluster::Init() failed!(%s:%d)\n", __FILE__, __LINE__);
        return false;
    }
    runs_ = runs.GetRuns();
    return true;
}

bool CBadCluster::Init(const CNtfsVolume& volume)
{
    runs_.clear();
    if (!volume.IsLoaded())
        return false;
    runs_.push_back(tagDataRun{NTFS_SPARSE_LCN, 0, static_cast<int64_t>(volume.GetVolumeClusterCount())});
    return true;
}

bool CBadCluster::CheckValid(const CNtfsVolume&) const
{
    return !runs_.empty();
}

bool CBadCluster::IsBadCluster(int64_t cluster) const
{
    for (const tagDataRun& run : runs_) {
        if (cluster >= run.VCN && cluster < run.VCN + run.Length)
            return run.LCN != NTFS_SPARSE_LCN;
    }
    return false;
}

bool CBadCluster::AddBadCluster(int64_t cluster)
{
    for (size_t i = 0; i < runs_.size(); ++i) {
        tagDataRun& run = runs_[i];
        if (cluster < run.VCN || cluster >= run.VCN + run.Length)
            continue;
        if (run.LCN != NTFS_SPARSE_LCN)
            return false;
        // The $Bad stream maps cluster n to LCN n: a bad cluster right after a bad
        // run extends that run.
        if (cluster == run.VCN && i > 0 && runs_[i - 1].LCN != NTFS_SPARSE_LCN) {
            runs_[i - 1].Length += 1;
            run.VCN += 1;
            run.Length -= 1;
            if (run.Length == 0)
                runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        const tagDataRun before{NTFS_SPARSE_LCN, run.VCN, cluster - run.VCN};
        const tagDataRun bad{cluster, cluster, 1};
        const tagDataRun after{NTFS_SPARSE_LCN, cluster + 1, run.VCN + run.Length - cluster - 1};
        std::vector<tagDataRun> replacement;
        if (before.Length > 0)
            replacement.push_back(before);
        replacement.push_back(bad);
        if (after.Length > 0)
            replacement.push_back(after);
        runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i), replacement.begin(), replacement.end());
        return true;
    }
    return false;
}
