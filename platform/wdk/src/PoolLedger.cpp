// The fake's non-paged pool: every block is recorded with its tag and size, so a
// test sees leaks, which tags were used, and can make the nth allocation fail.
#include "WdkFake.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

struct LedgerBlock {
    size_t bytes;
    uint32_t tag;
};

struct LedgerState {
    std::mutex lock;
    std::map<void*, LedgerBlock> blocks;
    std::set<uint32_t> tags;
    uint64_t failCountdown = 0;
};

LedgerState& LedgerData()
{
    static LedgerState state;
    return state;
}

} // namespace

extern "C" void* ZdPortAllocate(size_t bytes, uint32_t tag)
{
    LedgerState& ledger = LedgerData();
    std::lock_guard<std::mutex> guard(ledger.lock);
    if (ledger.failCountdown != 0 && --ledger.failCountdown == 0)
        return nullptr;
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr)
        return nullptr;
    ledger.blocks[block] = LedgerBlock{bytes, tag};
    ledger.tags.insert(tag);
    return block;
}

extern "C" void ZdPortFree(void* block, uint32_t tag)
{
    LedgerState& ledger = LedgerData();
    {
        std::lock_guard<std::mutex> guard(ledger.lock);
        auto it = ledger.blocks.find(block);
        // A block freed under another tag, or twice, is a bug of the caller.
        if (it == ledger.blocks.end() || it->second.tag != tag)
            std::abort();
        ledger.blocks.erase(it);
    }
    std::free(block);
}

namespace wdk {

LedgerStats Ledger()
{
    LedgerState& ledger = LedgerData();
    std::lock_guard<std::mutex> guard(ledger.lock);
    LedgerStats stats;
    for (const auto& entry : ledger.blocks) {
        ++stats.liveBlocks;
        stats.liveBytes += entry.second.bytes;
        ++stats.liveByTag[entry.second.tag];
    }
    stats.tagsSeen.assign(ledger.tags.begin(), ledger.tags.end());
    return stats;
}

void FailAllocation(uint64_t nth)
{
    LedgerState& ledger = LedgerData();
    std::lock_guard<std::mutex> guard(ledger.lock);
    ledger.failCountdown = nth;
}

void ResetLedgerTags()
{
    LedgerState& ledger = LedgerData();
    std::lock_guard<std::mutex> guard(ledger.lock);
    ledger.tags.clear();
    ledger.failCountdown = 0;
}

std::string TagName(uint32_t tag)
{
    std::string name;
    for (int i = 0; i < 4; ++i)
        name.push_back(static_cast<char>((tag >> (8 * i)) & 0xFF));
    return name;
}

} // namespace wdk
