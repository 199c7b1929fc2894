// One page of the tree (URG_BTREE_NODE): a 24-byte head, then 44-byte entries
// (URG_BTREE_ENTRY), every field read and written through the codecs. The node's
// last entry closes it: its extent never counts, its child holds what lies after the
// node's other entries. Nodes name each other by number (0 for none).
#pragma once

#include <cstddef>
#include <cstdint>

#include "UrgExtent.h"

constexpr uint16_t URG_NODE_MAGIC = 0x5442;
constexpr uint16_t URG_ENTRY_TAG = 0x542A;
constexpr size_t URG_NODE_HEAD_BYTES = 24;
constexpr size_t URG_ENTRY_BYTES = 44;

enum : uint16_t {
    URG_ENTRY_HAS_CHILD = 0x1,
    URG_ENTRY_LAST = 0x2,
};

struct UrgBtreeEntry {
    uint16_t Tag = URG_ENTRY_TAG;
    uint16_t Flags = 0;
    uint32_t Child = 0;
    URG_EXTENT Extent;

    bool HasChild() const { return (Flags & URG_ENTRY_HAS_CHILD) != 0; }
    bool IsLast() const { return (Flags & URG_ENTRY_LAST) != 0; }
};

// A view of one node page; the page itself belongs to the tree.
class UrgBtreeNode {
public:
    explicit UrgBtreeNode(unsigned char* page) : page_(page) {}

    // A new node: the head and its last entry alone (count 1, 68 bytes used).
    void Init(uint16_t capacity, uint32_t parent, uint32_t parentEntry);

    uint16_t Magic() const { return LoadLE16(page_); }
    uint16_t Capacity() const { return LoadLE16(page_ + 2); }
    uint16_t Used() const { return LoadLE16(page_ + 4); }
    uint16_t Count() const { return LoadLE16(page_ + 6); }
    uint32_t Parent() const { return LoadLE32(page_ + 8); }
    uint32_t ParentEntry() const { return LoadLE32(page_ + 12); }
    void SetParent(uint32_t parent, uint32_t parentEntry);

    UrgBtreeEntry Entry(size_t index) const;
    void SetEntry(size_t index, const UrgBtreeEntry& entry);
    uint16_t EntryTag(size_t index) const { return LoadLE16(EntryAt(index)); }
    // Puts the entry before the one at index; count and bytes used grow. The page has
    // room for one entry past the capacity: the node then overflows.
    void InsertEntry(size_t index, const UrgBtreeEntry& entry);
    // Sets the count and the bytes used to match count entries.
    void SetCount(uint16_t count);

private:
    unsigned char* EntryAt(size_t index) const { return page_ + URG_NODE_HEAD_BYTES + index * URG_ENTRY_BYTES; }
    unsigned char* page_;
};
