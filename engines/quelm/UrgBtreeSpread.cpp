// What happens when a node overflows: the root splits into 3 or 4 children (the tree
// grows by one level); any other node is gathered with two neighbours and the three
// are spread over 3 or 4 new nodes, their separators coming down from the parent
// and new ones going up. A parent that overflows in turn is treated the same way.
#include "UrgBtree.h"

#include <algorithm>

namespace {
constexpr uint32_t kSpreadWindow = 3;
} // namespace

void UrgBtree::Overflow(uint32_t id)
{
    while (id != 0) {
        const UrgBtreeNode node = Node(id);
        if (node.Used() <= node.Capacity())
            return;
        if (id == root_) {
            SplitRoot();
            return;
        }
        const uint32_t parent = node.Parent();
        SpreadWithNeighbours(id);
        id = parent;
    }
}

uint32_t UrgBtree::Distribute(uint32_t parent, uint32_t firstParentEntry, UrgBtreeEntry* separators)
{
    const uint32_t gathered = static_cast<uint32_t>(scratch_.size());
    const uint32_t nodes = kSpreadWindow * maxEntries_ >= gathered ? kSpreadWindow : fanOut_;
    const uint32_t each = (gathered - nodes) / nodes;
    const uint32_t extra = (gathered - nodes) % nodes;
    uint32_t next = 0;
    for (uint32_t n = 0; n < nodes; ++n) {
        const uint32_t id = TakeNode();
        UrgBtreeNode node = Node(id);
        node.Init(capacity_, parent, firstParentEntry + n);
        const uint32_t take = each + (n < extra ? 1 : 0);
        for (uint32_t i = 0; i < take; ++i) {
            UrgBtreeEntry entry = scratch_[next + i];
            entry.Flags = static_cast<uint16_t>(entry.Flags & ~URG_ENTRY_LAST);
            node.SetEntry(i, entry);
        }
        // The entry after the run goes up as this node's separator; a copy of it (its
        // child holds what lies between the run and the separator) closes the node.
        UrgBtreeEntry closing = scratch_[next + take];
        closing.Flags = static_cast<uint16_t>((closing.Flags & URG_ENTRY_HAS_CHILD) | URG_ENTRY_LAST);
        node.SetEntry(take, closing);
        node.SetCount(static_cast<uint16_t>(take + 1));
        RelinkChildren(id);

        UrgBtreeEntry separator = scratch_[next + take];
        separator.Child = id;
        separator.Flags = URG_ENTRY_HAS_CHILD;
        separators[n] = separator;
        next += take + 1;
    }
    return nodes;
}

void UrgBtree::RelinkChildren(uint32_t id)
{
    const UrgBtreeNode node = Node(id);
    for (uint32_t i = 0; i < node.Count(); ++i) {
        const UrgBtreeEntry entry = node.Entry(i);
        if (entry.HasChild())
            Node(entry.Child).SetParent(id, i);
    }
}

void UrgBtree::SplitRoot()
{
    UrgBtreeNode root = Node(root_);
    scratch_.clear();
    for (uint32_t i = 0; i < root.Count(); ++i)
        scratch_.push_back(root.Entry(i));
    std::array<UrgBtreeEntry, 4> separators;
    const uint32_t nodes = Distribute(root_, 0, separators.data());
    for (uint32_t n = 0; n < nodes; ++n)
        root.SetEntry(n, separators[n]);
    UrgBtreeEntry last = separators[nodes - 1];
    last.Flags |= URG_ENTRY_LAST;
    root.SetEntry(nodes - 1, last);
    root.SetCount(static_cast<uint16_t>(nodes));
    ++height_;
}

void UrgBtree::SpreadWithNeighbours(uint32_t id)
{
    const uint32_t parentId = Node(id).Parent();
    UrgBtreeNode parent = Node(parentId);
    const uint32_t count = parent.Count();
    const uint32_t mine = Node(id).ParentEntry();
    // Three consecutive entries around this node's, moved back when they would run
    // past the parent's last entry.
    const uint32_t window = std::min(mine > 0 ? mine - 1 : 0, count - kSpreadWindow);
    const bool windowEndsParent = window + kSpreadWindow == count;

    scratch_.clear();
    uint32_t children[kSpreadWindow];
    for (uint32_t w = 0; w < kSpreadWindow; ++w) {
        const UrgBtreeEntry separator = parent.Entry(window + w);
        children[w] = separator.Child;
        const UrgBtreeNode child = Node(separator.Child);
        for (uint32_t i = 0; i < child.Count(); ++i) {
            UrgBtreeEntry entry = child.Entry(i);
            if (entry.IsLast()) {
                // The separator comes down: the child's last entry takes its extent.
                entry.Extent = separator.Extent;
                entry.Flags = static_cast<uint16_t>(entry.Flags & ~URG_ENTRY_LAST);
            }
            scratch_.push_back(entry);
        }
    }
    for (uint32_t child : children)
        FreeNode(child);

    std::array<UrgBtreeEntry, 4> separators;
    const uint32_t nodes = Distribute(parentId, window, separators.data());
    // The window's three entries make way for the new separators; the entries after
    // the window wait in the scratch space (reserved, so nothing is allocated here).
    const size_t tailStart = scratch_.size();
    for (uint32_t i = window + kSpreadWindow; i < count; ++i)
        scratch_.push_back(parent.Entry(i));
    for (uint32_t n = 0; n < nodes; ++n)
        parent.SetEntry(window + n, separators[n]);
    for (size_t i = tailStart; i < scratch_.size(); ++i)
        parent.SetEntry(window + nodes + (i - tailStart), scratch_[i]);
    parent.SetCount(static_cast<uint16_t>(count - kSpreadWindow + nodes));
    if (windowEndsParent) {
        UrgBtreeEntry last = parent.Entry(window + nodes - 1);
        last.Flags |= URG_ENTRY_LAST;
        parent.SetEntry(window + nodes - 1, last);
    }
    RelinkChildren(parentId);
}
