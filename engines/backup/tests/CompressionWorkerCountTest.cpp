// The writer's worker count taken from RVD_BACKUP_WORKERS.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CompressionWorkerCount.h"

namespace {

TEST(CompressionWorkerCount, WholeNumbersCountAndAreCutTo64)
{
    const struct {
        const char* text;
        unsigned long count;
    } cases[] = {
        {nullptr, 0}, {"", 0},   {"1", 1},  {"4", 4},  {"64", 64},  {"255", 64}, {"256", 64},
        {"0", 0},     {"-1", 0}, {" 4", 0}, {"4 ", 0}, {"four", 0}, {"99999999999999999999", 64},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.count, backup_workers::FromText(c.text)) << (c.text ? c.text : "(unset)");
}

TEST(CompressionWorkerCount, TheEnvironmentIsRead)
{
    const char* old = std::getenv(backup_workers::kVariable);
    const std::string kept = old ? old : "";
    setenv(backup_workers::kVariable, "3", 1);
    EXPECT_EQ(3u, backup_workers::FromEnvironment());
    unsetenv(backup_workers::kVariable);
    EXPECT_EQ(0u, backup_workers::FromEnvironment());
    if (old != nullptr)
        setenv(backup_workers::kVariable, kept.c_str(), 1);
}

} // namespace
