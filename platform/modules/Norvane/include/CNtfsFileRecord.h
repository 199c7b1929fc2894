// One MFT file record, checked, with its update-sequence fixup applied, and its
// attributes parsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CNtfsFileRecordAttribute.h"

class CNtfsFileRecord {
public:
    // Takes a copy of the record's size bytes (a multiple of 512) as read from disk.
    // False for a record that is not a "FILE" record, whose fixup fails, or whose
    // head or attributes reach outside it.
    bool InitFromSourceFileRecord(const unsigned char* data, size_t size, uint64_t recordNumber);

    uint64_t GetRecordNumber() const { return recordNumber_; }
    uint16_t GetSequenceNumber() const { return sequence_; }
    bool IsInUse() const { return (flags_ & 0x0001) != 0; }
    bool IsDirectory() const { return (flags_ & 0x0002) != 0; }
    // The full file reference of the base record; 0 for a base record.
    uint64_t GetBaseRecordReference() const { return baseReference_; }
    bool IsAttributeListPresent() const;

    size_t GetAttributeCount() const { return attributes_.size(); }
    const CNtfsFileRecordAttribute& GetAttribute(size_t index) const { return attributes_[index]; }
    const std::vector<CNtfsFileRecordAttribute>& GetAttributes() const { return attributes_; }
    // The first attribute of that type and name (the extent starting at VCN 0 for a
    // non-resident one), or null.
    const CNtfsFileRecordAttribute* FindAttribute(uint32_t type, const std::u16string& name) const;

private:
    uint64_t recordNumber_ = 0;
    uint16_t sequence_ = 0;
    uint16_t flags_ = 0;
    uint64_t baseReference_ = 0;
    std::vector<CNtfsFileRecordAttribute> attributes_;
};
