// The image container object: opens, lists, reads and writes one image set.
// Its operations are spread over files by concern: opening and life cycle
// (CCofran.cpp), directory lists (CCofranLists.cpp), the set's files and names
// (CCofranSetFiles.cpp), the writer (CCofranWriter.cpp, CCofranWriteData.cpp) and
// the volume reader (CCofranReader.cpp and the files it names).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "AesCipher.h"
#include "BlobCodec.h"
#include "CofranFile.h"
#include "IKSCofran.h"
#include "IndexChunkCache.h"
#include "WriteBuffer.h"

class CCofran final : public IKSCofran {
public:
    CCofran();

    unsigned long Release() override;
    unsigned long SetTempPath(const wchar_t* folder) override;
    unsigned long SetCallBack(KS_IMG_CALLBACK callback, void* context) override;
    unsigned long SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                   unsigned long byNameNumber) override;
    unsigned long GetBackupImg(_KS_IMG* list, unsigned long* count) override;
    unsigned long GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list, unsigned long* count,
                               unsigned long searchMode) override;
    unsigned long GetLabelNoFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                       const _KS_CDINFO* labels, unsigned long labelCount,
                                       const _KS_IMGNAME_NO* names, unsigned long nameCount, unsigned long long offset,
                                       unsigned long* labelIndex, unsigned long* fileNumber) override;
    unsigned long GetCofranNameFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                          const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                          unsigned long long offset, wchar_t* out, unsigned long outChars,
                                          unsigned long* fileNumber) override;
    unsigned long GetCofranNameFromCofranNo(const _KS_VERSION* versions, unsigned long versionCount,
                                            const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                            unsigned long long fileNumber, wchar_t* out,
                                            unsigned long outChars) override;
    unsigned long OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* password,
                             unsigned long passwordBytes) override;
    unsigned long GetCofranInfo(_KS_IMG_FILE_INFO* info) override;
    unsigned long GetBackupVer(_KS_VERSION* versions, unsigned long count) override;
    unsigned long GetBackupCdInfo(_KS_CDINFO* labels, unsigned long count) override;
    unsigned long GetFilters(_KS_FILTERS_HEAD* filters, unsigned long bytes) override;
    unsigned long GetVolumes(_KS_VOLUME* volumes, unsigned long count) override;
    unsigned long GetComment(wchar_t* comment, unsigned long chars) override;
    unsigned long GetBackupImgNameInfo(_KS_IMGNAME_NO* names, unsigned long count) override;
    unsigned long GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes) override;
    unsigned long CheckCofranVer(const _KS_VERSION* version) override;
    unsigned long GetAvailableCofranName(wchar_t* out, unsigned long outChars) override;
    unsigned long GetAvailableLabel(wchar_t* out, unsigned long outChars) override;
    unsigned long OpenVolume(_KS_VOLUME* volume) override;
    unsigned long GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved) override;
    unsigned long ReadBlock(const _KS_BLOCK* block, void* buffer) override;
    unsigned long CheckVolume() override;
    unsigned long CheckNextBlock(_KS_BLOCK* block) override;
    unsigned long ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                           unsigned long* clustersRead) override;
    unsigned long ReadSector(long long firstSector, void* buffer, unsigned long count, unsigned long* sectorsRead,
                             unsigned long reserved) override;
    unsigned long CloseVolume() override;
    unsigned long CloseCofran() override;
    unsigned long BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                              const wchar_t* comment, unsigned long level, unsigned long splitMiB) override;
    unsigned long WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size) override;
    unsigned long WriteData(unsigned long firstCluster, const void* data, unsigned long clusters,
                            unsigned long long changeMask) override;
    unsigned long WriteSector(int firstSector, const void* data, unsigned long count,
                              unsigned long reserved) override;
    unsigned long EndBackup(unsigned long more) override;

    // Objects alive in this module (made by the factory, not yet released).
    static long LiveObjects();

