#include "UrgBtreeNode.h"

#include <cstring>

void UrgBtreeNode::Init(uint16_t capacity, uint32_t parent, uint32_t parentEntry)
{
    std::memset(page_, 0, URG_NODE_HEAD_BYTES);
    StoreLE16(page_, URG_NODE_MAGIC);
    StoreLE16(page_ + 2, capacity);
    SetParent(parent, parentEntry);
    UrgBtreeEntry last;
    last.Flags = URG_ENTRY_LAST;
    SetEntry(0, last);
    SetCount(1);
}

void UrgBtreeNode::SetParent(uint32_t parent, uint32_t parentEntry)
{
    StoreLE32(page_ + 8, parent);
    StoreLE32(page_ + 12, parentEntry);
}

void UrgBtreeNode::SetCount(uint16_t count)
{
    StoreLE16(page_ + 6, count);
    StoreLE16(page_ + 4, static_cast<uint16_t>(URG_NODE_HEAD_BYTES + URG_ENTRY_BYTES * count));
}

UrgBtreeEntry UrgBtreeNode::Entry(size_t index) const
{
    const unsigned char* at = EntryAt(index);
    UrgBtreeEntry entry;
    entry.Tag = LoadLE16(at);
    entry.Flags = LoadLE16(at + 2);
    entry.Child = LoadLE32(at + 4);
    entry.Extent = LoadUrgExtent(at + 12);
    return entry;
}

void UrgBtreeNode::SetEntry(size_t index, const UrgBtreeEntry& entry)
{
    unsigned char* at = EntryAt(index);
    StoreLE16(at, entry.Tag);
    StoreLE16(at + 2, entry.Flags);
    StoreLE32(at + 4, entry.Child);
    StoreLE32(at + 8, 0);
    StoreUrgExtent(at + 12, entry.Extent);
    StoreLE32(at + 40, 0);
}

void UrgBtreeNode::InsertEntry(size_t index, const UrgBtreeEntry& entry)
{
    const uint16_t count = Count();
    std::memmove(EntryAt(index + 1), EntryAt(index), (count - index) * URG_ENTRY_BYTES);
    SetEntry(index, entry);
    SetCount(static_cast<uint16_t>(count + 1));
}
