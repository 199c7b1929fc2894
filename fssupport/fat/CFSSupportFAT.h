// The FAT reader: attaches to a FAT12, FAT16 or FAT32 volume through the sector
// callbacks, reports its used clusters and volume record, takes the page and
// hibernation files out, and hands the file system's own areas to the write
// callback. Nothing is ever written to the volume itself.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ClusterBitmap.h"
#include "FatBootSector.h"
#include "FatTable.h"
#include "KSFSSupport.h"

class CFSSupportFAT final : public IKSFSSupport {
public:
    CFSSupportFAT() = default;
    CFSSupportFAT(const CFSSupportFAT&) = delete;
    CFSSupportFAT& operator=(const CFSSupportFAT&) = delete;

    unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) override;
    unsigned long Release() override;
    unsigned long InitFileSystem(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write,
                                 void* context) override;
    unsigned long GetFileSystem() override;
    unsigned long GetBitMap(void* destination, unsigned long long* firstBit, unsigned long* bitCount) override;
    unsigned long GetVolumeInfo(_KS_VOLUME* volume) override;
    unsigned long WalkThroughVolume(_KS_FILTERS_HEAD* filters) override;
    unsigned long WriteSpecialInfo() override;
    unsigned long CheckFileSystem() override;

    // Pieces in which areas go to the write callback: 128 sectors, 64 KiB.
    static constexpr unsigned long kPieceSectors = 128;

private:
    ~CFSSupportFAT() = default;

    void FreeBuffers();
    unsigned long LoadFat();
    unsigned long BuildBitmap();
    unsigned long LoadRootDirectory(class FatDirectoryWalker& walker);
    bool ClusterCountFitsKind() const;
    unsigned long WriteArea(uint64_t firstSector, uint64_t sectorCount, const unsigned char* source);
    void AdjustFsInfo(uint64_t pieceFirstSector, unsigned long pieceSectors, unsigned char* piece) const;

    KS_READ_SECTORS_CALLBACK read_ = nullptr;
    KS_WRITE_SECTORS_CALLBACK write_ = nullptr;
    void* context_ = nullptr;
    unsigned long kind_ = KS_FS_OTHER;
    uint64_t firstDataSector_ = 0;
    uint32_t clusterCount_ = 0;
    // Set once InitFileSystem has succeeded; every later operation needs it.
    bool ready_ = false;
    // The walk enters subdirectories when it was given a filters record.
    bool enterSubdirectories_ = false;
    FatTable fat_;
    // The root directory as the walk left it, and the clusters that hold it on FAT32.
    std::vector<unsigned char> rootDirectory_;
    std::vector<uint32_t> rootClusters_;
    bool rootLoaded_ = false;
    // Clusters the walks freed, which the FAT32 free-cluster count must take in.
    uint64_t freedClusters_ = 0;
    ClusterBitmap bitmap_;
    std::unique_ptr<FatBootSector> boot_;
};
