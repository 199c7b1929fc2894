// The container's own buffer and text over a memory ledger of the test's own: the
// contents after growing, inserting and moving, and every allocation that fails
// leaving the object as it was, nothing lost and nothing leaked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CofranBuffer.h"
#include "CofranText.h"

namespace {
long g_live = 0;        // blocks handed out and not yet given back
long g_failAt = 0;      // the allocation that fails (1 = the next), 0 = none
long g_allocations = 0; // allocations asked for since the count was reset

void FailAllocation(long nth)
{
    g_failAt = nth;
    g_allocations = 0;
}
} // namespace

void* CofranAllocate(size_t bytes)
{
    if (g_failAt != 0 && ++g_allocations == g_failAt)
        return nullptr;
    ++g_live;
    return std::malloc(bytes);
}

void CofranFree(void* block)
{
    if (block == nullptr)
        return;
    --g_live;
    std::free(block);
}

namespace {

// An element that owns memory of its own, so that moves and destruction show.
struct Owned {
    CofranText name;
    int number = 0;
};

class CofranBufferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_live = 0;
        FailAllocation(0);
    }
    void TearDown() override
    {
        FailAllocation(0);
        EXPECT_EQ(g_live, 0) << "blocks left behind";
    }
};

TEST_F(CofranBufferTest, GrowsKeepsOrderAndZeroFillsNewElements)
{
    CofranBuffer<uint32_t> b;
    EXPECT_TRUE(b.empty());
    for (uint32_t i = 0; i < 1000; ++i)
        ASSERT_TRUE(b.push_back(i * 3));
    ASSERT_TRUE(b.resize(1010));
    ASSERT_EQ(b.size(), 1010u);
    for (uint32_t i = 0; i < 1000; ++i)
        ASSERT_EQ(b[i], i * 3);
    for (size_t i = 1000; i < 1010; ++i)
        ASSERT_EQ(b[i], 0u);
    ASSERT_TRUE(b.resize(2));
    EXPECT_EQ(b.back(), 3u);
    // Growing for overwrite keeps the elements there were; shrinking keeps the memory.
    ASSERT_TRUE(b.resize_for_overwrite(2000));
    ASSERT_EQ(b.size(), 2000u);
    EXPECT_EQ(b[1], 3u);
    ASSERT_TRUE(b.resize_for_overwrite(2));
    EXPECT_EQ(b.capacity(), 2000u);
    EXPECT_EQ(b.back(), 3u);
    ASSERT_TRUE(b.insert(1, 7));
    ASSERT_TRUE(b.insert(0, 9));
    ASSERT_TRUE(b.insert(4, 11));
    EXPECT_EQ(std::vector<uint32_t>(b.begin(), b.end()), (std::vector<uint32_t>{9, 0, 7, 3, 11}));
    ASSERT_TRUE(b.insert(0, b[4])); // an element of the buffer itself
    EXPECT_EQ(b.front(), 11u);
    const uint32_t from[] = {5, 6};
    ASSERT_TRUE(b.assign(from, 2));
    EXPECT_EQ(std::vector<uint32_t>(b.begin(), b.end()), (std::vector<uint32_t>{5, 6}));
    b.release();
    EXPECT_EQ(g_live, 0);
}

TEST_F(CofranBufferTest, ElementsOwningMemoryMoveAndDieOnce)
{
    CofranBuffer<Owned> b;
    for (int i = 0; i < 40; ++i) {
        Owned o;
        ASSERT_TRUE(o.name.assign(L"file"));
        ASSERT_TRUE(o.name.AppendNumber(static_cast<uint64_t>(i)));
        o.number = i;
        ASSERT_TRUE(b.push_back(static_cast<Owned&&>(o)));
    }
    CofranBuffer<Owned> moved(static_cast<CofranBuffer<Owned>&&>(b));
    EXPECT_TRUE(b.empty());
    ASSERT_EQ(moved.size(), 40u);
    EXPECT_STREQ(moved[39].name.c_str(), L"file39");
    EXPECT_EQ(moved[0].number, 0);
    moved.pop_back();
    b = static_cast<CofranBuffer<Owned>&&>(moved);
    EXPECT_EQ(b.size(), 39u);
}

