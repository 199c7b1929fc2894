// One attribute of a file record, copied out of the record: its head, and either
// its resident value or (non-resident) its sizes and mapping pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CNtfsRunList;

class CNtfsFileRecordAttribute {
public:
    // Parses the attribute at attribute, of which available bytes lie inside the
    // record. False when any of its parts reaches past its length or the record.
    bool InitFromRecordBytes(const unsigned char* attribute, size_t available);

    uint32_t GetType() const { return type_; }
    const std::u16string& GetName() const { return name_; }
    bool IsMyself(uint32_t type, const std::u16string& name) const { return type_ == type && name_ == name; }
    bool IsResident() const { return !nonResident_; }
    uint16_t GetFlags() const { return flags_; }
    uint16_t GetAttributeId() const { return attributeId_; }
    uint32_t GetRecordLength() const { return length_; }

    // Resident value.
    const std::vector<unsigned char>& GetResidentData() const { return value_; }
    // Value size: the resident length, or the non-resident data size.
    uint64_t GetDataSize() const { return nonResident_ ? dataSize_ : value_.size(); }
    // Non-resident sizes and VCN range of this extent.
    uint64_t GetAllocatedSize() const { return allocatedSize_; }
    uint64_t GetInitializedSize() const { return initializedSize_; }
    int64_t GetLowestVcn() const { return lowestVcn_; }
    int64_t GetHighestVcn() const { return highestVcn_; }
    uint16_t GetCompressionUnit() const { return compressionUnit_; }

    // Decodes this extent's runs; runs must lie within clusterCount clusters, and
    // must cover exactly the extent's VCN range.
    bool GetDataRunList(CNtfsRunList& runs, int64_t clusterCount) const;

private:
    uint32_t type_ = 0;
    uint32_t length_ = 0;
    bool nonResident_ = false;
    uint16_t flags_ = 0;
    uint16_t attributeId_ = 0;
    std::u16string name_;
    std::vector<unsigned char> value_;
    int64_t lowestVcn_ = 0;
    int64_t highestVcn_ = -1;
    uint16_t compressionUnit_ = 0;
    uint64_t allocatedSize_ = 0;
    uint64_t dataSize_ = 0;
    uint64_t initializedSize_ = 0;
    std::vector<unsigned char> mappingPairs_;
};
