// The page tree of the urgent-block store: extents keyed by sector ranges that never
// overlap, in nodes of one page each. A full node spreads its entries over its
// neighbours (3 nodes into 3 or 4) before the tree grows in height at the root.
// Deletion and merging are not offered: the store never removes an extent while it
// lives. The tree takes no lock; its owner serialises calls.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "UrgBtreeNode.h"
#include "UrgExtent.h"

class UrgBtree {
public:
    UrgBtree() = default;
    UrgBtree(const UrgBtree&) = delete;
    UrgBtree& operator=(const UrgBtree&) = delete;

    // Makes the empty tree: 0, URG_BTREE_BAD_PARAMETERS for a node that holds fewer
    // than twice fanOut entries, URG_BTREE_NO_MEMORY.
    unsigned long Create(uint32_t nodeSize, uint32_t fanOut);

    // The first stored extent that overlaps [first, first + count): 0 and the
    // extent, or URG_BTREE_NOT_FOUND (or a damage code).
    unsigned long Search(uint64_t first, uint64_t count, URG_EXTENT& found) const;
    // Stores the extent: 0, URG_BTREE_OVERLAP when it overlaps a stored one,
    // URG_BTREE_NO_MEMORY, or a damage code.
    unsigned long Insert(const URG_EXTENT& extent);

    // Every stored extent in ascending order; a damage code stops the walk.
    unsigned long Walk(const std::function<void(const URG_EXTENT&)>& visit) const;
    // Checks every node: magic, tags, sizes, order, links and equal depth of leaves.
    unsigned long Check() const;

    uint32_t MaxEntries() const { return maxEntries_; }
    uint32_t Height() const { return height_; }
    // The page of node id, and the root's id: for tests that damage a node.
    unsigned char* NodePage(uint32_t id) const { return pages_[id - 1].get(); }
    uint32_t RootId() const { return root_; }

private:
    struct Position {
        uint32_t node = 0;
        uint32_t index = 0;
    };
    UrgBtreeNode Node(uint32_t id) const { return UrgBtreeNode(NodePage(id)); }
    // Damage codes of a node reached in a descent.
    unsigned long CheckHead(uint32_t id) const;
    // Down from the root to the first entry that overlaps the run (found) or to the
    // leaf position where it would go.
    unsigned long Descend(uint64_t first, uint64_t count, Position& at, bool& found) const;

    unsigned long Reserve(size_t pages);
    uint32_t TakeNode();
    void FreeNode(uint32_t id);
    void Overflow(uint32_t id);
    void SplitRoot();
    void SpreadWithNeighbours(uint32_t id);
    // Puts the gathered entries into 3 new nodes (4 when 3 cannot hold them) under
    // parent; the separators that go up, each pointing to its node, land in
    // separators. Returns the number of nodes.
    uint32_t Distribute(uint32_t parent, uint32_t firstParentEntry, UrgBtreeEntry* separators);
    void RelinkChildren(uint32_t id);

    unsigned long WalkNode(uint32_t id, const std::function<void(const URG_EXTENT&)>& visit) const;
    unsigned long CheckNode(uint32_t id, uint64_t low, uint64_t high, uint32_t depth, uint32_t& leafDepth) const;

    uint32_t nodeSize_ = 0;
    uint32_t fanOut_ = 0;
    uint16_t capacity_ = 0;
    uint32_t maxEntries_ = 0;
    uint32_t root_ = 0;
    uint32_t height_ = 0;                                  // levels below the root
    std::vector<std::unique_ptr<unsigned char[]>> pages_; // node id n is pages_[n - 1]
    std::vector<uint32_t> free_;
    std::vector<UrgBtreeEntry> scratch_;                   // the entries of several nodes
};
