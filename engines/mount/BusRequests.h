// Requests to the virtual-disk bus device: unplug, eject and the list of its children.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Sends code with the target record {16, mask, 0, 0}. 0, kind 0x104 (no bus device)
// or kind 0x051 (refused).
unsigned long SendBusTarget(DWORD code, uint32_t letterMask);

// The bus's children: the letter mask, the live count and, when asked for, their
// 256-byte entries.
struct BusDiskList {
    uint32_t letterMask = 0;
    uint32_t live = 0;
    std::vector<uint8_t> entries;   // 256 bytes an entry
    uint32_t Count() const { return static_cast<uint32_t>(entries.size() / 256); }
};
// Reads the head; with entries, reads the list again with room for the live children.
// 0, kind 0x104 (no bus device), 0x100 (refused) or 0x008 (no memory).
unsigned long ReadBusDiskList(BusDiskList& list, bool withEntries);
