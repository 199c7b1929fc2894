// Checks of a finished set against the disk it was made from.
#pragma once

#include <cstdint>
#include <vector>

#include "BackupDisk.h"
#include "IKSCofran.h"

// The volume record, the sectors before the volume, the system area, the stored
// bitmap (against partclone, less the page and hibernation files; all ones for a
// volume copied sector by sector) and every stored cluster. set is open for random reads;
// sequential holds every file of the set opened for sequential reads (each file
// gives the bitmap of the runs it holds); others, the set's other files opened for
// random reads, serve the runs that set's file does not hold.
void CheckVolume(IKSCofran* set, const std::vector<IKSCofran*>& sequential, const _KS_VOLUME& v, const FixturePartition& p, uint8_t fs,
                 uint8_t type, bool byReader, const std::vector<IKSCofran*>& others = {});
