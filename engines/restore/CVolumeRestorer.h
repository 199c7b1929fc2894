// One queued operation's work, built on the worker's stack: restores an image volume
// onto a partition by walking the chosen version and the older ones it needs, newest
// first, writing each cluster once from the newest version that holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CRawDisk.h"
#include "CRestore.h"
#include "CTargetWriter.h"
#include "IKSCofran.h"

class CVolumeRestorer {
public:
    CVolumeRestorer(CRestore& engine, uint32_t index);
    ~CVolumeRestorer();
    unsigned long Run(const _KS_RESTORE_OPERATION& operation);

private:
    CVolumeRestorer(const CVolumeRestorer&) = delete;
    CVolumeRestorer& operator=(const CVolumeRestorer&) = delete;

    unsigned long OpenSet();
    unsigned long RestoreOntoPartition(const _KS_VOLUME& source, const _KS_RESTORE_TARGET& target, uint32_t option);
    unsigned long RestoreWholeDisk(const _KS_RESTORE_TARGET& target);
    unsigned long RunClone(const _KS_RESTORE_TARGET& source, const _KS_RESTORE_TARGET& target, uint32_t option);
    unsigned long RefuseImageDisk(const _KS_RESTORE_TARGET& target, uint64_t start, uint64_t sectors);
    unsigned long LocateVolumeFile(_KS_VOLUME& source, uint32_t& fileNumber);
    unsigned long ListSetFiles(std::vector<_KS_IMG>& files);
    bool FileHoldsVolume(const wchar_t* path, _KS_VOLUME& source);
    unsigned long EnsureFile(uint32_t fileNumber, std::wstring& path);
    unsigned long EnsureVolumeStart(const std::wstring& lastPath, _KS_VOLUME& source, uint32_t lastFile);
    unsigned long ReadVolumeStart(const std::wstring& path, _KS_VOLUME& source);
    unsigned long WalkVersions(_KS_VOLUME& source, CTargetWriter& writer, uint32_t lastFile);
    unsigned long RestoreFile(const std::wstring& path, _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long CopyBlocks(const std::wstring& path, const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long CopySystemAreaThroughSet(const std::wstring& path, const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long CopySystemArea(const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long WriteRuns(const _KS_BLOCK& block, const unsigned char* data, const _KS_VOLUME& source,
                            CTargetWriter& writer);
    unsigned long FinishVolume(const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long PatchFatBootArea(const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long CopyFats(const _KS_VOLUME& source, CTargetWriter& writer);
    unsigned long CopyByFileSystem(_KS_VOLUME& source, const _KS_RESTORE_TARGET& target);
    unsigned long CloneByFileSystem(const _KS_RESTORE_TARGET& source, const _KS_RESTORE_TARGET& target);
    unsigned long RunCopier(const KSVolumeSource& volume, unsigned fileSystem, const _KS_RESTORE_TARGET& target);
    unsigned long GrowNtfs(const _KS_VOLUME& source, const _KS_RESTORE_TARGET& target, CRawDisk& disk);
    unsigned long ReadSetBitmap(const _KS_VOLUME& source, uint32_t lastFile, std::vector<uint8_t>& bitmap);

    CRestore& engine_;
    uint32_t index_;
    IKSCofran* image_ = nullptr;
    std::wstring imagePath_;
    _KS_VERSION version_;
    uint8_t setId_[16] = {};
    std::vector<_KS_IMGNAME_NO> names_;
    std::vector<_KS_VERSION> versions_;
    std::vector<uint8_t> pending_;
    std::vector<unsigned char> readBuffer_;
    std::vector<unsigned char> runBuffer_;
    uint64_t dataStart_ = 0;
    uint64_t progressTotal_ = 0;
    bool systemAreaDone_ = false;
    // A FAT volume grown onto a larger partition: its new FAT size and boot patch.
    uint32_t newFatSize_ = 0;
    bool patchBoot_ = false;
    uint64_t targetSectors_ = 0;
    // An NTFS volume restored onto a larger partition, grown once it is written.
    bool growNtfs_ = false;
};
