// One partition of one disk during a backup: learns the partition from the disk
// enumeration module, reads the disk through the raw device module (or through a
// snapshot of a lettered volume), builds the volume record and copies the volume in
// three steps through its creator's write callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "CBlockMap.h"
#include "IKSVolume.h"
#include "KSDiskInfo.h"
#include "KSFSSupport.h"
#include "VolumeServices.h"

class ICensa;
class IKSDevIO;
class IKSQuelm;

class CVolumeItem final : public IKSVolume {
public:
    explicit CVolumeItem(const KSVolumeServices& services = KSDefaultVolumeServices());
    ~CVolumeItem();
    CVolumeItem(const CVolumeItem&) = delete;
    CVolumeItem& operator=(const CVolumeItem&) = delete;

    unsigned long Release() override;
    unsigned long GetCancel() override;
    unsigned long SetCancel(unsigned long flag) override;
    _KS_VOLUME* GetVolumeInfo() override;
    unsigned long InitVolume(_KS_VOLUME_ITEM item, const wchar_t* tempFolder) override;
    unsigned long PrepareVolume(unsigned long force) override;
    unsigned long ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer) override;
    unsigned long CallBack(unsigned long long firstSector, unsigned long count, void* buffer,
                           unsigned long mode) override;
    unsigned long ReadVolumeSectors(unsigned long long firstSector, unsigned long count, void* buffer,
                                    unsigned long mode) override;

    // The backup engine's form: with the image path, both callbacks and their context.
    unsigned long InitVolume(_KS_VOLUME_ITEM item, const wchar_t* tempFolder, const wchar_t* imagePath,
                             KS_VOLUME_WRITE_CALLBACK write, KS_VOLUME_PROGRESS_CALLBACK progress, void* context,
                             unsigned long sectorBySector, unsigned long checkDiskError);

    // The three copy steps, in this order, after PrepareVolume.
    unsigned long BackupPreviousSectors();
    unsigned long BackupFileSystemData(_KS_FILTERS_HEAD* filters);
    unsigned long BackupByBitmap();
    // Detaches from and ends the snapshot, if any (the engine calls it after each item).
    void CloseSnapshot();
    // While the engine cannot write (its set changes files, a disc is burned or the
    // user is asked), preserved blocks stay in the snapshot client's store instead of
    // waiting for it: the bitmap step's callback is detached, then attached again.
    // Both do nothing outside the bitmap step. Called on the bitmap step's thread.
    void PauseUrgentBlocks();
    void ResumeUrgentBlocks();

    unsigned long CheckFileSystem();
    // Used sectors: counted from the file-system reader's bitmap once one is open; a
    // figure obtained without one is not kept, so it cannot outlive PrepareVolume.
    uint64_t GetUsedSectors();
    // Sectors a run expects to copy before the volume is prepared: all of them, or
    // the used ones as far as they are known yet.
    uint64_t EstimatedSectors(bool all) { return all ? partition_.SectorCount : GetUsedSectors(); }
    // The sectors the bitmap step will copy (used sectors past the data area, or all).
    uint64_t SectorsToCopy();
    // One bit per snapshot block from the file-system reader's cluster bitmap.
    unsigned long BuildSnapshotBitmap(uint8_t* out, uint64_t outBytes);
    uint64_t DataAreaStart() const;
    uint32_t SnapshotBlockSize() const { return blockSize_; }
    bool HasFileSystemReader() const { return fsReader_ != nullptr; }

    static unsigned long OnUrgentBlock(void* context, unsigned long long firstSector, unsigned long count,
                                       void* data);
    static unsigned long FsReadCallback(void* context, unsigned long long firstSector, unsigned long count,
                                        void* buffer);
    static unsigned long FsWriteCallback(void* context, unsigned long long firstSector, unsigned long count,
                                         void* buffer, unsigned long mode);

private:
    unsigned long Fail(unsigned long code);
    unsigned long Report(unsigned long state, uint64_t bytes, unsigned long itemPercent);
    unsigned long OpenFileSystemReader(IKSFSSupport** reader);
    unsigned long OpenSnapshot();
    void FillRecordByHand();
    unsigned long FillPartitionFields();
    unsigned long PrepareSnapshotBitmap();
    unsigned long ReadFromSnapshot();
    uint64_t OsVolumeLength(uint32_t bytesPerSector, uint64_t fallback) const;
    unsigned long ReadRaw(uint64_t diskSector, unsigned long count, void* buffer);
    bool ReadNextRun(uint64_t& position, uint32_t& run, uint64_t end, void* buffer, unsigned long& rc);
    uint64_t VolumeTotalSectors() const;
    uint64_t CountBitmapSectors();
    wchar_t LetterOfFolder(const std::wstring& folder) const;

    const KSVolumeServices services_;
    wchar_t tempLetter_ = 0;
    wchar_t imageLetter_ = 0;
    unsigned long checkDiskError_ = 0;
    unsigned long sectorBySector_ = 0;
    std::atomic<unsigned long> stop_{0};
    std::atomic<bool> snapshotRunning_{false};
    // Set once the snapshot has started: every read of the volume goes to it.
    std::atomic<bool> snapshotReads_{false};
    _KS_VOLUME volume_{};
    _KS_PARTITION_INFO partition_{};
    _KS_DISK_INFO disk_{};
    KS_VOLUME_WRITE_CALLBACK write_ = nullptr;
    KS_VOLUME_PROGRESS_CALLBACK progress_ = nullptr;
    void* context_ = nullptr;
    IKSFSSupport* fsReader_ = nullptr;
    IKSQuelm* snapshot_ = nullptr;
    ICensa* censa_ = nullptr;
    IKSDevIO* device_ = nullptr;
    CBlockMap pending_;
    // The bitmap step's find-read-mark of a run and the preserved-block callback's
    // find-write-mark exclude each other, so no block is copied by both.
    std::mutex copyLock_;
    bool urgentAttached_ = false;
    std::vector<uint8_t> snapshotBitmap_;
    uint64_t hiddenSectors_ = 0;
    uint64_t usedSectors_ = 0;
    bool usedFromBitmap_ = false;
    uint64_t volumeLength_ = 0;
    uint32_t blockSize_ = 0;
    uint64_t readTimeMs_ = 0;
    unsigned long diskNumber_ = 0;
    unsigned long partitionNumber_ = 0;
    unsigned long last_ = 0;
    std::wstring tempFolder_;
    std::wstring imagePath_;
};

// The snapshot block: the cluster size (128 sectors when unknown), doubled until the
// bitmap of the volume fits in 4 MiB.
uint32_t ChooseSnapshotBlockSize(uint64_t totalSectors, uint32_t sectorsPerCluster);
// True when the volume is nearly full: used plus a fiftieth of used exceeds the total.
bool CopyEverySector(uint64_t usedSectors, uint64_t totalSectors);
