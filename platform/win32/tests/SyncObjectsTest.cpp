// Events, mutexes, semaphores, named objects and critical sections, one thread at a
// time: what each call returns and leaves in the last error.
#include "PlatformTestHelpers.h"

#include <thread>

namespace {

class SyncObjectsTest : public PlatformTest {};

TEST_F(SyncObjectsTest, EventsStaySetOrResetThemselvesOnTheirWait)
{
    const struct {
        BOOL manualReset;
        BOOL initialState;
        DWORD first, second; // two waits of 0 ms
    } cases[] = {
        {TRUE, TRUE, WAIT_OBJECT_0, WAIT_OBJECT_0},
        {FALSE, TRUE, WAIT_OBJECT_0, WAIT_TIMEOUT},
        {TRUE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
        {FALSE, FALSE, WAIT_TIMEOUT, WAIT_TIMEOUT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "manual " << c.manualReset << " initial " << c.initialState);
        HANDLE event = CreateEventA(nullptr, c.manualReset, c.initialState, nullptr);
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(WaitForSingleObject(event, 0), c.first);
        EXPECT_EQ(WaitForSingleObject(event, 0), c.second);
        if (c.second == WAIT_TIMEOUT) {
            EXPECT_EQ(GetLastError(), WAIT_TIMEOUT);
        }
        EXPECT_TRUE(SetEvent(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
        EXPECT_TRUE(ResetEvent(event));
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        EXPECT_TRUE(CloseHandle(event));
    }
}

TEST_F(SyncObjectsTest, AMutexIsReleasedOnlyByItsOwnerAsOftenAsItWasTaken)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0); // owned twice now

    DWORD foreignWait = 0, foreignRelease = 0, foreignError = 0;
    std::thread([&] {
        foreignWait = WaitForSingleObject(mutex, 0);
        foreignRelease = ReleaseMutex(mutex);
        foreignError = GetLastError();
    }).join();
    EXPECT_EQ(foreignWait, WAIT_TIMEOUT);
    EXPECT_EQ(foreignRelease, static_cast<DWORD>(FALSE));
    EXPECT_EQ(foreignError, ERROR_NOT_OWNER);

    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(mutex)) << "released more often than taken";
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST_F(SyncObjectsTest, SemaphoresCountUpToTheirMaximum)
{
    const struct {
        LONG initial, maximum;
        bool made;
    } creations[] = {
        {0, 1, true}, {2, 2, true}, {3, 2, false}, {-1, 2, false}, {0, 0, false}, {0, -5, false},
    };
    for (const auto& c : creations) {
        SCOPED_TRACE(testing::Message() << c.initial << " of " << c.maximum);
        SetLastError(0);
        HANDLE semaphore = CreateSemaphoreW(nullptr, c.initial, c.maximum, nullptr);
        EXPECT_EQ(semaphore != nullptr, c.made);
        if (semaphore) {
            EXPECT_TRUE(CloseHandle(semaphore));
        } else {
            EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        }
    }

    HANDLE semaphore = CreateSemaphoreA(nullptr, 1, 3, nullptr);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
    EXPECT_EQ(previous, 1);
    previous = -1;
    SetLastError(0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous)) << "past the maximum";
    EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
    EXPECT_EQ(previous, -1) << "nothing reported for a refused release";
    SetLastError(0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT) << "the count was still 3 after the refusal";
    EXPECT_TRUE(CloseHandle(semaphore));
}

TEST_F(SyncObjectsTest, ANameMakesOneObjectPerProcess)
{
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, L"ks-test-event");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, "ks-test-event");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_NE(first, second);
    EXPECT_TRUE(SetEvent(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "both handles name one event";

    SetLastError(0);
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, L"ks-test-event"), nullptr) << "the name is an event's";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    // With every handle closed the name is free again: a new event, not signalled.
    HANDLE again = CreateEventW(nullptr, TRUE, FALSE, L"ks-test-event");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(again));
}

TEST_F(SyncObjectsTest, CriticalSectionsAreRecursiveAndIgnoreAForeignLeave)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));

    BOOL foreignTry = TRUE;
    std::thread([&] {
        LeaveCriticalSection(&section); // not the owner: nothing happens
        foreignTry = TryEnterCriticalSection(&section);
    }).join();
    EXPECT_FALSE(foreignTry);

    LeaveCriticalSection(&section);
    LeaveCriticalSection(&section);
    std::thread([&] {
        foreignTry = TryEnterCriticalSection(&section);
        if (foreignTry)
            LeaveCriticalSection(&section);
    }).join();
    EXPECT_TRUE(foreignTry) << "free once left as often as entered";
    DeleteCriticalSection(&section);
}

} // namespace
