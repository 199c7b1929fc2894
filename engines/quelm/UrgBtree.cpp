#include "UrgBtree.h"

#include <new>

#include "UrgBtreeCodes.h"

namespace {
// Nodes a spread or split may take per level: a split or a spread makes up to 4.
constexpr size_t kNodesPerLevel = 4;
// A spread gathers three nodes and keeps the parent's other entries aside.
constexpr size_t kSpreadWindowNodes = 3;
} // namespace

unsigned long UrgBtree::Create(uint32_t nodeSize, uint32_t fanOut)
{
    if (nodeSize < URG_NODE_HEAD_BYTES + 2 * URG_ENTRY_BYTES || nodeSize > 0xFFFF || fanOut < 2)
        return URG_BTREE_BAD_PARAMETERS;
    const uint32_t capacity = nodeSize - static_cast<uint32_t>(URG_ENTRY_BYTES);
    const uint32_t entries = (capacity - static_cast<uint32_t>(URG_NODE_HEAD_BYTES)) / URG_ENTRY_BYTES;
    if (entries < 2 * fanOut)
        return URG_BTREE_BAD_PARAMETERS;
    nodeSize_ = nodeSize;
    fanOut_ = fanOut;
    capacity_ = static_cast<uint16_t>(capacity);
    maxEntries_ = entries;
    pages_.clear();
    free_.clear();
    try {
        scratch_.reserve(static_cast<size_t>(kSpreadWindowNodes + 1) * (maxEntries_ + 1));
    } catch (const std::bad_alloc&) {
        return URG_BTREE_NO_MEMORY;
    }
    if (Reserve(1) != 0)
        return URG_BTREE_NO_MEMORY;
    root_ = TakeNode();
    height_ = 0;
    Node(root_).Init(capacity_, 0, 0);
    return 0;
}

unsigned long UrgBtree::Reserve(size_t pages)
{
    try {
        while (free_.size() < pages) {
            std::unique_ptr<unsigned char[]> page(new (std::nothrow) unsigned char[nodeSize_]());
            if (!page)
                return URG_BTREE_NO_MEMORY;
            pages_.push_back(std::move(page));
            free_.push_back(static_cast<uint32_t>(pages_.size()));
        }
    } catch (const std::bad_alloc&) {
        return URG_BTREE_NO_MEMORY;
    }
    return 0;
}

uint32_t UrgBtree::TakeNode()
{
    const uint32_t id = free_.back();
    free_.pop_back();
    return id;
}

void UrgBtree::FreeNode(uint32_t id) { free_.push_back(id); }

unsigned long UrgBtree::CheckHead(uint32_t id) const
{
    const UrgBtreeNode node = Node(id);
    if (node.Magic() != URG_NODE_MAGIC)
        return URG_BTREE_BAD_MAGIC;
    if (node.Count() == 0 || node.Used() != URG_NODE_HEAD_BYTES + URG_ENTRY_BYTES * node.Count())
        return URG_BTREE_BAD_SIZES;
    if (node.Used() > node.Capacity() || node.Capacity() != capacity_)
        return URG_BTREE_OVER_CAPACITY;
    return 0;
}

unsigned long UrgBtree::Descend(uint64_t first, uint64_t count, Position& at, bool& found) const
{
    found = false;
    if (root_ == 0)
        return URG_BTREE_NOT_FOUND;
    uint32_t id = root_;
    for (uint32_t level = 0;; ++level) {
        if (level > height_ || id == 0 || id > pages_.size())
            return URG_BTREE_BROKEN_ORDER;
        const unsigned long damage = CheckHead(id);
        if (damage != 0)
            return damage;
        const UrgBtreeNode node = Node(id);
        // The first entry (the last one aside) that ends after the run's start.
        uint32_t low = 0;
        uint32_t high = node.Count() - 1u;
        while (low < high) {
            const uint32_t middle = low + (high - low) / 2;
            if (node.EntryTag(middle) != URG_ENTRY_TAG)
                return URG_BTREE_BAD_TAG;
            if (node.Entry(middle).Extent.End() <= first)
                low = middle + 1;
            else
                high = middle;
        }
        if (node.EntryTag(low) != URG_ENTRY_TAG)
            return URG_BTREE_BAD_TAG;
        const UrgBtreeEntry entry = node.Entry(low);
        if (low + 1u < node.Count() && entry.Extent.FirstSector < first + count) {
            // An overlap; an earlier one can only lie in this entry's child.
            at = {id, low};
            found = true;
        }
        if (!entry.HasChild()) {
            if (!found)
                at = {id, low};
            return 0;
        }
        id = entry.Child;
    }
}

unsigned long UrgBtree::Search(uint64_t first, uint64_t count, URG_EXTENT& found) const
{
    Position at;
    bool overlaps = false;
    const unsigned long rc = Descend(first, count, at, overlaps);
    if (rc != 0)
        return rc;
    if (!overlaps)
        return URG_BTREE_NOT_FOUND;
    found = Node(at.node).Entry(at.index).Extent;
    return 0;
}

unsigned long UrgBtree::Insert(const URG_EXTENT& extent)
{
    if (extent.SectorCount == 0)
        return URG_BTREE_BAD_SIZES;
    // Every page a spread or split might need is taken before anything changes, so a
    // failed allocation leaves the tree as it was.
    if (Reserve(kNodesPerLevel * (height_ + 2)) != 0)
        return URG_BTREE_NO_MEMORY;
    Position at;
    bool overlaps = false;
    const unsigned long rc = Descend(extent.FirstSector, extent.SectorCount, at, overlaps);
    if (rc != 0)
        return rc;
    if (overlaps)
        return URG_BTREE_OVERLAP;
    UrgBtreeEntry entry;
    entry.Extent = extent;
    UrgBtreeNode leaf = Node(at.node);
    leaf.InsertEntry(at.index, entry);
    if (leaf.Used() > leaf.Capacity())
        Overflow(at.node);
    return 0;
}
