// What the end-to-end tests of the command channel share: a command object made by
// the library's own factory, image sets the backup engine makes from the backup
// fixture disk, a target disk, a restore driven the way the restore progress page
// drives it, and the checks of a restored volume.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "ITasque.h"

struct TasqueRelease {
    void operator()(ITasque* t) const { t->Release(); }
};
using Tasque = std::unique_ptr<ITasque, TasqueRelease>;

// A new command object; fails the test when none can be made.
Tasque NewTasque();

// The disk map names the backup fixture disk alone, and the device manager sees it so.
void NameDisks(const std::vector<std::string>& paths);

struct ImageSet {
    std::string folder;
    std::wstring firstFile;
    std::vector<std::string> files;
};
// Backs up the fixture's NTFS and FAT32 partitions (the password encrypts it;
// splitMiB cuts it into files of that size).
ImageSet BackUpFixture(const std::string& name, const std::wstring& password = L"", uint32_t splitMiB = 0);

// A fresh disk of the fixture's size and partition table in folder, named as disk 1
// beside the fixture disk (disk 0).
std::string MakeRestoreTarget(const std::string& folder);

// The console's restore item for a fixture partition on disk 1.
_RESTORE_INFO RestoreItemFor(const FixturePartition& p, uint16_t volumeType);

struct ChannelRun {
    _KS_PROGRESS_INFO last{};
    std::vector<uint32_t> states;
    std::vector<unsigned long> messages;
};

// As the restore progress page: callback, versions, volumes, one AddRestore per
// wanted partition, RestoreExecute, RestoreGetProgress every 200 ms until the run ends.
// onMessage answers the engine's requests; cancel asks to stop once it runs.
ChannelRun RestoreThroughChannel(ITasque& tasque, const std::wstring& setPath,
                                 const std::vector<const FixturePartition*>& partitions,
                                 const std::function<unsigned long(unsigned long, void*)>& onMessage = nullptr,
                                 bool cancel = false);

// Every file of a restored volume equals the original's (ntfsls/ntfscat, or mcopy and
// fsck.fat -n); the volumes are cut out of the two disks into folder.
void ExpectSameVolume(const std::string& target, const std::string& source, const FixturePartition& p, bool ntfs,
                      const std::string& folder);
