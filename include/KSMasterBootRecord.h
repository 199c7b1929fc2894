// Where the parts of a master boot record (sector 0 of a DOS-partitioned disk) lie:
// boot code, disk signature, the four-entry partition table and the boot mark.
#pragma once

#include <cstddef>

constexpr size_t KS_MBR_SIGNATURE_OFFSET = 440;
constexpr size_t KS_MBR_TABLE_OFFSET = 446;
constexpr size_t KS_MBR_ENTRY_BYTES = 16;
constexpr size_t KS_MBR_TABLE_BYTES = 4 * KS_MBR_ENTRY_BYTES;
constexpr size_t KS_MBR_BOOT_MARK_OFFSET = 510;
