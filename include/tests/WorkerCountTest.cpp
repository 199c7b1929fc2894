// The worker count the backup's and the checker's variables ask for, and the
// threads a run then starts.
#include <gtest/gtest.h>

#include <thread>

#include "KSWorkerCount.h"

namespace {

TEST(WorkerCount, TextGivesOneToSixtyFourOrTheDefault)
{
    const struct {
        const char* text;
        unsigned count; // 0: one per processor
    } cases[] = {
        {nullptr, 0}, {"", 0},     {"0", 0},     {"1", 1},     {"8", 8},       {"64", 64},
        {"65", 64},   {"255", 64}, {"256", 64},  {"4096", 64}, {"99999999999999999999", 64},
        {"-1", 0},    {" 4", 0},   {"4 ", 0},    {"+4", 0},    {"four", 0},    {"4x", 0},
        {"0x10", 0},  {"1.5", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.count, worker_count::FromText(c.text)) << (c.text ? c.text : "(unset)");
}

TEST(WorkerCount, ThreadsStartedAreOneToSixtyFour)
{
    unsigned processors = std::thread::hardware_concurrency();
    if (processors == 0)
        processors = 1;
    const unsigned perProcessor = processors > 64 ? 64 : processors;
    const struct {
        unsigned asked;
        unsigned threads;
    } cases[] = {{0, perProcessor}, {1, 1}, {3, 3}, {64, 64}, {65, 64}, {255, 64}, {~0u, 64}};
    for (const auto& c : cases)
        EXPECT_EQ(c.threads, worker_count::Resolve(c.asked)) << c.asked;
}

} // namespace
