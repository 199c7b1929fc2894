// A small stand-in for the image container, for the checker's logic: a set of
// files whose volumes are lists of blocks, with faults and hooks that a test sets.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IKSCofran.h"
#include "KSResult.h"

struct FakeVolumePart {
    uint16_t volumeNumber = 0;
    std::vector<uint32_t> blockClusters; // cluster count of each block in this file
    std::vector<uint32_t> usedClusters;  // bits this file's run index sets in the bitmap
    int corruptBlock = -1;               // CheckNextBlock fails with kind 0x00C at this block
};

struct FakeFile {
    std::wstring path;
    uint32_t versionIndex = 0;
    uint32_t fileNumber = 0;
    uint64_t base = 0;
    uint64_t length = 0;
    std::vector<FakeVolumePart> parts;
};

class FakeCofran : public IKSCofran {
public:
    // Files in ascending file number; the last one ends the set.
    std::vector<FakeFile> files;
    std::vector<_KS_VERSION> versions;
    std::vector<_KS_VOLUME> volumes;
    bool encrypted = false;
    std::wstring password; // the right one when encrypted
    uint8_t setId[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    // Called after each block that CheckNextBlock returns.
    std::function<void(size_t blocksSoFar)> onBlock;
    size_t blocksReturned = 0;
    int opens = 0;
    unsigned long lastOpenMode = 0;
    unsigned long lastPasswordBytes = 0; // the byte length the last OpenCofran was given
    unsigned long sectorsServed = 0; // ReadSector reports min(count, this) sectors read
    long long lastFirstSector = 0;
    bool released = false;
    bool* releasedFlag = nullptr; // set to true by Release when given
    int neededFiles = -1;            // the file info's count of needed files; -1: every file
    unsigned long nameCapacity = 0;  // the capacity of the last GetBackupImgNameInfo call

    // A set of count files of one version, each holding the given part of volume 0.
    static FakeCofran* OneVolumeSet(const std::wstring& folder, int fileCount, std::vector<uint32_t> blocksPerFile);

    unsigned long Release() override;
    unsigned long SetTempPath(const wchar_t*) override { return 0; }
    KS_IMG_CALLBACK callback = nullptr; // as SetCallBack was given it
    void* callbackContext = nullptr;
    unsigned long SetCallBack(KS_IMG_CALLBACK fn, void* context) override
    {
        callback = fn;
        callbackContext = context;
        return 0;
    }
    unsigned long SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                   unsigned long byNameNumber) override;
    unsigned long GetBackupImg(_KS_IMG* list, unsigned long* count) override;
    unsigned long GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list, unsigned long* count,
                               unsigned long searchMode) override;
    unsigned long GetLabelNoFromOffset(const _KS_VERSION*, unsigned long, const _KS_CDINFO*, unsigned long,
                                       const _KS_IMGNAME_NO*, unsigned long, unsigned long long, unsigned long*,
                                       unsigned long*) override;
    unsigned long GetCofranNameFromOffset(const _KS_VERSION*, unsigned long, const _KS_IMGNAME_NO*, unsigned long,
                                          unsigned long long, wchar_t*, unsigned long, unsigned long*) override;
    unsigned long GetCofranNameFromCofranNo(const _KS_VERSION*, unsigned long, const _KS_IMGNAME_NO*, unsigned long,
                                            unsigned long long, wchar_t*, unsigned long) override;
    unsigned long OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* password,
                             unsigned long passwordBytes) override;
    unsigned long GetCofranInfo(_KS_IMG_FILE_INFO* info) override;
    unsigned long GetBackupVer(_KS_VERSION* out, unsigned long count) override;
    unsigned long GetBackupCdInfo(_KS_CDINFO*, unsigned long) override;
    unsigned long GetFilters(_KS_FILTERS_HEAD*, unsigned long) override;
    unsigned long GetVolumes(_KS_VOLUME* out, unsigned long count) override;
    unsigned long GetComment(wchar_t* comment, unsigned long chars) override;
    unsigned long GetBackupImgNameInfo(_KS_IMGNAME_NO* names, unsigned long count) override;
    unsigned long GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes) override;
    unsigned long CheckCofranVer(const _KS_VERSION*) override;
    unsigned long GetAvailableCofranName(wchar_t*, unsigned long) override;
    unsigned long GetAvailableLabel(wchar_t*, unsigned long) override;
    unsigned long OpenVolume(_KS_VOLUME* volume) override;
    unsigned long GetNextBlockInfo(_KS_BLOCK*, unsigned long) override;
    unsigned long ReadBlock(const _KS_BLOCK*, void*) override;
    unsigned long CheckVolume() override;
    unsigned long CheckNextBlock(_KS_BLOCK* block) override;
    unsigned long ReadData(unsigned long, void*, unsigned long, unsigned long*) override;
    unsigned long ReadSector(long long, void*, unsigned long, unsigned long*, unsigned long) override;
    unsigned long CloseVolume() override;
    unsigned long CloseCofran() override;
    unsigned long BeginBackup(const wchar_t*, unsigned long, const _KS_FILTERS_HEAD*, const wchar_t*, unsigned long,
                              unsigned long) override;
    unsigned long WriteVolumeInfo(const _KS_VOLUME*, unsigned long) override;
    unsigned long WriteData(unsigned long, const void*, unsigned long, unsigned long long) override;
    unsigned long WriteSector(int, const void*, unsigned long, unsigned long) override;
    unsigned long EndBackup(unsigned long) override;

    virtual ~FakeCofran() {}

private:
    int open_ = -1;
    const FakeVolumePart* part_ = nullptr;
    size_t nextBlock_ = 0;
};

// A volume record that passes AddCheck: 8 sectors per cluster, a file system with
// no bitmap comparison unless the test changes it.
_KS_VOLUME FakeVolume(uint16_t number, uint64_t usedClusters, uint64_t runIndexOffset);
