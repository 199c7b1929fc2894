// Waits raced by several threads, each under a deadline: every wake-up is accounted
// for, nothing is granted twice, and time-outs end the wait.
#include "PlatformTestHelpers.h"

#include <process.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class WaitRaceTest : public PlatformTest {};

constexpr int kThreads = 8;

TEST_F(WaitRaceTest, EachSetOfAnAutomaticEventReleasesExactlyOneWaiter)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateSemaphoreW(nullptr, 0, kThreads, nullptr);
    std::atomic<int> released{0};
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        std::vector<std::thread> waiters;
        for (int i = 0; i < kThreads; ++i)
            waiters.emplace_back([&] {
                if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0)
                    ++released;
                ReleaseSemaphore(done, 1, nullptr);
            });
        for (int i = 1; i <= kThreads; ++i) {
            SetEvent(event);
            // The next set waits until this one was taken, so none is lost to an
            // event that was still set.
            EXPECT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
            EXPECT_EQ(released.load(), i);
        }
        for (std::thread& waiter : waiters)
            waiter.join();
    }));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the last set was taken too";
    CloseHandle(event);
    CloseHandle(done);
}

TEST_F(WaitRaceTest, AMutexLetsOneThreadInAtATime)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    int inside = 0, most = 0, total = 0;
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] {
                for (int round = 0; round < 200; ++round) {
                    ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
                    most = std::max(most, ++inside);
                    ++total;
                    --inside;
                    ASSERT_TRUE(ReleaseMutex(mutex));
                }
            });
        for (std::thread& thread : threads)
            thread.join();
    }));
    EXPECT_EQ(most, 1);
    EXPECT_EQ(total, kThreads * 200);
    CloseHandle(mutex);
}

TEST_F(WaitRaceTest, ASemaphoreGrantsExactlyItsCount)
{
    HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 100, nullptr);
    std::atomic<int> granted{0};
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] {
                while (WaitForSingleObject(semaphore, 200) == WAIT_OBJECT_0)
                    ++granted;
            });
        for (int i = 0; i < 50; ++i)
            ReleaseSemaphore(semaphore, 1, nullptr);
        for (std::thread& thread : threads)
            thread.join();
    }));
    EXPECT_EQ(granted.load(), 50);
    CloseHandle(semaphore);
}

TEST_F(WaitRaceTest, WaitingForAllTakesEveryObjectAtOnce)
{
    // Two threads each want both semaphores; a third keeps taking one of them alone.
    // Waiting for all never holds one while waiting for the other, so nobody starves
    // and nothing is granted twice.
    HANDLE a = CreateSemaphoreW(nullptr, 1, 1, nullptr);
    HANDLE b = CreateSemaphoreW(nullptr, 1, 1, nullptr);
    const HANDLE both[] = {a, b};
    std::atomic<int> pairs{0};
    std::atomic<bool> stop{false};
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        std::thread single([&] {
            while (!stop) {
                if (WaitForSingleObject(a, 10) == WAIT_OBJECT_0) {
                    EXPECT_TRUE(ReleaseSemaphore(a, 1, nullptr));
                }
            }
        });
        std::vector<std::thread> takers;
        for (int i = 0; i < 2; ++i)
            takers.emplace_back([&] {
                for (int round = 0; round < 100; ++round) {
                    ASSERT_EQ(WaitForMultipleObjects(2, both, TRUE, 5000), WAIT_OBJECT_0);
                    ++pairs;
                    // A second grant of either would make a release pass the maximum.
                    ASSERT_TRUE(ReleaseSemaphore(b, 1, nullptr));
                    ASSERT_TRUE(ReleaseSemaphore(a, 1, nullptr));
                }
            });
        for (std::thread& taker : takers)
            taker.join();
        stop = true;
        single.join();
    }));
    EXPECT_EQ(pairs.load(), 200);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0) << "both counts are back at one";
    CloseHandle(a);
    CloseHandle(b);
}

TEST_F(WaitRaceTest, WaitingForAnyGivesTheFirstSignalledIndex)
{
    HANDLE events[3];
    for (HANDLE& event : events)
        event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD result = 0;
    ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
        std::thread setter([&] {
            Sleep(20);
            SetEvent(events[2]);
        });
        result = WaitForMultipleObjects(3, events, FALSE, 5000);
        setter.join();
    }));
    EXPECT_EQ(result, WAIT_OBJECT_0 + 2);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    for (HANDLE event : events)
        CloseHandle(event);
}

TEST_F(WaitRaceTest, AMutexWhoseOwnerEndedIsTakenAsAbandoned)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(FinishesWithin(
        kDeadline, [&] { std::thread([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); }).join(); }));
    const HANDLE both[] = {event, mutex};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_ABANDONED_0 + 1);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandoned only once";
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
    CloseHandle(event);
}

TEST_F(WaitRaceTest, TimeOutsEndTheWaitWithWaitTimeout)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE one[] = {event};
    const DWORD timeouts[] = {0, 1, 50};
    for (DWORD timeout : timeouts) {
        SCOPED_TRACE(timeout);
        ASSERT_TRUE(FinishesWithin(kDeadline, [&] {
            const auto start = std::chrono::steady_clock::now();
            SetLastError(0);
            EXPECT_EQ(WaitForSingleObject(event, timeout), WAIT_TIMEOUT);
            EXPECT_EQ(GetLastError(), WAIT_TIMEOUT);
            EXPECT_EQ(WaitForMultipleObjects(1, one, TRUE, timeout), WAIT_TIMEOUT);
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2 * timeout));
        }));
    }
    CloseHandle(event);
}

TEST_F(WaitRaceTest, BadWaitArgumentsFailAtOnce)
{
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event);
    const HANDLE twice[] = {event, event};
    const struct {
        const char* what;
        DWORD count;
        const HANDLE* handles;
        BOOL waitAll;
        DWORD error;
    } cases[] = {
        {"no handles", 0, twice, FALSE, ERROR_INVALID_PARAMETER},
        {"null array", 1, nullptr, FALSE, ERROR_INVALID_PARAMETER},
        {"too many", MAXIMUM_WAIT_OBJECTS + 1, many.data(), FALSE, ERROR_INVALID_PARAMETER},
        {"one object twice, all", 2, twice, TRUE, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_EQ(WaitForMultipleObjects(c.count, c.handles, c.waitAll, INFINITE), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0) << "the same object twice, any";
    CloseHandle(event);
}

} // namespace
