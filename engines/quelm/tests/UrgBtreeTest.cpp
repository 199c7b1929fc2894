// The store's page tree: searches, inserts, the overflow of a full node, the codes of
// overlapping, missing and damaged entries, and random inserts over several levels
// checked against std::map and by the tree's own consistency check.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <vector>

#include "UrgBtree.h"
#include "UrgBtreeCodes.h"

namespace {

constexpr uint32_t kPage = 4096;
constexpr uint32_t kFanOut = 4;

URG_EXTENT Extent(uint64_t first, uint32_t count, uint64_t position = 0)
{
    URG_EXTENT e;
    e.FirstSector = first;
    e.SectorCount = count;
    e.Position = position;
    e.ByteLength = count * 512;
    return e;
}

std::vector<std::pair<uint64_t, uint32_t>> Walked(const UrgBtree& tree)
{
    std::vector<std::pair<uint64_t, uint32_t>> runs;
    EXPECT_EQ(0u, tree.Walk([&](const URG_EXTENT& e) { runs.emplace_back(e.FirstSector, e.SectorCount); }));
    return runs;
}

TEST(UrgBtree, NodeSizeAndFanOutAreChecked)
{
    UrgBtree tree;
    EXPECT_EQ(0u, tree.Create(kPage, kFanOut));
    EXPECT_EQ(91u, tree.MaxEntries());
    // 24 + 7 × 44 + 44: seven entries, fewer than twice the fan-out.
    UrgBtree small;
    EXPECT_EQ(URG_BTREE_BAD_PARAMETERS, small.Create(24 + 8 * 44, kFanOut));
    EXPECT_EQ(0u, small.Create(24 + 9 * 44, kFanOut));
    EXPECT_EQ(URG_BTREE_BAD_PARAMETERS, small.Create(kPage, 1));
}

TEST(UrgBtree, SearchFindsTheFirstExtentThatOverlapsTheRun)
{
    UrgBtree tree;
    ASSERT_EQ(0u, tree.Create(kPage, kFanOut));
    for (const URG_EXTENT& e : {Extent(100, 8, 1), Extent(8, 8, 2), Extent(200, 1, 3), Extent(16, 4, 4)})
        ASSERT_EQ(0u, tree.Insert(e));
    const struct {
        uint64_t first;
        uint64_t count;
        unsigned long code;
        uint64_t position; // of the extent found
    } cases[] = {
        {100, 8, 0, 1},   {107, 1, 0, 1},   {90, 11, 0, 1},  {0, 9, 0, 2},    {15, 2, 0, 2},
        {19, 100, 0, 4},  {12, 90, 0, 2},  {200, 1, 0, 3},   {199, 2, 0, 3},  {0, 8, URG_BTREE_NOT_FOUND, 0},
        {20, 80, URG_BTREE_NOT_FOUND, 0},   {108, 92, URG_BTREE_NOT_FOUND, 0},
        {201, 1000, URG_BTREE_NOT_FOUND, 0},
    };
    for (const auto& c : cases) {
        URG_EXTENT found;
        EXPECT_EQ(c.code, tree.Search(c.first, c.count, found)) << c.first << "+" << c.count;
        if (c.code == 0) {
            EXPECT_EQ(c.position, found.Position) << c.first << "+" << c.count;
        }
    }
    const std::vector<std::pair<uint64_t, uint32_t>> expected = {{8, 8}, {16, 4}, {100, 8}, {200, 1}};
    EXPECT_EQ(expected, Walked(tree));
    EXPECT_EQ(0u, tree.Check());
}

TEST(UrgBtree, OverlappingInsertIsRefusedAndChangesNothing)
{
    UrgBtree tree;
    ASSERT_EQ(0u, tree.Create(kPage, kFanOut));
    ASSERT_EQ(0u, tree.Insert(Extent(100, 10)));
    const struct {
        uint64_t first;
        uint32_t count;
    } overlaps[] = {{100, 10}, {95, 6}, {109, 5}, {102, 2}, {50, 100}};
    for (const auto& o : overlaps)
        EXPECT_EQ(URG_BTREE_OVERLAP, tree.Insert(Extent(o.first, o.count))) << o.first;
    EXPECT_EQ(0u, tree.Insert(Extent(90, 10)));
    EXPECT_EQ(0u, tree.Insert(Extent(110, 1)));
    EXPECT_EQ(3u, Walked(tree).size());
    EXPECT_EQ(0u, tree.Check());
}

TEST(UrgBtree, TheNinetySecondEntryOverflowsTheRootIntoThreeChildren)
{
    UrgBtree tree;
    ASSERT_EQ(0u, tree.Create(kPage, kFanOut));
    for (uint64_t i = 0; i < 90; ++i)
        ASSERT_EQ(0u, tree.Insert(Extent(i * 10, 5)));
    EXPECT_EQ(0u, tree.Height());
    UrgBtreeNode root(tree.NodePage(tree.RootId()));
    EXPECT_EQ(91u, root.Count()) << "90 extents and the last entry fill the node";
    EXPECT_EQ(24u + 91u * 44u, root.Used());
    EXPECT_EQ(4052u, root.Capacity());

    ASSERT_EQ(0u, tree.Insert(Extent(5000, 1)));
    EXPECT_EQ(1u, tree.Height());
    // 92 entries (the last included) over 3 children: 30, 30 and 29 of them move
    // down, each child closed by a copy of its separator; 3 stay as separators.
    EXPECT_EQ(3u, root.Count());
    const uint32_t expected[] = {31, 31, 30};
    for (uint32_t i = 0; i < 3; ++i) {
        UrgBtreeNode child(tree.NodePage(root.Entry(i).Child));
        EXPECT_EQ(expected[i], child.Count()) << i;
        EXPECT_EQ(tree.RootId(), child.Parent());
        EXPECT_EQ(i, child.ParentEntry());
    }
    EXPECT_EQ(0u, tree.Check());
    EXPECT_EQ(91u, Walked(tree).size());
    URG_EXTENT found;
    for (uint64_t i = 0; i < 90; ++i)
        ASSERT_EQ(0u, tree.Search(i * 10 + 4, 1, found)) << i;
    ASSERT_EQ(0u, tree.Search(5000, 1, found));
}

TEST(UrgBtree, DamagedNodesAreReported)
{
    const struct {
        const char* what;
        size_t offset; // in the root page
        unsigned long code;
    } damages[] = {
        {"node magic", 0, URG_BTREE_BAD_MAGIC},
        {"first entry's tag", 24, URG_BTREE_BAD_TAG},
        {"bytes used", 4, URG_BTREE_BAD_SIZES},
    };
    for (const auto& d : damages) {
        UrgBtree tree;
        ASSERT_EQ(0u, tree.Create(kPage, kFanOut));
        ASSERT_EQ(0u, tree.Insert(Extent(10, 1)));
        ASSERT_EQ(0u, tree.Insert(Extent(20, 1)));
        tree.NodePage(tree.RootId())[d.offset] ^= 0x5A;
        URG_EXTENT found;
        EXPECT_EQ(d.code, tree.Search(10, 1, found)) << d.what;
        EXPECT_EQ(d.code, tree.Check()) << d.what;
        EXPECT_EQ(d.code, tree.Insert(Extent(5, 1))) << d.what;
    }
}

TEST(UrgBtree, ConsistencyCheckFindsBrokenOrder)
{
    UrgBtree tree;
    ASSERT_EQ(0u, tree.Create(kPage, kFanOut));
    ASSERT_EQ(0u, tree.Insert(Extent(10, 1)));
    ASSERT_EQ(0u, tree.Insert(Extent(20, 1)));
    UrgBtreeNode root(tree.NodePage(tree.RootId()));
    UrgBtreeEntry first = root.Entry(0);
    first.Extent = Extent(30, 1);
    root.SetEntry(0, first);
    EXPECT_EQ(URG_BTREE_BROKEN_ORDER, tree.Check());
}

// Random runs, each checked after its insert against std::map (what overlaps is
// refused, what does not is found) and by the consistency check.
void InsertRandomRuns(uint32_t nodeSize, unsigned runs, unsigned checkEvery, uint32_t minHeight)
{
    UrgBtree tree;
    ASSERT_EQ(0u, tree.Create(nodeSize, kFanOut));
    std::map<uint64_t, uint32_t> model;
    std::mt19937_64 random(nodeSize * 7919ull + runs);
    auto overlapsModel = [&](uint64_t first, uint32_t count) {
        auto next = model.lower_bound(first);
        if (next != model.end() && next->first < first + count)
            return true;
        if (next != model.begin()) {
            --next;
            if (next->first + next->second > first)
                return true;
        }
        return false;
    };
    for (unsigned step = 0; step < runs; ++step) {
        const uint64_t first = random() % (runs * 40ull);
        const uint32_t count = 1 + static_cast<uint32_t>(random() % 24);
        const bool clash = overlapsModel(first, count);
        const unsigned long rc = tree.Insert(Extent(first, count, step));
        ASSERT_EQ(clash ? URG_BTREE_OVERLAP : 0ul, rc) << "step " << step;
        if (!clash)
            model[first] = count;
        URG_EXTENT found;
        ASSERT_EQ(0u, tree.Search(first, count, found)) << "step " << step;
        if (!clash) {
            ASSERT_EQ(step, found.Position);
        }
        const uint64_t probe = random() % (runs * 40ull);
        ASSERT_EQ(overlapsModel(probe, 1) ? 0ul : URG_BTREE_NOT_FOUND, tree.Search(probe, 1, found)) << probe;
        // A wide probe answers with the first extent it overlaps.
        if (overlapsModel(probe, 60)) {
            auto firstHit = model.lower_bound(probe);
            if (firstHit != model.begin() && std::prev(firstHit)->first + std::prev(firstHit)->second > probe)
                --firstHit;
            ASSERT_EQ(0u, tree.Search(probe, 60, found));
            ASSERT_EQ(firstHit->first, found.FirstSector) << probe;
        }
        if (step % checkEvery == 0) {
            ASSERT_EQ(0u, tree.Check()) << "step " << step;
        }
    }
    ASSERT_EQ(0u, tree.Check());
    std::vector<std::pair<uint64_t, uint32_t>> expected(model.begin(), model.end());
    EXPECT_EQ(expected, Walked(tree));
    EXPECT_GE(tree.Height(), minHeight);
}

TEST(UrgBtree, RandomInsertsInSmallNodesMatchAMapAfterEveryStep)
{
    // Nine entries a node: the tree is several levels deep after a few thousand runs.
    InsertRandomRuns(24 + 10 * 44, 4000, 1, 3);
}

TEST(UrgBtree, RandomInsertsInFullPagesMatchAMap)
{
    InsertRandomRuns(kPage, 30000, 97, 2);
}

} // namespace
