// The files of a set: how they are named, finding the last one and the ones a
// version needs, and moving the open image file to the file that holds a stream
// offset (asking the caller for discs and files where the set needs it).
#pragma once

#include <cstdint>

#include "CofranBuffer.h"
#include "CofranSession.h"
#include "CofranText.h"
#include "IKSCofran.h"
#include "ImageFileReader.h"

class CofranSetFiles {
public:
    CofranSetFiles(CofranSession& session, ImageFileReader& file) : session_(session), file_(file) {}

    unsigned long SearchLastCofran(const wchar_t* path, wchar_t* out, unsigned long outChars,
                                   unsigned long byNameNumber);
    // The files needed to read the open set's last version.
    unsigned long GetBackupImg(_KS_IMG* list, unsigned long* count);
    unsigned long GetBackupImg(GUID setId, const wchar_t* path, _KS_IMG* list, unsigned long* count,
                               unsigned long searchMode);
    unsigned long CheckCofranVer(const _KS_VERSION* version);
    unsigned long GetLabelNoFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                       const _KS_CDINFO* labels, unsigned long labelCount,
                                       const _KS_IMGNAME_NO* names, unsigned long nameCount, unsigned long long offset,
                                       unsigned long* labelIndex, unsigned long* fileNumber) const;
    unsigned long GetCofranNameFromOffset(const _KS_VERSION* versions, unsigned long versionCount,
                                          const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                          unsigned long long offset, wchar_t* out, unsigned long outChars,
                                          unsigned long* fileNumber) const;
    unsigned long GetCofranNameFromCofranNo(const _KS_VERSION* versions, unsigned long versionCount,
                                            const _KS_IMGNAME_NO* names, unsigned long nameCount,
                                            unsigned long long fileNumber, wchar_t* out, unsigned long outChars) const;

    // Before a stored blob at offset is read: makes the open file the one that holds
    // it. Kind 0x108 where the caller must open that file itself.
    unsigned long SwitchFor(uint64_t offset);
    // Makes the open file the one of the set (not on discs) that holds offset,
    // whatever the reading use: for a volume's run index written after the volume
    // ran on into a later file.
    unsigned long OpenFileHolding(uint64_t offset);
    // Forgets the lists loaded for switching.
    void Forget();

private:
    unsigned long ListSetFrom(const CofranText& start, const CofranText& folder, _KS_IMG* list,
                              unsigned long* count);
    // Looks in folder for each of names (exactly, then without regard to case); only
    // when no file of those names is there, at previousHeadPath. 0 with found set, kind
    // 0x054 when the file is not found or what is found is not the wanted file of the
    // set, 0x008 without memory.
    unsigned long FindSetFile(const CofranText& folder, const CofranText* names, size_t nameCount,
                              const CofranText& previousHeadPath, const uint8_t* setId, uint32_t fileNumber,
                              CofranText& found, _KS_IMG_HEAD& head, _KS_IMG_TAIL& tail);
    unsigned long FindLastFile(const wchar_t* path, bool byNameNumber, CofranText& last);
    unsigned long LoadSwitchLists();
    unsigned long ListFilesFromLast();
    unsigned long SwitchOnDiscs(uint64_t offset);
    // Adds the set's files found in path's folder (path may be a pattern) to the
    // files known for switching.
    unsigned long AddFolderFiles(const GUID& id, const wchar_t* path);

    CofranSession& session_;
    ImageFileReader& file_;
    // Loaded once per open volume for switching.
    CofranBuffer<_KS_IMG> files_;
    CofranBuffer<_KS_IMGNAME_NO> names_;
    CofranBuffer<_KS_CDINFO> labels_;
    bool listsLoaded_ = false;
};