private:
    ~CCofran();

    // ---- opening (CCofran.cpp)
    unsigned long SetPassword(const wchar_t* password, unsigned long bytes);
    unsigned long OpenForReading(const wchar_t* path);
    unsigned long CheckPassword(const _KS_IMG_HEAD& head) const;
    static bool NoImageEndsAt(const wchar_t* path);
    unsigned long OpenForBackup(const wchar_t* path);
    unsigned long Use() const { return openMode_ & KS_OPEN_USE_MASK; }
    bool SetOpen() const { return reader_.IsOpen(); }
    bool DiscSet() const { return (openMode_ & KS_OPEN_DISC_SET) != 0; }

    // ---- directory lists of the open file (CCofranLists.cpp)
    BlobCodec::Settings ReaderSettings();
    unsigned long ReadDirectoryBlob(uint32_t pos, uint32_t raw, uint32_t stored, KSBlobGroup group,
                                    std::vector<unsigned char>& out);
    unsigned long LoadVersions(std::vector<_KS_VERSION>& out);
    unsigned long LoadLabels(std::vector<_KS_CDINFO>& out);
    unsigned long LoadNames(std::vector<_KS_IMGNAME_NO>& out);
    unsigned long LoadVolumes(std::vector<_KS_VOLUME>& out);
    unsigned long CheckListCall(const void* buffer, bool lastFileOnly) const;

    // ---- the set's files (CCofranSetFiles.cpp)
    unsigned long ListSetFrom(const std::wstring& start, const std::wstring& folder, _KS_IMG* list,
                              unsigned long* count);
    bool FindSetFile(const std::wstring& folder, const std::wstring& name, const std::wstring& previousHeadPath,
                     const uint8_t* setId, uint32_t fileNumber, std::wstring& found, _KS_IMG_HEAD& head,
                     _KS_IMG_TAIL& tail);
    unsigned long FindLastFile(const std::wstring& path, bool byNameNumber, std::wstring& last);

    // ---- the writer (CCofranWriter.cpp, CCofranWriteData.cpp)
    BlobCodec::Settings WriterSettings();
    uint64_t StreamPosition() const;
    uint64_t ClosingRoom() const;
    unsigned long WriteBytes(const void* data, uint32_t size);
    unsigned long WriteBlob(KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t* storedSize);
    unsigned long WriteDirectory(const _KS_FILTERS_HEAD* filters, const wchar_t* comment);
    unsigned long WriteRunIndex(_KS_VOLUME& volume);
    bool RunIndexWanted() const;
    unsigned long CloseIndexChunk();
    unsigned long AppendRunEntry(const _KS_RIND_ENTRY& entry);
    void StartRunIndex();
    void FreshOpenEntry();
    unsigned long CheckSystemRun(const _KS_VOLUME& volume, uint32_t first, uint32_t count) const;
    void FreeWriterRun();
    void ResetWriter();

    // ---- the volume reader (CCofranReader.cpp, CCofranReadData.cpp,
    //      CCofranVolumeCheck.cpp, CCofranFileSwitch.cpp)
    unsigned long OpenFileForReading(const std::wstring& path);
    bool VolumeOpen() const { return curVolume_ >= 0; }
    bool InOpenFile(uint64_t offset, uint64_t size) const;
    uint64_t FilePosition(uint64_t offset) const { return offset - rtail_.Base + rtail_.DataStart; }
    unsigned long SwitchFor(uint64_t offset);
    unsigned long LoadSwitchLists();
    unsigned long SwitchOnDiscs(uint64_t offset);
    unsigned long ReadFileBytes(uint64_t pos, void* buffer, uint32_t size);
    unsigned long ReadStored(uint64_t offset, uint32_t stored, KSBlobGroup group, unsigned char* out, uint32_t raw);
    bool RunEntry(uint32_t position, _KS_RIND_ENTRY& entry) const;
    unsigned long LoadChunk(uint32_t position, const _KS_RIND_ENTRY& entry, const unsigned char** chunk);
    unsigned long SaveChunkToTemp(IndexChunkCache::Slot& slot);
    unsigned long BlockRawSize(const _KS_BLOCK& block, uint32_t* raw) const;
    unsigned long ReadBlockInto(const _KS_BLOCK& block, unsigned char* out);
    unsigned long VerifyOnce(uint64_t offset, const unsigned char* raw, uint64_t bytes, uint64_t crc);
    unsigned long ReadClusters(uint32_t first, unsigned char* buffer, uint32_t clusters, uint32_t* done);
    unsigned long FindDirectRun(uint64_t sector, _KS_RIND_ENTRY& run) const;
    unsigned long HoldPreSectors();
    unsigned long HoldDirectRun(const _KS_RIND_ENTRY& run);
    unsigned long ReadPreSectors(int64_t first, unsigned char* out, uint32_t count);
    unsigned long ReadSystemSectors(uint64_t first, unsigned char* out, uint32_t count, uint32_t* done);
    unsigned long ReadDataSectors(uint64_t first, unsigned char* out, uint64_t count, uint64_t* done);
    void DropTempFile();
    uint32_t ChunkUsed(const unsigned char* chunk) const;
    uint64_t LargestStoredRun(uint32_t bytesPerSector) const;

    // Writer state saved by BeginBackup so that a refusal leaves it untouched.
    struct WriterSnapshot {
        _KS_IMG_HEAD head;
        _KS_IMG_TAIL tail;
        std::vector<_KS_VERSION> versions;
        std::vector<_KS_CDINFO> labels;
        std::vector<_KS_IMGNAME_NO> names;
        uint32_t nameNumber;
        uint32_t labelCounter;
    };
    WriterSnapshot Snapshot() const;
    void Restore(const WriterSnapshot& s);

    // callback
    KS_IMG_CALLBACK callback_ = nullptr;
    void* callbackContext_ = nullptr;
    std::wstring tempFolder_;

    // open state
    unsigned long openMode_ = 0;
    unsigned char password_[KS_PATH_CHARS];
    unsigned long passwordLength_ = 0;
    bool writerOpen_ = false; // opened for backup
    std::wstring folder_;
    std::wstring baseName_;
    std::wstring labelPrefix_;
    uint32_t nameNumber_ = 0;
    uint32_t labelCounter_ = 0;

    // writer
    _KS_IMG_HEAD whead_;
    _KS_IMG_TAIL wtail_;
    unsigned long beginMode_ = 0;
    bool writing_ = false;
    bool volumeInfoWritten_ = false;
    bool closing_ = false;
    CofranFile out_;
    std::wstring outPath_;
    uint64_t splitSize_ = 0;
    WriteBuffer buffer_;
    std::vector<_KS_VERSION> versions_;
    std::vector<_KS_CDINFO> labels_;
    std::vector<_KS_VOLUME> volumes_;
    std::vector<_KS_IMGNAME_NO> names_;
    _KS_RIND_HEAD rindHead_;
    std::vector<unsigned char> runIndex_; // head bytes are encoded when written
    uint32_t runUsed_ = 0;
    _KS_RIND_ENTRY openEntry_;
    bool openEntryLive_ = false;
    std::vector<unsigned char> chunk_;
    uint32_t chunkUsed_ = 0;

    // reader
    CofranFile reader_;
    _KS_IMG_HEAD rhead_;
    _KS_IMG_TAIL rtail_;
    std::wstring openPath_;
    _KS_BLOCK lastBlock_; // the block last returned by GetNextBlockInfo

    // current read volume
    int curVolume_ = -1;
    _KS_VOLUME curVol_;
    std::vector<unsigned char> rRun_;    // its run index, raw
    _KS_RIND_HEAD rRunHead_;
    uint32_t rRunPos_ = 0;               // block walk: next run-index entry
    uint32_t rFindPos_ = 0;              // cluster reads: where the last entry was found
    const unsigned char* walkChunk_ = nullptr;
    std::vector<unsigned char> walkBuffer_;
    uint32_t walkPos_ = 0;
    IndexChunkCache cache_;
    uint64_t age_ = 0;
    std::unique_ptr<unsigned char[]> sectorBuffer_; // not zeroed: it only holds what was read
    uint64_t sectorBytes_ = 0;
    enum HeldRun { kHeldNone, kHeldPre, kHeldDirect, kHeldBlock };
    HeldRun heldKind_ = kHeldNone;
    uint64_t heldFirst_ = 0;             // first sector (direct run) or cluster (block)
    uint32_t heldCount_ = 0;
    std::map<uint32_t, uint64_t> movedChunks_; // run-index position -> temp-file offset
    std::unordered_set<uint64_t> verified_;    // stream offsets of runs whose CRC-64 matched
    CofranFile tempFile_;
    std::wstring tempPath_;
    uint64_t tempSize_ = 0;
    std::vector<_KS_IMG> setFiles_;
    std::vector<_KS_IMGNAME_NO> setNames_;
    std::vector<_KS_CDINFO> setLabels_;
    bool switchListsLoaded_ = false;
    std::vector<unsigned char> stored_;  // stored bytes on their way to the codec

    AesCipher cipher_;
    BlobCodec codec_;
};
