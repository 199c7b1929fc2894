// What the restore walks share beyond the command channel's fixture: the set opened as
// the image pages open it, a run followed to its end as the progress page follows it,
// and byte ranges of disk images cut out or fingerprinted for the outside tools.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ITasque.h"
#include "KSProgressInfo.h"

struct OpenedSet {
    _KS_VERSION version{};
    std::vector<_KS_VOLUME> volumes;
};

// The set's last version chosen (RestoreSetImgInfo) and its volumes listed.
OpenedSet OpenSetForRestore(ITasque& tasque, const std::wstring& path);

// RestoreExecute, then RestoreGetProgress until the run ends; eachPoll runs between
// polls (the progress page's timer serves disc requests there).
KSProgressInfoT<wchar_t> FollowRunToEnd(ITasque& tasque, const std::function<void()>& eachPoll = nullptr);

// Sectors [first, first + count) of a disk image copied into their own file.
std::string CutSectors(const std::string& disk, uint64_t first, uint64_t count, const std::string& out);
// The md5 of sectors [first, first + count) of a disk image.
std::string SectorsMd5(const std::string& disk, uint64_t first, uint64_t count);

// Every file of two FAT volume files, listed with mdir and read with mtype, is the
// same; both pass fsck.fat -n.
void ExpectSameFatFiles(const std::string& restored, const std::string& original);
// Both NTFS volume files list the same names and every user file reads the same;
// the restored one passes ntfsfix -n.
void ExpectSameNtfsFiles(const std::string& restored, const std::string& original);

// A row of sfdisk --dump: start, size, type id and the boot flag.
struct TableRow {
    uint64_t start = 0;
    uint64_t size = 0;
    unsigned type = 0;
    bool bootable = false;
};
std::vector<TableRow> TableOf(const std::string& disk);
