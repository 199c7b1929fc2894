// The image container's interface: one object opens, reads and writes one image
// set at a time. Every operation returns a result code with module number 3.
// Callers keep the operations' order as the virtual table's order; they never
// delete the object but end it with Release.
#pragma once

#include <windows.h>

#include "KSImageFormat.h"

// Called on the caller's thread. Messages: 1 insert the disc that holds a needed
// file, 3 put a needed file in place, 4 a read of an image file failed. Return 0
// when the request is met, or a result code to stop.
typedef unsigned long (*KS_IMG_CALLBACK)(void* context, unsigned long message, void* data);

enum : unsigned long {
    KS_IMG_MSG_INSERT_DISC = 1,
    KS_IMG_MSG_LOCATE_FILE = 3,
    KS_IMG_MSG_READ_FAILED = 4,
};

// Record of message 1.
struct _KS_IMG_MSG_DISC {
    uint32_t Kind;               // 2
    int32_t Drive;               // 0..25 for A..Z of the open file's path, else -1
    wchar_t DiscNumber[64];      // "%d", label index + 1
};
// Record of message 3.
struct _KS_IMG_MSG_FILE {
    uint32_t Kind;               // 0
    uint32_t FileNumber;
    wchar_t Path[KS_PATH_CHARS]; // full path of the needed file
};
// Record of message 4.
struct _KS_IMG_MSG_READ {
    uint32_t Result;             // result code of the failed read
    uint32_t SystemError;
    wchar_t Path[KS_PATH_CHARS]; // path of the file being read
};

// OpenCofran mode word.
enum : unsigned long {
    KS_OPEN_USE_MASK = 0x0F,
    KS_OPEN_SEQUENTIAL = 0,     // sequential reading
    KS_OPEN_RANDOM = 1,         // random reading by cluster and sector
    KS_OPEN_BACKUP = 2,         // a new set, or appending to an existing one
    KS_OPEN_SEQUENTIAL_ALT = 3, // sequential reading
    KS_OPEN_DISC_SET = 0x20,    // file switching asks for discs
    KS_OPEN_NO_PASSWORD_CHECK = 0x100, // with KS_OPEN_BACKUP
    // Reading one file of a split set: OpenVolume also takes a volume whose run index
    // lies in a later file (the volume ran on into it), and walks this file's blocks.
    KS_OPEN_INDEX_ANY_FILE = 0x40,
};

// BeginBackup mode word.
enum : unsigned long {
    KS_BEGIN_USE_MASK = 0x0F,   // 0 set up encryption; 1, 2 keep the flags
    KS_BEGIN_DISC_SET = 0x20,
    KS_BEGIN_ENCRYPT = 0x100,   // with use 0: encrypt under the OpenCofran password
    KS_BEGIN_KEEP_LEVEL = 0x200,
    KS_BEGIN_SAME_DISC = 0x400,
    // Threads that compress the data blocks: 0 one per processor, 1 none (all on
    // the caller's thread). The set's bytes are the same whatever the count.
    KS_BEGIN_WORKERS_MASK = 0xFF0000,
    KS_BEGIN_WORKERS_SHIFT = 16,
};

// GetBackupImg search mode.
enum : unsigned long {
    KS_SEARCH_SET = 0,          // the files needed to read the set's last version
    KS_SEARCH_FOLDER = 1,       // every file of the folder that carries the GUID
};

class IKSCofran {
public:
    virtual unsigned long Release() = 0;
    virtual unsigned long SetTempPath(const wchar_t* folder) = 0;
    virtual unsigned long SetCallBack(KS_IMG_CALLBACK callback, void* context) = 0;
    virtual unsigned long SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                           unsigned long byNameNumber) = 0;
    virtual unsigned long GetBackupImg(_KS_IMG* list, unsigned long* count) = 0;
    // setId: the set's GUID, passed by value; all zeros to take it from the file named by path.
    virtual unsigned long GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list,
                                       unsigned long* count, unsigned long searchMode) = 0;
    virtual unsigned long GetLabelNoFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                               const _KS_CDINFO* labels, unsigned long labelCount,
                                               const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                               unsigned long long offset, unsigned long* labelIndex,
                                               unsigned long* fileNumber) = 0;
    virtual unsigned long GetCofranNameFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                                  const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                                  unsigned long long offset, wchar_t* out, unsigned long outChars,
                                                  unsigned long* fileNumber) = 0;
    virtual unsigned long GetCofranNameFromCofranNo(const _KS_VERSION* versions, unsigned long versionCount,
                                                    const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                                    unsigned long long fileNumber, wchar_t* out,
                                                    unsigned long outChars) = 0;
    virtual unsigned long OpenCofran(const wchar_t* path, unsigned long mode, const wchar_t* password,
                                     unsigned long passwordBytes) = 0;
    virtual unsigned long GetCofranInfo(_KS_IMG_FILE_INFO* info) = 0;
    virtual unsigned long GetBackupVer(_KS_VERSION* versions, unsigned long count) = 0;
    virtual unsigned long GetBackupCdInfo(_KS_CDINFO* labels, unsigned long count) = 0;
    virtual unsigned long GetFilters(_KS_FILTERS_HEAD* filters, unsigned long bytes) = 0;
    virtual unsigned long GetVolumes(_KS_VOLUME* volumes, unsigned long count) = 0;
    virtual unsigned long GetComment(wchar_t* comment, unsigned long chars) = 0;
    virtual unsigned long GetBackupImgNameInfo(_KS_IMGNAME_NO* names, unsigned long count) = 0;
    virtual unsigned long GetVolumeBitmap(const _KS_VOLUME* volume, void* bitmap, unsigned long bytes) = 0;
    virtual unsigned long CheckCofranVer(const _KS_VERSION* version) = 0;
    virtual unsigned long GetAvailableCofranName(wchar_t* out, unsigned long outChars) = 0;
    virtual unsigned long GetAvailableLabel(wchar_t* out, unsigned long outChars) = 0;
    virtual unsigned long OpenVolume(_KS_VOLUME* volume) = 0;
    virtual unsigned long GetNextBlockInfo(_KS_BLOCK* block, unsigned long reserved) = 0;
    virtual unsigned long ReadBlock(const _KS_BLOCK* block, void* buffer) = 0;
    virtual unsigned long CheckVolume() = 0;
    virtual unsigned long CheckNextBlock(_KS_BLOCK* block) = 0;
    virtual unsigned long ReadData(unsigned long firstCluster, void* buffer, unsigned long clusters,
                                   unsigned long* clustersRead) = 0;
    virtual unsigned long ReadSector(long long firstSector, void* buffer, unsigned long count,
                                     unsigned long* sectorsRead, unsigned long reserved) = 0;
    virtual unsigned long CloseVolume() = 0;
    virtual unsigned long CloseCofran() = 0;
    virtual unsigned long BeginBackup(const wchar_t* path, unsigned long mode, const _KS_FILTERS_HEAD* filters,
                                      const wchar_t* comment, unsigned long level, unsigned long splitMiB) = 0;
    virtual unsigned long WriteVolumeInfo(const _KS_VOLUME* volume, unsigned long size) = 0;
    virtual unsigned long WriteData(unsigned long firstCluster, const void* data, unsigned long clusters,
                                    unsigned long long changeMask) = 0;
    virtual unsigned long WriteSector(int firstSector, const void* data, unsigned long count,
                                      unsigned long reserved) = 0;
    virtual unsigned long EndBackup(unsigned long more) = 0;

protected:
    ~IKSCofran() {}
};

extern "C" unsigned long KSCreateObjectImg(unsigned long version, unsigned long kind, void** out);
