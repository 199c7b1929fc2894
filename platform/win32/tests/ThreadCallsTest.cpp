// Threads: start, suspension, exit codes, priorities.
#include "PlatformTestHelpers.h"

#include <process.h>

namespace {

class ThreadCallsTest : public PlatformTest {};

struct Gate {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD seenId = 0;
    ~Gate() { CloseHandle(go); }
};

unsigned __stdcall WaitForGate(void* argument)
{
    auto* gate = static_cast<Gate*>(argument);
    gate->seenId = GetCurrentThreadId();
    return WaitForSingleObject(gate->go, 10000) == WAIT_OBJECT_0 ? 42u : 1u;
}

DWORD WINAPI ReturnSeven(LPVOID) { return 7; }

TEST_F(ThreadCallsTest, ExitCodeIsStillActiveUntilTheThreadEnds)
{
    Gate gate;
    unsigned id = 0;
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WaitForGate, &gate, 0, &id));
    ASSERT_NE(thread, nullptr);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

    SetEvent(gate.go);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(gate.seenId, id) << "the thread knows the id its creator was given";
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "an ended thread stays signalled";
    EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(ThreadCallsTest, ASuspendedThreadRunsOnlyOnceResumed)
{
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, ReturnSeven, nullptr, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 50), WAIT_TIMEOUT);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(ResumeThread(thread), 1u);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(ThreadCallsTest, PrioritiesAreKeptAndBadOnesRefused)
{
    HANDLE thread = CreateThread(nullptr, 0, ReturnSeven, nullptr, CREATE_SUSPENDED, nullptr);
    const struct {
        int priority;
        bool accepted;
    } cases[] = {
        {THREAD_PRIORITY_IDLE, true},
        {THREAD_PRIORITY_LOWEST, true},
        {THREAD_PRIORITY_BELOW_NORMAL, true},
        {THREAD_PRIORITY_NORMAL, true},
        {THREAD_PRIORITY_ABOVE_NORMAL, true},
        {THREAD_PRIORITY_HIGHEST, true},
        {THREAD_PRIORITY_TIME_CRITICAL, true},
        {3, false},
        {-3, false},
        {16, false},
    };
    for (HANDLE target : {thread, GetCurrentThread()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.priority);
            ASSERT_TRUE(SetThreadPriority(target, THREAD_PRIORITY_NORMAL));
            SetLastError(0);
            EXPECT_EQ(SetThreadPriority(target, c.priority) != FALSE, c.accepted);
            EXPECT_EQ(GetThreadPriority(target), c.accepted ? c.priority : THREAD_PRIORITY_NORMAL);
            if (!c.accepted) {
                EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
            }
        }
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    ResumeThread(thread);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(thread));

    SetLastError(0);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_ERROR_RETURN);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    DWORD code;
    EXPECT_FALSE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ThreadCallsTest, ANullStartIsRefused)
{
    errno = 0;
    EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(errno, EINVAL);
    SetLastError(0);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

} // namespace
