// Token groups and SIDs, the extended version record, failing names, recorded
// message boxes and scripted processes.
#include "KSPlatformControl.h"
#include "KSPlatformSetup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class DesktopCallsTest : public ::testing::Test {
protected:
    void SetUp() override { KSPlatformReset(); }
    void TearDown() override { KSPlatformReset(); }
};

TEST_F(DesktopCallsTest, SidsCompareByAuthorityAndEverySubAuthority)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY world = {{0, 0, 0, 0, 0, 1}};
    PSID admins = nullptr, admins2 = nullptr, users = nullptr, worldSid = nullptr, shorter = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 9, 9, 9, 9, 9, 9, &admins2));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 545, 0, 0, 0, 0, 0, 0, &users));
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 2, 32, 544, 0, 0, 0, 0, 0, 0, &worldSid));
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 1, 32, 0, 0, 0, 0, 0, 0, 0, &shorter));
    EXPECT_EQ(KSPlatformLiveSids(), 5u);
    EXPECT_TRUE(EqualSid(admins, admins2)); // sub-authorities past the count do not count
    EXPECT_FALSE(EqualSid(admins, users));
    EXPECT_FALSE(EqualSid(admins, worldSid));
    EXPECT_FALSE(EqualSid(admins, shorter));
    for (PSID sid : {admins, admins2, users, worldSid, shorter})
        EXPECT_EQ(FreeSid(sid), nullptr);
    EXPECT_EQ(KSPlatformLiveSids(), 0u);
    PSID none = nullptr;
    EXPECT_FALSE(AllocateAndInitializeSid(&nt, 9, 0, 0, 0, 0, 0, 0, 0, 0, &none));
}

TEST_F(DesktopCallsTest, TokenGroupsComeInTwoCalls)
{
    HANDLE token = nullptr;
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), ERROR_NO_TOKEN);
    KSTokenGroup users;
    users.subAuthorities = {32, 545};
    users.attributes = SE_GROUP_ENABLED;
    KSPlatformSetThreadToken(true, {users, KSAdministratorsGroup(SE_GROUP_USE_FOR_DENY_ONLY)});
    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));

    DWORD size = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, nullptr, 0, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::vector<ULONG_PTR> buffer(size / sizeof(ULONG_PTR) + 1);
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, buffer.data(), size - 1, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    ASSERT_TRUE(GetTokenInformation(token, TokenGroups, buffer.data(), size, &size));
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    ASSERT_EQ(groups->GroupCount, 2u);
    const SID_AND_ATTRIBUTES* entries = groups->Groups;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &admins));
    EXPECT_FALSE(EqualSid(entries[0].Sid, admins));
    EXPECT_TRUE(EqualSid(entries[1].Sid, admins));
    EXPECT_EQ(entries[1].Attributes, static_cast<DWORD>(SE_GROUP_USE_FOR_DENY_ONLY));
    FreeSid(admins);

    KSPlatformSetTokenInformationError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(GetTokenInformation(token, TokenGroups, buffer.data(), size, &size));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(DesktopCallsTest, TheExtendedVersionRecordCarriesTheServicePack)
{
    KSPlatformSetServicePack(4, 1);
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    ASSERT_TRUE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended)));
    EXPECT_EQ(extended.dwOSVersionInfoSize, sizeof extended);
    EXPECT_EQ(extended.wServicePackMajor, 4);
    EXPECT_EQ(extended.wServicePackMinor, 1);

    KSPlatformSetVersionErrors(ERROR_INVALID_PARAMETER, ERROR_SUCCESS);
    EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended)));
    OSVERSIONINFOA plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    EXPECT_TRUE(GetVersionExA(&plain));
    KSPlatformSetVersionErrors(ERROR_SUCCESS, ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(GetVersionExA(&plain));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(DesktopCallsTest, MessageBoxesAreRecordedAndTheStartModeIsSettable)
{
    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), 0);
    KSPlatformSetCleanBoot(2);
    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), 2);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_ICONINFORMATION), IDOK);
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    const std::vector<KSMessageBox> boxes = KSPlatformMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(boxes[1].caption, "Error");
    KSPlatformReset();
    EXPECT_TRUE(KSPlatformMessageBoxes().empty());
    EXPECT_EQ(GetSystemMetrics(SM_CLEANBOOT), 0);
}

TEST_F(DesktopCallsTest, AFailingNameRefusesEventsAndMutexesAlike)
{
    KSPlatformFailNamedObject("Taken", ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "Taken"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "Taken"), nullptr);
    HANDLE other = CreateMutexA(nullptr, TRUE, "Free");
    ASSERT_NE(other, nullptr);
    CloseHandle(other);
    KSPlatformFailNamedObject("Taken", ERROR_SUCCESS);
    HANDLE again = CreateMutexA(nullptr, TRUE, "Taken");
    ASSERT_NE(again, nullptr);
    CloseHandle(again);
}

TEST_F(DesktopCallsTest, AScriptedProcessSettingItsEventAsItEndsShowsBothAtOnce)
{
    KSProcessScript script;
    script.commandLine = "Tool.exe go";
    script.exitCode = 7;
    script.crash = KSProcessScript::Crash::AsItEnds;
    script.crashEvent = "ToolCrash";
    KSPlatformAddProcessScript(script);
    KSProcessScript refused;
    refused.commandLine = "Other.exe";
    refused.startError = ERROR_ACCESS_DENIED;
    KSPlatformAddProcessScript(refused);

    const unsigned before = KSPlatformOpenHandles();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    char refusedLine[] = "Other.exe";
    EXPECT_FALSE(CreateProcessA(nullptr, refusedLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    char line[] = "Tool.exe go";
    ASSERT_TRUE(CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    HANDLE crash = CreateEventA(nullptr, FALSE, FALSE, "ToolCrash");
    ASSERT_NE(crash, nullptr);
    ASSERT_EQ(WaitForSingleObject(info.hProcess, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(crash, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &exitCode));
    EXPECT_EQ(exitCode, 7u);
    for (HANDLE handle : {crash, info.hProcess, info.hThread})
        CloseHandle(handle);
    EXPECT_EQ(KSPlatformOpenHandles(), before);

    const std::vector<KSProcessStart> starts = KSPlatformProcessStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_FALSE(starts[0].started);
    EXPECT_FALSE(starts[0].inheritHandles);
    EXPECT_TRUE(starts[1].started);
    EXPECT_TRUE(starts[1].inheritHandles);
}

} // namespace
