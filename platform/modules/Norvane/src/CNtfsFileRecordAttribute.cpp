#include "CNtfsFileRecordAttribute.h"

#include "CNtfsRunList.h"
#include "NtfsLayout.h"

bool CNtfsFileRecordAttribute::InitFromRecordBytes(const unsigned char* attribute, size_t available)
{
    if (attribute == nullptr || available < sizeof(NtfsAttributeHeader))
        return false;
    const NtfsAttributeHeader head = NtfsDecodeAttributeHeader(attribute);
    if (head.Length < sizeof(NtfsAttributeHeader) || head.Length > available || head.NonResident > 1)
        return false;
    const size_t length = head.Length;
    if (head.NameLength != 0 && head.NameOffset + size_t(head.NameLength) * 2 > length)
        return false;
    std::u16string name;
    for (size_t i = 0; i < head.NameLength; ++i)
        name.push_back(static_cast<char16_t>(LoadLE16(attribute + head.NameOffset + 2 * i)));

    if (head.NonResident == 0) {
        if (length < NTFS_RESIDENT_HEADER_SIZE)
            return false;
        const NtfsResidentPart part = NtfsDecodeResidentPart(attribute);
        if (size_t(part.ValueOffset) + part.ValueLength > length)
            return false;
        value_.assign(attribute + part.ValueOffset, attribute + part.ValueOffset + part.ValueLength);
        mappingPairs_.clear();
        lowestVcn_ = 0;
        highestVcn_ = -1;
        compressionUnit_ = 0;
        allocatedSize_ = dataSize_ = initializedSize_ = 0;
    } else {
        if (length < NTFS_NONRESIDENT_HEADER_SIZE)
            return false;
        const NtfsNonResidentPart part = NtfsDecodeNonResidentPart(attribute);
        const int64_t lowest = static_cast<int64_t>(part.LowestVcn);
        const int64_t highest = static_cast<int64_t>(part.HighestVcn);
        // Sizes above 2^62 cannot be real and would overflow the arithmetic of callers.
        const uint64_t sizeLimit = uint64_t(1) << 62;
        if (part.MappingPairsOffset < NTFS_NONRESIDENT_HEADER_SIZE - 8 || part.MappingPairsOffset > length ||
            lowest < 0 || highest < lowest - 1 || part.AllocatedSize > sizeLimit || part.DataSize > sizeLimit ||
            part.InitializedSize > sizeLimit)
            return false;
        mappingPairs_.assign(attribute + part.MappingPairsOffset, attribute + length);
        value_.clear();
        lowestVcn_ = lowest;
        highestVcn_ = highest;
        compressionUnit_ = part.CompressionUnit;
        allocatedSize_ = part.AllocatedSize;
        dataSize_ = part.DataSize;
        initializedSize_ = part.InitializedSize;
    }
    type_ = head.Type;
    length_ = head.Length;
    nonResident_ = head.NonResident != 0;
    flags_ = head.Flags;
    attributeId_ = head.AttributeId;
    name_ = name;
    return true;
}

bool CNtfsFileRecordAttribute::GetDataRunList(CNtfsRunList& runs, int64_t clusterCount) const
{
    runs.Clear();
    if (!nonResident_)
        return false;
    if (!runs.DecodeMappingPairs(mappingPairs_.data(), mappingPairs_.size(), lowestVcn_, clusterCount))
        return false;
    // An extent that is not empty must map exactly its VCN range.
    if (runs.GetNextVcn() != (runs.IsEmpty() ? 0 : highestVcn_ + 1) ||
        (runs.IsEmpty() && highestVcn_ >= lowestVcn_)) {
        runs.Clear();
        return false;
    }
    return true;
}
