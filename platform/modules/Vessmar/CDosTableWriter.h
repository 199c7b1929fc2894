// Writes a disk's DOS partition table with libfdisk: the master boot record and the
// chain of extended boot records, in the DOS-compatible layout (255 heads, 63 sectors
// per track, an extended boot record one track before each logical partition).
#pragma once

#include <cstdint>
#include <string>

#include "DosTable.h"

class CDosTableWriter {
public:
    // Replaces the disk's table by this one and reads it back. False, with the reason,
    // when libfdisk refuses the table (nothing is written then) or the table read back
    // differs.
    static bool Write(const std::string& path, const DosTable& table, uint32_t heads, uint32_t sectorsPerTrack,
                      std::string& reason);
};
