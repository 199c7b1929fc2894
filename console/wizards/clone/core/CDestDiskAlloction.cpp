#include "CDestDiskAlloction.h"

#include "CloneDiskRecords.h"
#include "vessmar/FileSystemType.h"

CDestDiskAlloction::CDestDiskAlloction(uint64_t targetSectors, uint32_t targetTrack, uint32_t cylinder,
                                       const std::vector<_KS_PARTITION_INFO>& source)
    : cylinder_(cylinder), targetSectors_(targetSectors)
{
    bool first = true;
    for (const _KS_PARTITION_INFO& p : source) {
        if (IsGrowablePartition(p))
            ++growable_;
        source_.push_back(p);
        added_.push_back(0);
        if (p.PartitionType == 0)
            continue;
        const int64_t used = static_cast<int64_t>(p.UsedSectors);
        if ((p.Flags & kCloneFlagKeepSize) != 0 || p.FileSystemType == FILE_SYSTEM_FAT12)
            need_ += static_cast<int64_t>(p.SectorCount);
        else if (IsResizableFileSystem(p.FileSystemType))
            need_ += used + used / 50;
        else
            need_ += used;
        if (p.Primary == 0) {
            need_ += targetTrack;
            if (first)
                need_ += cylinder_;
        }
        first = false;
    }
    spare_ = static_cast<int64_t>(targetSectors_) - need_;
    CountAddSector(0);
}

int64_t CDestDiskAlloction::operator()(unsigned char index) const
{
    return index < added_.size() ? added_[index] : 0;
}

int64_t CDestDiskAlloction::CorrectPartition(long long end, unsigned char) const
{
    if (cylinder_ == 0)
        return 0;
    const long long cylinders = (end + 1 + cylinder_ - 1) / cylinder_;
    return cylinders * cylinder_ - 1 - end;
}

int64_t CDestDiskAlloction::SupportFs(unsigned char fileSystem, long long sectors)
{
    if (fileSystem == FILE_SYSTEM_FAT16 && sectors >= kCloneFat16CapFrom)
        return kCloneFat16Cap;
    if (fileSystem == FILE_SYSTEM_FAT32 && sectors >= kCloneFat32CapFrom)
        return kCloneFat32Cap;
    return 0;
}

void CDestDiskAlloction::CountAddSector(int first)
{
    if (growable_ == 0 || first < 0 || static_cast<size_t>(first) >= source_.size())
        return;
    int64_t spare = spare_;
    bool again = true;
    // A capped partition can give sectors back; the bound keeps a round that hands out
    // nothing from repeating for ever.
    for (int round = 0; spare >= static_cast<int64_t>(growable_) && again && round < 4096; ++round) {
        const int64_t share = spare / growable_;
        again = false;
        for (size_t i = static_cast<size_t>(first); i < source_.size(); ++i) {
            const _KS_PARTITION_INFO& p = source_[i];
            if (p.PartitionType == 0 || !IsGrowablePartition(p))
                continue;
            const int64_t used = static_cast<int64_t>(p.UsedSectors);
            const int64_t want = used + share + added_[i] + used / 50;
            const int64_t cap = SupportFs(static_cast<unsigned char>(p.FileSystemType), want);
            int64_t delta;
            if (cap != 0) {
                delta = cap - used - added_[i];
                added_[i] = cap - used;
            } else {
                added_[i] += share;
                delta = share;
                again = true;
            }
            spare -= delta;
        }
    }
    spare_ = spare;
}
