// Keeps the letters the bus driver recorded for its disks in step with the system:
// an entry whose letter is no longer a drive gets the letter its volume has now.
#pragma once

#include <cstdint>

// entries: count 256-byte entries as the bus listed them; their letter bytes are
// mended in place and the driver is told the new letters.
void RepairEntryLetters(uint8_t* entries, uint32_t count);
