// Gathers the long-name entries that precede a short directory entry. A long name is
// only handed out for the short entry it belongs to (its checksum matches), so a
// stray or orphaned long name never renames another file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class FatLongName {
public:
    static constexpr unsigned kMaxEntries = 20;
    static constexpr unsigned kCharsPerEntry = 13;

    // Takes a long-name entry found at entry index `index` of its directory.
    void Add(const unsigned char* entry, size_t index);
    // Drops any pending long name.
    void Forget();
    // The long name for this short entry, or an empty string when none fits it.
    // The pending name is consumed either way.
    std::wstring TakeFor(const unsigned char* shortEntry);
    // Directory index of the first entry of the name that TakeFor last handed out.
    size_t FirstIndex() const { return firstIndex_; }
    bool HasName() const { return pending_; }

    static uint8_t ShortNameChecksum(const unsigned char* shortEntry);

private:
    char16_t chars_[kMaxEntries * kCharsPerEntry] = {};
    unsigned entries_ = 0;     // sequence numbers the name was started with
    unsigned nextSequence_ = 0; // the sequence number expected next (counting down)
    uint8_t checksum_ = 0;
    bool pending_ = false;
    size_t startIndex_ = 0;
    size_t firstIndex_ = 0;
};
