#include "CNtfsFileRecord.h"

#include "NtfsLayout.h"
#include "NtfsUpdateSequence.h"

bool CNtfsFileRecord::InitFromSourceFileRecord(const unsigned char* data, size_t size, uint64_t recordNumber)
{
    attributes_.clear();
    if (data == nullptr || size < sizeof(NtfsFileRecordHeader) || size % NTFS_FIXUP_STRIDE != 0)
        return false;
    std::vector<unsigned char> bytes(data, data + size);
    const NtfsFileRecordHeader head = NtfsDecodeFileRecordHeader(bytes.data());
    if (head.Magic != NTFS_FILE_MAGIC || !NtfsApplyUpdateSequence(bytes.data(), size))
        return false;
    if (head.BytesInUse > size || head.AttributesOffset < 42 || head.AttributesOffset % 8 != 0 ||
        head.AttributesOffset >= head.BytesInUse)
        return false;

    std::vector<CNtfsFileRecordAttribute> attributes;
    size_t offset = head.AttributesOffset;
    while (true) {
        if (offset + 4 > head.BytesInUse)
            return false; // no end marker inside the used part
        if (LoadLE32(bytes.data() + offset) == NTFS_AT_END)
            break;
        CNtfsFileRecordAttribute attribute;
        if (!attribute.InitFromRecordBytes(bytes.data() + offset, head.BytesInUse - offset))
            return false;
        offset += attribute.GetRecordLength();
        attributes.push_back(std::move(attribute));
    }
    recordNumber_ = recordNumber;
    sequence_ = head.SequenceNumber;
    flags_ = head.Flags;
    baseReference_ = head.BaseRecord;
    attributes_ = std::move(attributes);
    return true;
}

bool CNtfsFileRecord::IsAttributeListPresent() const
{
    for (const CNtfsFileRecordAttribute& attribute : attributes_) {
        if (attribute.GetType() == NTFS_AT_ATTRIBUTE_LIST)
            return true;
    }
    return false;
}

const CNtfsFileRecordAttribute* CNtfsFileRecord::FindAttribute(uint32_t type, const std::u16string& name) const
{
    for (const CNtfsFileRecordAttribute& attribute : attributes_) {
        if (attribute.IsMyself(type, name) && attribute.GetLowestVcn() == 0)
            return &attribute;
    }
    return nullptr;
}
