// One handle table for every kind of handle: a closed handle, of any kind, fails with
// ERROR_INVALID_HANDLE, even when its slot already holds a newer object.
#include "PlatformTestHelpers.h"
#include "TempFolder.h"

#include <process.h>

namespace {

unsigned __stdcall ReturnAtOnce(void*) { return 0; }

class HandleTableTest : public PlatformTest {};

TEST_F(HandleTableTest, AClosedHandleOfEveryKindIsInvalid)
{
    TempFolder folder;
    const struct {
        const char* kind;
        std::function<HANDLE()> open;
    } cases[] = {
        {"file",
         [&] {
             return CreateFileW(folder.WidePath("f").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
         }},
        {"event", [] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }},
        {"mutex", [] { return CreateMutexW(nullptr, FALSE, nullptr); }},
        {"semaphore", [] { return CreateSemaphoreW(nullptr, 1, 1, nullptr); }},
        {"thread",
         [] { return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ReturnAtOnce, nullptr, 0, nullptr)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        HANDLE handle = c.open();
        ASSERT_NE(handle, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        if (std::string(c.kind) == "thread") {
            ASSERT_EQ(WaitForSingleObject(handle, 10000), WAIT_OBJECT_0);
        }
        ASSERT_TRUE(CloseHandle(handle));

        // The freed slot is taken by a new object; the old handle still names nothing.
        HANDLE newer = CreateEventW(nullptr, TRUE, TRUE, nullptr);
        ASSERT_NE(newer, handle);
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(SetEvent(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_TRUE(CloseHandle(newer));
    }
}

TEST_F(HandleTableTest, HandlesThatWereNeverOpenAreInvalid)
{
    const HANDLE never[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(3)),
                            reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0))};
    for (HANDLE handle : never) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DWORD read = 1;
        char byte;
        EXPECT_FALSE(ReadFile(handle, &byte, 1, &read, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(read, 0u);
    }
}

TEST_F(HandleTableTest, AHandleOfOneKindIsRefusedByTheCallsOfAnother)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);

    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(event));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(SetEvent(mutex));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    char byte;
    DWORD read;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(event, &byte, 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // Service handles close only with CloseServiceHandle, other handles never with it.
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(manager)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_FALSE(CloseServiceHandle(reinterpret_cast<SC_HANDLE>(event)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_TRUE(CloseServiceHandle(manager));
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_TRUE(CloseHandle(mutex));
}

} // namespace
