#include "LetterRepair.h"

#include "VolumeRecord.h"
#include "ZeDiskControl.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

uint8_t* EntryAt(uint8_t* entries, uint32_t index)
{
    return entries + static_cast<size_t>(index) * ZEDISK_DISK_LIST_ENTRY_SIZE;
}

// True when the entry is the record's volume, letters aside.
bool SameVolume(const uint8_t* entry, const uint8_t (&record)[ZEDISK_PLUGIN_RECORD_SIZE])
{
    uint8_t copy[ZEDISK_DISK_LIST_ENTRY_SIZE];
    std::memcpy(copy, record + ZEDISK_RECORD_VOLUME, sizeof copy);
    copy[ZEDISK_VOLUME_LETTER] = entry[ZEDISK_VOLUME_LETTER];
    return std::memcmp(copy, entry, sizeof copy) == 0;
}

} // namespace

void RepairEntryLetters(uint8_t* entries, uint32_t count)
{
    const DWORD present = GetLogicalDrives();
    DWORD usedByEntries = 0;
    std::vector<uint32_t> missing;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned letter = EntryAt(entries, i)[ZEDISK_VOLUME_LETTER];
        if (letter < 26 && (present & (1u << letter)) != 0)
            usedByEntries |= 1u << letter;
        else
            missing.push_back(i);
    }
    for (int index = 25; index >= 0 && !missing.empty(); --index) {
        const DWORD bit = 1u << index;
        if ((present & bit) == 0 || (usedByEntries & bit) != 0)
            continue;
        const char letter = static_cast<char>('A' + index);
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
        if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED)
            continue;
        uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE] = {};
        if (!ReadVolumeRecord(letter, record))
            continue;   // not a disk of the bus
        if (record[ZEDISK_RECORD_LETTER] != index)
            SendVolumeLetter(letter, record);
        for (auto it = missing.begin(); it != missing.end(); ++it) {
            uint8_t* entry = EntryAt(entries, *it);
            if (SameVolume(entry, record)) {
                entry[ZEDISK_VOLUME_LETTER] = static_cast<uint8_t>(index);
                missing.erase(it);
                break;
            }
        }
    }
}
