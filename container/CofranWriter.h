// The writer: the files of a backup run, each with its head, directory, data area
// (blocks in index chunks, direct sector runs, run indexes), volume list and tail,
// and the continuation of a set into its next file or its next version. It keeps
// its own state; from the rest of the object it takes only the session (password,
// cipher, the set's name) and, when appending, the directory of the set's last file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BlobCodec.h"
#include "BlockPipeline.h"
#include "BlockPlanner.h"
#include "CofranFile.h"
#include "CofranSession.h"
#include "IKSCofran.h"
#include "ImageFileReader.h"
#include "WriteBuffer.h"

class CofranWriter {
public:
    CofranWriter(CofranSession& session, ImageFileReader& file);

    // Opening for backup: a new set at path, or the complete set there to append to.
    unsigned long OpenSet(const wchar_t* path);
    // Drops an unfinished file (it keeps no tail) and forgets the set.
    void Close();
    bool IsOpen() const { return writerOpen_; }

    unsigned long GetAvailableCofranName(wchar_t* out, unsigned long outChars);
    unsigned long GetAvailableLabel(wchar_t* out, unsigned long outChars);
    unsigned long BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                              const wchar_t* comment, unsigned long level, unsigned long splitMiB);
    unsigned long WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size);
    // lastBlock: the block of the set being appended to that the reader returned
    // last; with a change mask, clusters equal to it are indexed by reference.
    unsigned long WriteData(unsigned long firstCluster, const void* data, unsigned long clusters,
                            unsigned long long changeMask, _KS_BLOCK& lastBlock);
    unsigned long WriteSector(int firstSector, const void* data, unsigned long count, unsigned long reserved);
    unsigned long EndBackup(unsigned long more);

private:
    // State saved by BeginBackup so that a refusal leaves it untouched.
    struct Snapshot {
        _KS_IMG_HEAD head;
        _KS_IMG_TAIL tail;
        std::vector<_KS_VERSION> versions;
        std::vector<_KS_CDINFO> labels;
        std::vector<_KS_IMGNAME_NO> names;
        uint32_t nameNumber;
        uint32_t labelCounter;
    };
    Snapshot Save() const;
    void Restore(const Snapshot& s);

    // ---- opening and the run's files (CofranWriter.cpp)
    static bool NoImageEndsAt(const wchar_t* path);
    void StartNewSet();
    unsigned long AppendTo(const wchar_t* path, const _KS_IMG_HEAD& head, const _KS_IMG_TAIL& tail);
    unsigned long CheckBegin(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                             unsigned long level, unsigned long splitMiB) const;
    void NewLabel();
    unsigned long ContinueRun(unsigned long mode);
    void StartVersion(unsigned long mode);
    unsigned long CreateRunFile(const wchar_t* path, const _KS_FILTERS_HEAD* filters, const wchar_t* comment);
    void FreeWriterRun();
    void ResetWriter();

    // ---- bytes, blobs, directory and run index (CofranWriterDirectory.cpp)
    BlobCodec::Settings Settings();
    uint64_t StreamPosition() const;
    uint64_t ClosingRoom() const;
    unsigned long WriteBytes(const void* data, uint32_t size);
    unsigned long WriteBlob(KSBlobGroup group, const unsigned char* raw, uint32_t rawSize, uint32_t* storedSize);
    unsigned long WriteDirectory(const _KS_FILTERS_HEAD* filters, const wchar_t* comment);
    unsigned long WriteVolumeList();
    unsigned long WriteRunIndex(_KS_VOLUME& volume);
    bool RunIndexWanted() const;

    // ---- the data path (CofranWriteData.cpp)
    unsigned long CloseIndexChunk();
    unsigned long AppendRunEntry(const _KS_RIND_ENTRY& entry);
    void StartRunIndex();
    void FreshOpenEntry();
    unsigned long CheckSystemRun(const _KS_VOLUME& volume, uint32_t first, uint32_t count) const;
    void WidenOpenEntry(uint32_t first, uint32_t count);
    unsigned long CloseFullChunk();
    // Stores one block (made ready by a worker when job is given, here otherwise)
    // and indexes it. *placed tells whether the block is in the index, also when
    // closing the chunk it filled failed.
    unsigned long PlaceBlock(const BlockStep& step, uint64_t clusterSize, BlockJob* job, bool* placed);

    // ---- blocks taken ahead (CofranWriteAhead.cpp)
    // Places the pending blocks in order: all of them, or only those ready.
    unsigned long CommitPending(bool all);
    unsigned long Drain() { return CommitPending(true); }
    // Places pending blocks until a call of blocks blocks and bytes raw bytes may join.
    unsigned long MakeRoom(size_t blocks, uint64_t bytes);
    // Whether the planned blocks, with everything pending and the room kept for
    // closing, surely fit under the split size whatever they compress to.
    bool FitsAhead(const std::vector<BlockStep>& steps, uint64_t clusterSize) const;
    // Takes the call's planned blocks ahead, or places them here when that fails.
    unsigned long TakeAhead(const std::vector<BlockStep>& steps, uint64_t clusterSize);

    CofranSession& session_;
    ImageFileReader& file_;

    bool writerOpen_ = false; // opened for backup
    std::wstring labelPrefix_;
    uint32_t nameNumber_ = 0;
    uint32_t labelCounter_ = 0;

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
    BlobCodec codec_;
    std::vector<BlockStep> plannedSteps_; // reused by every call
    BlockPipeline pipeline_;              // last: its workers stop before the rest goes
};
