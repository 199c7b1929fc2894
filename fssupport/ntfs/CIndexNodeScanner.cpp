#include "CIndexNodeScanner.h"

#include "NtfsLayout.h"

namespace {

char16_t FoldAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

} // namespace

bool CIndexNodeScanner::NamesEqual(const char16_t* entryName, size_t entryLength, const std::u16string& wanted)
{
    if (entryLength != wanted.size())
        return false;
    for (size_t i = 0; i < entryLength; ++i) {
        if (FoldAsciiLetter(entryName[i]) != FoldAsciiLetter(wanted[i]))
            return false;
    }
    return true;
}

bool CIndexNodeScanner::Scan(const unsigned char* buffer, size_t size, size_t nodeOffset, const std::u16string& wanted,
                             std::vector<uint64_t>& matches)
{
    if (buffer == nullptr || nodeOffset > size || size - nodeOffset < sizeof(NtfsIndexNodeHeader))
        return false;
    const NtfsIndexNodeHeader node = NtfsDecodeIndexNodeHeader(buffer + nodeOffset);
    if (node.EntriesOffset < sizeof(NtfsIndexNodeHeader) || node.EntriesOffset > node.BytesInUse ||
        node.BytesInUse > size - nodeOffset)
        return false;
    const size_t end = nodeOffset + node.BytesInUse;
    size_t position = nodeOffset + node.EntriesOffset;
    while (true) {
        if (end - position < sizeof(NtfsIndexEntryHeader))
            return false; // the end entry is missing
        const NtfsIndexEntryHeader entry = NtfsDecodeIndexEntryHeader(buffer + position);
        if (entry.Length < sizeof(NtfsIndexEntryHeader) || entry.Length > end - position)
            return false;
        if (entry.Flags & NTFS_INDEX_ENTRY_END)
            return true;
        // The key is a $FILE_NAME value: its name must lie inside the key, and the
        // key inside the entry.
        const size_t keyStart = position + sizeof(NtfsIndexEntryHeader);
        if (entry.KeyLength < NTFS_FILE_NAME_NAME || sizeof(NtfsIndexEntryHeader) + entry.KeyLength > entry.Length)
            return false;
        const size_t nameLength = buffer[keyStart + NTFS_FILE_NAME_LENGTH];
        if (NTFS_FILE_NAME_NAME + 2 * nameLength > entry.KeyLength)
            return false;
        std::u16string name(nameLength, u'\0');
        for (size_t i = 0; i < nameLength; ++i)
            name[i] = static_cast<char16_t>(LoadLE16(buffer + keyStart + NTFS_FILE_NAME_NAME + 2 * i));
        if (NamesEqual(name.data(), name.size(), wanted))
            matches.push_back(entry.FileReference);
        position += entry.Length;
    }
}
