// The image container object: the one object behind IKSCofran. It keeps what its
// parts share (CofranSession) and hands each operation to the part whose job it
// is: the open image file and its directory (ImageFileReader, the list calls in
// CCofranLists.cpp), the set's files (CofranSetFiles), the volume reader
// (CofranVolumeReader) and the writer (CofranWriter). The writer is made on first
// use, by the calls in CCofranWriting.cpp: a build that only reads sets (the
// driver's) links refusals in their place and none of the writer's sources.
#pragma once

#include <stddef.h>

#include "CofranMemory.h"
#include "CofranSession.h"
#include "CofranSetFiles.h"
#include "CofranVolumeReader.h"
#include "IKSCofran.h"
#include "ImageFileReader.h"

class CofranWriter;

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

    // In the container's own memory; null when there is none.
    static void* operator new(size_t bytes) noexcept { return CofranAllocate(bytes); }
    static void operator delete(void* block) noexcept { CofranFree(block); }

private:
    ~CCofran();

    // The writer, made on first use; null when there is no memory for it.
    CofranWriter* Writer();
    unsigned long OpenForBackup(const wchar_t* path);
    void CloseWriter();
    void DeleteWriter();

    // A list call of the open set: buffer given, a file open, and for lastFileOnly
    // the file ending the set.
    unsigned long CheckListCall(const void* buffer, bool lastFileOnly) const;

    // Declared in the order they are made: each part refers to those above it.
    CofranSession session_;
    ImageFileReader file_{session_};
    CofranSetFiles setFiles_{session_, file_};
    CofranVolumeReader reader_{session_, file_, setFiles_};
    CofranWriter* writer_ = nullptr;
};
