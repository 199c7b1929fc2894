// The image checker: verifies the chosen volumes of one version of an image set on
// a worker thread. Each volume's blocks are read back through the container (which
// checks their CRC-64, inflates and deciphers them) and, for FAT and NTFS volumes,
// the file system held in the image is mounted through a file-system reader to make
// sure that every cluster it uses is in the image.
#pragma once

#include <pthread.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "CCheckProgressMgr.h"
#include "CheckBlockWorkers.h"
#include "IKSCheck.h"
#include "IKSCofran.h"

class CImageCheck : public IKSCheck {
public:
    // How the worker thread is started; pthread_create outside tests.
    typedef int (*ThreadStarter)(pthread_t* thread, const pthread_attr_t* attributes, void* (*entry)(void*),
                                 void* argument);

    // Creates its own container through the container's factory.
    CImageCheck();
    // Takes over container (may be null: every operation that needs it then fails).
    // With makeImage, each volume's blocks are checked on worker threads that open
    // the image through objects it makes; without, through container alone, one
    // block after the other.
    explicit CImageCheck(IKSCofran* container, ThreadStarter starter = pthread_create,
                         CheckBlockWorkers::ImageMaker makeImage = nullptr);
    virtual ~CImageCheck();

    unsigned long IsPwdProtect(wchar_t* path) override;
    unsigned long SetPassword(wchar_t* password, int bytes) override;
    unsigned long Release() override;
    unsigned long SetImgInfo(_KS_VERSION* version, wchar_t* path) override;
    unsigned long GetImageVersions(_KS_VERSION* buffer, unsigned long capacity, int* count, wchar_t* path) override;
    unsigned long GetImgVolumes(_KS_VOLUME* buffer, unsigned long capacity, int* count,
                                _KS_VERSION* version) override;
    unsigned long GetVerComment(wchar_t* buffer, unsigned long size, int* count, _KS_VERSION* version) override;
    unsigned long AddCheck(_KS_VOLUME* volume) override;
    unsigned long Execute() override;
    unsigned long SetPromptCall(KS_CHECK_PROMPT_CALLBACK callback, void* context) override;
    unsigned long GetCheckProgress(_KS_PROGRESS_INFO* record) override;
    unsigned long UserCancel() override;

    // Waits for a started worker to end.
    void JoinWorker();

private:
    CImageCheck(const CImageCheck&) = delete;
    CImageCheck& operator=(const CImageCheck&) = delete;

    // Set loading and listing.
    unsigned long LoadSet(const wchar_t* path);
    unsigned long RebuildFileList();
    unsigned long ListFilesFrom(const wchar_t* path, const GUID* setId, std::vector<_KS_IMG>& out,
                                unsigned long searchMode = KS_SEARCH_SET);
    unsigned long CollectDiscFiles();
    unsigned long FindVersionLastFile(int* index) const;
    // Loads the set for version and opens the last file of its version.
    unsigned long OpenVersionLastFile(_KS_VERSION* version);
    unsigned long OpenFile(const wchar_t* path);
    unsigned long SureNeedCd(uint32_t fileNumber, int wait);
    // True when the file numbered fileNumber is among the files the container finds
    // for the disc in the drive; its path goes to foundPath when given.
    bool IsImgInCurCD(uint32_t fileNumber, wchar_t* foundPath = nullptr);
    int DiscRecordOf(uint32_t fileNumber) const;
    unsigned long Prompt(unsigned long message, void* data);
    unsigned long PromptForFile(const wchar_t* name);
    // The container's callback: its file request (a whole path) goes on as a request
    // for the file's name, anything else as it came.
    static unsigned long ContainerPrompt(void* self, unsigned long message, void* data);
    // Plain folder: asks for each file of the chosen version that is missing.
    unsigned long EnsureVersionFiles();
    unsigned long EnsureFileListed(uint32_t fileNumber);
    bool IsListed(uint32_t fileNumber) const;
    bool OnDiscSet() const;
    bool HasDiscRecords() const { return !discs_.empty(); }
    bool GuardIdle(unsigned long* rc) const;

    // The run, on the worker thread.
    static void* ThreadEntry(void* self);
    void CheckThread();
    unsigned long CheckCDFull();
    unsigned long CheckImageVersion(int* startIndex);
    unsigned long CheckImageVolumn(int startIndex, const _KS_VOLUME& volume);
    unsigned long ReadVolumeBlocks(int startIndex, const _KS_VOLUME& volume);
    unsigned long ReadFileBlocks(const _KS_VOLUME& volume, bool loadBitmap, uint64_t units, uint64_t* done,
                                 unsigned long cancelCode);
    // The blocks of the open file and volume, checked by workers in the walk's order.
    unsigned long CheckFileBlocks(const _KS_VOLUME& volume, uint64_t units, uint64_t* done, unsigned long cancelCode);
    unsigned long ReadDiscBlocks(const _KS_VOLUME& volume, uint64_t units, uint64_t* done);
    unsigned long FindVolumeFile(int startIndex, const _KS_VOLUME& volume, int* index) const;
    unsigned long VolumnBitmapCompare(const _KS_VOLUME& volume);
    unsigned long LocateDiscFileForOffset(uint64_t offset, wchar_t* out, uint32_t* fileNumber);
    void ReportBlocks(uint64_t done, uint64_t units);

    const wchar_t* PasswordOrNull() const { return passwordGiven_ ? password_ : nullptr; }
    unsigned long PasswordBytes() const;

    IKSCofran* container_;
    ThreadStarter starter_;
    CheckBlockWorkers::ImageMaker makeImage_;
    int chosenVersion_;
    int currentDisc_;
    _KS_IMG_FILE_INFO fileInfo_;
    std::vector<_KS_VERSION> versions_;
    std::vector<_KS_CDINFO> discs_;
    std::vector<_KS_IMG> files_;
    std::vector<_KS_IMGNAME_NO> names_;
    std::vector<uint8_t> imageBitmap_;
    KS_CHECK_PROMPT_CALLBACK prompt_;
    void* promptContext_;
    wchar_t password_[KS_CHECK_PASSWORD_CHARS + 1];
    bool passwordGiven_;
    std::vector<_KS_VOLUME> volumes_;
    wchar_t imagePath_[KS_PATH_CHARS];
    wchar_t currentFile_[KS_PATH_CHARS];
    wchar_t openedFile_[KS_PATH_CHARS]; // the file OpenFile opened last
    std::atomic<bool> busy_;
    bool passwordSettled_;
    bool setLoaded_;
    pthread_t worker_;
    bool workerStarted_;
    unsigned long openMode_;
    CCheckProgressMgr progress_;
    uint16_t currentItem_;
};
