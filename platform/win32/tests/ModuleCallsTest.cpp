// System modules' calls taken by name, the WOW64 answer, the wait for pending
// device installs, and private heaps.
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using WaitForInstalls = DWORD(WINAPI*)(DWORD);
using Wow64Question = BOOL(WINAPI*)(HANDLE, PBOOL);

template <typename Function>
Function Procedure(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    if (!handle)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

class ModuleCallsTest : public ::testing::Test {
protected:
    void SetUp() override { KSPlatformReset(); }
    void TearDown() override { KSPlatformReset(); }
};

TEST_F(ModuleCallsTest, SystemModulesAndTheirCallsAreFoundByName)
{
    const struct {
        const wchar_t* module;
        const char* name;
        bool found;
        DWORD error;
    } cases[] = {
        {L"kernel32", "IsWow64Process", true, 0},
        {L"KERNEL32.DLL", "IsWow64Process", true, 0},
        {L"setupapi.dll", "CMP_WaitNoPendingInstallEvents", true, 0},
        {L"cfgmgr32.dll", "CM_Locate_DevNodeW", true, 0},
        {L"newdev.dll", "UpdateDriverForPlugAndPlayDevicesW", true, 0},
        {L"setupapi.dll", "cmp_waitnopendinginstallevents", false, ERROR_PROC_NOT_FOUND},
        {L"kernel32", "NoSuchCall", false, ERROR_PROC_NOT_FOUND},
        {L"user33.dll", "IsWow64Process", false, ERROR_MOD_NOT_FOUND},
    };
    for (const auto& c : cases) {
        HMODULE module = GetModuleHandleW(c.module);
        if (c.error == ERROR_MOD_NOT_FOUND) {
            EXPECT_EQ(module, nullptr);
            EXPECT_EQ(GetLastError(), c.error);
            continue;
        }
        ASSERT_NE(module, nullptr) << c.name;
        FARPROC call = GetProcAddress(module, c.name);
        EXPECT_EQ(call != nullptr, c.found) << c.name;
        if (!c.found) {
            EXPECT_EQ(GetLastError(), c.error) << c.name;
        }
    }
    EXPECT_EQ(GetModuleHandleA("SetupAPI"), GetModuleHandleW(L"setupapi.dll"));
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr);

    // A call or a module hidden from the program.
    KSPlatformHideProcedure("setupapi", "CMP_WaitNoPendingInstallEvents");
    EXPECT_EQ(Procedure<WaitForInstalls>(L"setupapi.dll", "CMP_WaitNoPendingInstallEvents"), nullptr);
    EXPECT_NE(Procedure<WaitForInstalls>(L"cfgmgr32.dll", "CMP_WaitNoPendingInstallEvents"), nullptr);
    KSPlatformHideProcedure("newdev.dll", "");
    EXPECT_EQ(GetModuleHandleW(L"newdev.dll"), nullptr);
    KSPlatformClearSetupDevices();
    EXPECT_NE(GetModuleHandleW(L"newdev.dll"), nullptr);
}

TEST_F(ModuleCallsTest, Wow64IsFalseUnlessSet)
{
    auto question = Procedure<Wow64Question>(L"kernel32", "IsWow64Process");
    ASSERT_NE(question, nullptr);
    BOOL wow64 = TRUE;
    ASSERT_TRUE(question(GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64);
    KSPlatformSetWow64(true);
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64);
    EXPECT_FALSE(IsWow64Process(GetCurrentProcess(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(ModuleCallsTest, PendingInstallsTimeOutUntilTheyAreDone)
{
    auto wait = Procedure<WaitForInstalls>(L"setupapi.dll", "CMP_WaitNoPendingInstallEvents");
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait(0), WAIT_OBJECT_0);
    KSPlatformSetPendingInstalls(2);
    EXPECT_EQ(wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(wait(0), WAIT_OBJECT_0);
    KSPlatformSetPendingInstalls(kKSInstallsAlwaysPending);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(KSPlatformPendingInstallWaits(), 9u);
}

TEST_F(ModuleCallsTest, AHeapFreesWhatIsLeftWhenDestroyed)
{
    const unsigned heaps = KSPlatformLiveHeaps();
    const unsigned blocks = KSPlatformLiveHeapBlocks();
    HANDLE heap = HeapCreate(0, 8192, 0);
    ASSERT_NE(heap, nullptr);
    auto* zeroed = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 100000));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(zeroed[0] | zeroed[99999], 0);
    void* other = HeapAlloc(heap, 0, 16);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(KSPlatformLiveHeapBlocks(), blocks + 2);
    EXPECT_TRUE(HeapFree(heap, 0, other));
    EXPECT_FALSE(HeapFree(heap, 0, other)) << "freed twice";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));

    // A fixed-size heap refuses what does not fit; one heap's block is not another's.
    HANDLE fixed = HeapCreate(0, 0, 64);
    ASSERT_NE(fixed, nullptr);
    void* small = HeapAlloc(fixed, 0, 60);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(HeapAlloc(fixed, 0, 8), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(HeapFree(fixed, 0, zeroed));
    EXPECT_TRUE(HeapDestroy(fixed));

    EXPECT_TRUE(HeapDestroy(heap));   // frees the zeroed block too (ASan would see a leak otherwise)
    EXPECT_FALSE(HeapDestroy(heap));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(HeapAlloc(heap, 0, 1), nullptr);
    EXPECT_EQ(KSPlatformLiveHeaps(), heaps);
    EXPECT_EQ(KSPlatformLiveHeapBlocks(), blocks);

    KSPlatformFailSetupCall("HeapCreate", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(HeapCreate(0, 8192, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

} // namespace
