// The entries of an $ATTRIBUTE_LIST value: which file record holds which attribute
// (and which part of it, by starting VCN).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct NtfsAttributeListEntry {
    uint32_t Type;
    std::u16string Name;
    int64_t LowestVcn;
    uint64_t FileReference;
    uint16_t AttributeId;
};

class CNtfsAttributeList {
public:
    // Parses size bytes of list data (the value's real length). False, with no
    // entries, when an entry is shorter than its head or reaches past the data.
    bool InitFromAttributeListData(const unsigned char* data, size_t size);

    size_t GetEntryCount() const { return entries_.size(); }
    const NtfsAttributeListEntry& GetEntry(size_t index) const { return entries_[index]; }
    const std::vector<NtfsAttributeListEntry>& GetEntries() const { return entries_; }

private:
    std::vector<NtfsAttributeListEntry> entries_;
};
