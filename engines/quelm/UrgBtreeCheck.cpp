// Reading the whole tree: the walk in ascending order, and the consistency check
// that tests run after every change.
#include "UrgBtree.h"

#include "UrgBtreeCodes.h"

unsigned long UrgBtree::Walk(const std::function<void(const URG_EXTENT&)>& visit) const
{
    return root_ == 0 ? 0 : WalkNode(root_, visit);
}

unsigned long UrgBtree::WalkNode(uint32_t id, const std::function<void(const URG_EXTENT&)>& visit) const
{
    if (id == 0 || id > pages_.size())
        return URG_BTREE_BROKEN_ORDER;
    const unsigned long damage = CheckHead(id);
    if (damage != 0)
        return damage;
    const UrgBtreeNode node = Node(id);
    for (uint32_t i = 0; i < node.Count(); ++i) {
        if (node.EntryTag(i) != URG_ENTRY_TAG)
            return URG_BTREE_BAD_TAG;
        const UrgBtreeEntry entry = node.Entry(i);
        if (entry.HasChild()) {
            const unsigned long rc = WalkNode(entry.Child, visit);
            if (rc != 0)
                return rc;
        }
        if (i + 1 < node.Count())
            visit(entry.Extent);
    }
    return 0;
}

unsigned long UrgBtree::Check() const
{
    if (root_ == 0)
        return URG_BTREE_BAD_PARAMETERS;
    if (Node(root_).Parent() != 0)
        return URG_BTREE_BROKEN_ORDER;
    uint32_t leafDepth = ~0u;
    return CheckNode(root_, 0, ~0ull, 0, leafDepth);
}

// Every extent of node id and below lies in [low, high).
unsigned long UrgBtree::CheckNode(uint32_t id, uint64_t low, uint64_t high, uint32_t depth, uint32_t& leafDepth) const
{
    if (id == 0 || id > pages_.size() || depth > height_)
        return URG_BTREE_BROKEN_ORDER;
    const unsigned long damage = CheckHead(id);
    if (damage != 0)
        return damage;
    const UrgBtreeNode node = Node(id);
    const bool inner = node.Entry(0).HasChild();
    uint64_t floor = low;
    for (uint32_t i = 0; i < node.Count(); ++i) {
        if (node.EntryTag(i) != URG_ENTRY_TAG)
            return URG_BTREE_BAD_TAG;
        const UrgBtreeEntry entry = node.Entry(i);
        const bool last = i + 1 == node.Count();
        if (entry.IsLast() != last || entry.HasChild() != inner)
            return URG_BTREE_BROKEN_ORDER;
        const uint64_t ceiling = last ? high : entry.Extent.FirstSector;
        if (!last) {
            const URG_EXTENT& e = entry.Extent;
            if (e.SectorCount == 0 || e.ByteLength != uint64_t{e.SectorCount} * 512)
                return URG_BTREE_BAD_SIZES;
            if (e.FirstSector < floor || e.End() > high || e.End() < e.FirstSector)
                return URG_BTREE_BROKEN_ORDER;
        }
        if (inner) {
            if (entry.Child == 0 || entry.Child > pages_.size() || Node(entry.Child).Parent() != id ||
                Node(entry.Child).ParentEntry() != i)
                return URG_BTREE_BROKEN_ORDER;
            const unsigned long rc = CheckNode(entry.Child, floor, ceiling, depth + 1, leafDepth);
            if (rc != 0)
                return rc;
        }
        if (!last)
            floor = entry.Extent.End();
    }
    if (!inner) {
        if (leafDepth == ~0u)
            leafDepth = depth;
        else if (leafDepth != depth)
            return URG_BTREE_BROKEN_ORDER;
    }
    return 0;
}
