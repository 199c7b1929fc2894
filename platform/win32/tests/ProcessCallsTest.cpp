#include <windows.h>

#include "CommandLine.h"
#include "PlatformTestHelpers.h"

#include <cstdio>
#include <string>

namespace {

class ProcessCallsTest : public PlatformTest {
protected:
    void TearDown() override
    {
        KSPlatformSetModuleFileName("");
        PlatformTest::TearDown();
    }
};

// Reads the pipe until it breaks, as a tool's caller does.
std::string Drain(HANDLE read)
{
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr))
        text.append(buffer, got);
    EXPECT_EQ(GetLastError(), ERROR_BROKEN_PIPE);
    return text;
}

struct Started {
    PROCESS_INFORMATION info{};
    HANDLE read = nullptr;
    BOOL ok = FALSE;
};

Started StartChild(std::string commandLine, bool useStdHandles)
{
    Started run;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE write = nullptr;
    EXPECT_TRUE(CreatePipe(&run.read, &write, &inherit, 0));
    for (size_t at; (at = commandLine.find("{h}")) != std::string::npos;)
        commandLine.replace(at, 3, std::to_string(reinterpret_cast<uintptr_t>(write)));
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    if (useStdHandles) {
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = write;
    }
    run.ok = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &run.info);
    CloseHandle(write);
    return run;
}

// Runs the command line to its end: what reached the pipe and the exit code.
void ExpectRun(const std::string& commandLine, bool useStdHandles, const std::string& output, DWORD exitCode)
{
    Started run = StartChild(commandLine, useStdHandles);
    ASSERT_TRUE(run.ok) << commandLine;
    EXPECT_EQ(Drain(run.read), output) << commandLine;
    EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0) << commandLine;
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(run.info.hProcess, &code));
    EXPECT_EQ(code, exitCode) << commandLine;
    CloseHandle(run.read);
    CloseHandle(run.info.hProcess);
    CloseHandle(run.info.hThread);
}

TEST_F(ProcessCallsTest, StandardOutputAndErrorReachThePipeAndTheExitCodeIsKept)
{
    ExpectRun("/bin/sh -c \"echo out; echo err >&2; exit 3\"", true, "out\nerr\n", 3);
}

TEST_F(ProcessCallsTest, AnInheritedHandleKeepsItsNumberInAChildOfTheLayer)
{
    ExpectRun("InheritedHandleChild {h} \"from the child\"", false, "from the child", 7);
}

TEST_F(ProcessCallsTest, AProcessStillRunningAnswersStillActiveAndAMissingProgramFails)
{
    Started run = StartChild("/bin/sh -c \"sleep 30\"", false);
    ASSERT_TRUE(run.ok);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(run.info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 50), WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateProcess(run.info.hProcess, 1));
    EXPECT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(run.read);
    CloseHandle(run.info.hProcess);
    CloseHandle(run.info.hThread);

    Started missing = StartChild("no-such-program-here.exe", true);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CloseHandle(missing.read);
}

TEST_F(ProcessCallsTest, CommandLinesSplitByTheRuntimeRules)
{
    struct Case {
        const char* line;
        std::vector<std::string> arguments;
    } cases[] = {
        {"Pip -h 12 mkisofs -o \"C:\\Temp Folder\\Temp.iso\"",
         {"Pip", "-h", "12", "mkisofs", "-o", "C:\\Temp Folder\\Temp.iso"}},
        {"  a\t b  ", {"a", "b"}},
        {"a\\\\\"b c\" d", {"a\\b c", "d"}},
        {"a\\\"b", {"a\"b"}},
        {"C:\\dir\\x.exe \"\"", {"C:\\dir\\x.exe", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ks_platform::SplitCommandLine(c.line), c.arguments) << c.line;
}

TEST_F(ProcessCallsTest, TheModuleFileNameIsTheProgramOrWhatWasSet)
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_GT(length, 0u);
    EXPECT_NE(std::string(path).find("win32_platform_tests"), std::string::npos);
    KSPlatformSetModuleFileName("/tmp/some folder/Program.exe");
    wchar_t wide[8] = {};
    EXPECT_EQ(GetModuleFileNameW(nullptr, wide, 8), 8u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::wstring(wide), L"/tmp/so");
}

} // namespace
