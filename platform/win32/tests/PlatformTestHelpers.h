// Helpers for the platform layer's tests.
#pragma once

#include <KSPlatformControl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

// Every test starts from a machine as a real one is: empty tables, the real clock.
class PlatformTest : public testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        handlesBefore_ = KSPlatformOpenHandles();
    }
    void TearDown() override
    {
        KSPlatformReset();
        EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore_) << "every handle the test opened is closed";
    }
    unsigned handlesBefore_ = 0;
};

// Runs body on its own thread and fails the test when it has not finished within
// the deadline, so that a wait that never ends shows as a failure, not a hang. A body
// that overran is left behind (it cannot be stopped); the process ends with the test
// program anyway.
inline ::testing::AssertionResult FinishesWithin(std::chrono::milliseconds deadline, std::function<void()> body)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([done, body = std::move(body)] {
        body();
        done->set_value();
    }).detach();
    if (finished.wait_for(deadline) != std::future_status::ready)
        return ::testing::AssertionFailure() << "did not finish within " << deadline.count() << " ms";
    return ::testing::AssertionSuccess();
}

constexpr std::chrono::milliseconds kDeadline{10000};
