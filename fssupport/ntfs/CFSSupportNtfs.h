// The NTFS reader: reaches the volume only through the caller's sector callbacks,
// loads $MFT, $Bitmap and $BadClus through our NTFS layer, and keeps its own copy of
// the cluster bitmap from which it clears the clusters it hands out and the page
// and hibernation files' data.
#pragma once

#include <memory>
#include <string>

#include "CBadCluster.h"
#include "CExtendMFT.h"
#include "CFindFile.h"
#include "CHardDriveIO.h"
#include "CNtfsVolume.h"
#include "CSourceBitmap.h"
#include "CSourceMFTBitmap.h"
#include "CVirtualDevice.h"
#include "CWorkingBitmap.h"
#include "KSFSSupport.h"
#include "KSVolume.h"

class CFSSupportNtfs final : public IKSFSSupport {
public:
    CFSSupportNtfs();
    CFSSupportNtfs(const CFSSupportNtfs&) = delete;
    CFSSupportNtfs& operator=(const CFSSupportNtfs&) = delete;

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

    // Hands sectors to the write callback, always with mode 0.
    unsigned long WriteSectors(unsigned long long firstSector, unsigned long count, void* buffer, unsigned long mode);

private:
    ~CFSSupportNtfs();

    void Clear();
    void PrepareVolumeRecord();
    // Clears the data clusters of a file of the root directory, when there is one.
    unsigned long LeaveOutRootFile(const std::u16string& name);
    // Copies the clusters of one metadata file to the write callback, then clears
    // them in the working bitmap.
    unsigned long CopySpecialFile(uint64_t recordNumber);

    KS_READ_SECTORS_CALLBACK read_ = nullptr;
    KS_WRITE_SECTORS_CALLBACK write_ = nullptr;
    void* context_ = nullptr;
    bool initialised_ = false;
    unsigned long fileSystem_ = KS_FS_OTHER;
    _KS_VOLUME volumeRecord_;
    CHardDriveIO driveIO_;
    CNtfsVolume volume_;
    CExtendMFT mft_;
    CSourceBitmap sourceBitmap_;
    CSourceMFTBitmap sourceMftBitmap_;
    CBadCluster badClusters_;
    CFindFile findFile_;
    CWorkingBitmap workingBitmap_;
    int driveNumber_ = -1;
    // Each reader has its own device and setting: a second reader in the same
    // process never takes this one's volume away.
    std::unique_ptr<CVirtualDevice> device_;
};
