// The restore engine's progress arithmetic and result rewrite, as plain functions so
// that tables of cases reach them without a worker.
#pragma once

#include <cstdint>

// The rewrite applied to the record's result each time it is handed out. A failing
// result that an outside copier marked (any of bits 28..31) gets 0xFF in bits 24..31
// unless this is a clone or the code is the copier's own 0x300C; a set that lies on
// discs turns the copiers' plain 3 and 421 into the disc-read failure.
uint32_t RewriteRestoreResult(uint32_t result, bool clone, bool discVersion);

// Overall percent from the current operation's index, the count and its percent:
// truncate(truncate(index x 100 / count) + current x (1 / count)), 1 / count in
// single precision. A count of 0 gives 0.
uint32_t RestoreOverallPercent(uint32_t index, uint32_t count, uint32_t current);

// The sector-level refresh: the current percent is capped at 100 and the last
// operation at 100 holds the overall at 97 until the run ends.
struct SectorLevelPercents {
    uint32_t current;
    uint32_t overall;
};
SectorLevelPercents RestoreSectorLevelPercents(uint32_t index, uint32_t count, uint32_t current);

// Current percent of a sector-level restore: 2 + truncate(95 x min(1, done / total)).
uint32_t RestoreSectorPercent(uint64_t sectorsDone, uint64_t sectorsTotal);
