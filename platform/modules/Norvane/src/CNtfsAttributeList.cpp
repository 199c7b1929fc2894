#include "CNtfsAttributeList.h"

#include "NtfsLayout.h"

bool CNtfsAttributeList::InitFromAttributeListData(const unsigned char* data, size_t size)
{
    entries_.clear();
    if (data == nullptr && size != 0)
        return false;
    std::vector<NtfsAttributeListEntry> entries;
    size_t offset = 0;
    while (offset < size) {
        if (size - offset < NTFS_ATTRLIST_ENTRY_MIN)
            return false;
        const unsigned char* p = data + offset;
        const size_t length = LoadLE16(p + 4);
        const size_t nameLength = p[6];
        const size_t nameOffset = p[7];
        if (length < NTFS_ATTRLIST_ENTRY_MIN || length > size - offset ||
            (nameLength != 0 && (nameOffset < NTFS_ATTRLIST_ENTRY_MIN || nameOffset + 2 * nameLength > length)))
            return false;
        NtfsAttributeListEntry entry;
        entry.Type = LoadLE32(p);
        for (size_t i = 0; i < nameLength; ++i)
            entry.Name.push_back(static_cast<char16_t>(LoadLE16(p + nameOffset + 2 * i)));
        entry.LowestVcn = static_cast<int64_t>(LoadLE64(p + 8));
        entry.FileReference = LoadLE64(p + 16);
        entry.AttributeId = LoadLE16(p + 24);
        if (entry.LowestVcn < 0)
            return false;
        entries.push_back(std::move(entry));
        offset += length;
    }
    entries_ = std::move(entries);
    return true;
}