// Every call that allocates, failing at each allocation it makes in turn: false,
// the contents as before, nothing leaked; the same call then succeeds.
TEST_F(CofranBufferTest, FailedAllocationLeavesBufferAsItWas)
{
    struct Case {
        const char* what;
        bool (*call)(CofranBuffer<uint32_t>&);
    } cases[] = {
        {"reserve", [](CofranBuffer<uint32_t>& b) { return b.reserve(100); }},
        {"resize", [](CofranBuffer<uint32_t>& b) { return b.resize(100); }},
        {"resize_for_overwrite", [](CofranBuffer<uint32_t>& b) { return b.resize_for_overwrite(100); }},
        {"push_back", [](CofranBuffer<uint32_t>& b) { return b.push_back(99u); }},
        {"insert", [](CofranBuffer<uint32_t>& b) { return b.insert(1, 99u); }},
        {"assign", [](CofranBuffer<uint32_t>& b) {
             static const uint32_t many[20] = {};
             return b.assign(many, 20);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CofranBuffer<uint32_t> b;
        for (uint32_t i = 0; i < 8; ++i) // full: the next growth allocates
            ASSERT_TRUE(b.push_back(i));
        const std::vector<uint32_t> before(b.begin(), b.end());
        FailAllocation(1);
        EXPECT_FALSE(c.call(b));
        EXPECT_EQ(std::vector<uint32_t>(b.begin(), b.end()), before);
        FailAllocation(0);
        EXPECT_TRUE(c.call(b));
    }
}

TEST_F(CofranBufferTest, SizesBeyondMemoryAreRefusedNotWrapped)
{
    CofranBuffer<uint64_t> b;
    EXPECT_FALSE(b.resize(SIZE_MAX / 4));
    EXPECT_FALSE(b.resize_for_overwrite(SIZE_MAX / 4));
    EXPECT_FALSE(b.reserve(SIZE_MAX));
    EXPECT_TRUE(b.empty());
}

TEST_F(CofranBufferTest, TextBuildsComparesAndCuts)
{
    CofranText t;
    EXPECT_STREQ(t.c_str(), L"");
    EXPECT_TRUE(t.empty());
    ASSERT_TRUE(t.assign(L"D:\\sets\\"));
    ASSERT_TRUE(t.append(L"disk"));
    ASSERT_TRUE(t.AppendNumber(0));
    ASSERT_TRUE(t.AppendNumber(1234567890123ull));
    ASSERT_TRUE(t.append(L'.'));
    ASSERT_TRUE(t.append(L"RVDxyz", 3));
    EXPECT_STREQ(t.c_str(), L"D:\\sets\\disk01234567890123.RVD");
    EXPECT_TRUE(t.Equals(L"D:\\sets\\disk01234567890123.RVD"));
    EXPECT_FALSE(t.Equals(L"D:\\sets\\disk01234567890123.RV"));
    ASSERT_TRUE(t.append(t)); // itself, whose units move as it grows
    EXPECT_EQ(std::wstring(t.c_str()), std::wstring(L"D:\\sets\\disk01234567890123.RVD") +
                                           L"D:\\sets\\disk01234567890123.RVD");
    t.Shorten(8);
    EXPECT_STREQ(t.c_str(), L"D:\\sets\\");
    EXPECT_EQ(t.size(), 8u);
    CofranText other;
    ASSERT_TRUE(other.assign(t));
    EXPECT_TRUE(other == t);
    ASSERT_TRUE(other.append(L'x'));
    EXPECT_TRUE(other != t);
    t.clear();
    EXPECT_STREQ(t.c_str(), L"");
}

TEST_F(CofranBufferTest, TextKeepsItsContentsWhenMemoryRunsOut)
{
    CofranText t;
    ASSERT_TRUE(t.assign(L"kept"));
    FailAllocation(1);
    EXPECT_FALSE(t.append(L" and a longer tail that must grow the text"));
    EXPECT_STREQ(t.c_str(), L"kept");
    FailAllocation(1);
    EXPECT_FALSE(t.assign(L"replacement"));
    EXPECT_STREQ(t.c_str(), L"kept");
    FailAllocation(0);
}

} // namespace
