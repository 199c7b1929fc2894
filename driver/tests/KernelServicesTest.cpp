// The container's file, memory and time services in their kernel form, over the
// fake port's native calls: what each asks of the native call and what it answers.
#include <gtest/gtest.h>

#include <cstring>

#include "CoreTestSet.h"
#include "KSPlatformControl.h"
#include "KernelServices.h"

#include <fstream>
#include <thread>

namespace {

using namespace zedisk;

class KernelServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KSPlatformReset();
        wdk::Reset();
        KSDriveEntry drive;
        drive.letter = 'Q';
        drive.hostFolder = dir.Path();
        ASSERT_TRUE(KSPlatformAddDrive(drive));
    }
    void TearDown() override
    {
        EXPECT_EQ(0, wdk::OpenFiles());
        EXPECT_EQ(0u, wdk::Ledger().liveBlocks);
        KSPlatformReset();
    }
    void Put(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir.Path() + name, std::ios::binary) << bytes;
    }
    TempFolder dir;
};

TEST_F(KernelServicesTest, PathsBecomeNativeNames)
{
    struct Case {
        const wchar_t* path;
        std::u16string native;
    } cases[] = {
        {L"Q:\\a.bin", u"\\??\\Q:\\a.bin"},
        {L"\\\\server\\share\\a.bin", u"\\??\\UNC\\server\\share\\a.bin"},
        {L"\\\\?\\Q:\\a.bin", u"\\??\\UNC\\?\\Q:\\a.bin"},
    };
    for (const Case& c : cases) {
        void* file = ZdCreateFile(c.path, 0x80000000, 1, nullptr, 3, 0);
        if (file != ZdInvalidHandle())
            ZdCloseHandle(file);
        EXPECT_EQ(c.native, wdk::LastCreate().path);
    }
    struct Refused {
        const wchar_t* path;
        uint32_t disposition;
    } refused[] = {{nullptr, 3}, {L"", 3}, {L"Q:\\a.bin", 0}, {L"Q:\\a.bin", 6}};
    for (const Refused& r : refused) {
        ZdSetLastError(0);
        EXPECT_EQ(ZdInvalidHandle(), ZdCreateFile(r.path, 0x80000000, 1, nullptr, r.disposition, 0));
        EXPECT_EQ(87u, ZdGetLastError());
    }
    ZdSetLastError(0);
    EXPECT_EQ(ZdInvalidHandle(), ZdCreateFile(L"Q:\\none.bin", 0x80000000, 1, nullptr, 3, 0));
    EXPECT_EQ(2u, ZdGetLastError()) << "the failing status as a Win32 error";
}

// The fake reaches a host path as the platform layer does (user mode opens sets by
// such names); a name that is neither a drive path nor a host path names nothing.
TEST_F(KernelServicesTest, HostPathsOpenAsThePlatformLayerOpensThem)
{
    Put("host.bin", "abc");
    const std::string host = dir.Path() + "host.bin";
    void* file = ZdCreateFile(std::wstring(host.begin(), host.end()).c_str(), 0x80000000, 1, nullptr, 3, 0);
    ASSERT_NE(ZdInvalidHandle(), file);
    char bytes[3] = {};
    uint32_t read = 0;
    EXPECT_TRUE(ZdReadFile(file, bytes, 3, &read, nullptr));
    EXPECT_EQ(0, std::memcmp(bytes, "abc", 3));
    ZdCloseHandle(file);
    EXPECT_EQ(ZdInvalidHandle(), ZdCreateFile(L"host.bin", 0x80000000, 1, nullptr, 3, 0));
}

TEST_F(KernelServicesTest, DispositionsOptionsAndAccess)
{
    struct Case {
        uint32_t disposition;
        uint32_t flags;
        uint32_t native;
        uint32_t options;
        uint32_t extraAccess;
    } cases[] = {
        {1, 0, 2, 0x822, 0},
        {2, 0, 5, 0x822, 0},
        {3, 0, 1, 0x822, 0},
        {4, 0, 3, 0x822, 0},
        {5, 0, 4, 0x822, 0},
        {4, 0x02000000, 3, 0x4822, 0},
        {4, 0x04000000, 3, 0x1822, 0x00010000},
        {4, 0x00200000, 3, 0x200822, 0},
        {4, 0x00100000, 3, 0x400822, 0},
        {4, 0x20000000, 3, 0x82A, 0},
        {4, 0x80000000 | 0x10000000, 3, 0x822, 0},
    };
    for (const Case& c : cases) {
        Put("d.bin", "data");
        void* file = ZdCreateFile(L"Q:\\d.bin", 0xC0000000, 3, nullptr, c.disposition, c.flags | 0x20);
        if (file != ZdInvalidHandle())
            ZdCloseHandle(file);
        const wdk::CreateCall call = wdk::LastCreate();
        EXPECT_EQ(c.native, call.disposition) << c.disposition << "/" << std::hex << c.flags;
        EXPECT_EQ(c.options, call.options) << c.disposition << "/" << std::hex << c.flags;
        EXPECT_EQ(0xC0000000u | 0x00100000 | 0x80 | c.extraAccess, call.access) << std::hex << c.flags;
        EXPECT_EQ(0x20u, call.attributes);
        EXPECT_EQ(3u, call.share);
        EXPECT_EQ(0x40u, call.objectFlags);
    }
    ZdSecurityAttributes inherit{sizeof(ZdSecurityAttributes), nullptr, 1};
    void* file = ZdCreateFile(L"Q:\\d.bin", 0x80000000, 1, &inherit, 3, 0);
    ASSERT_NE(ZdInvalidHandle(), file);
    ZdCloseHandle(file);
    EXPECT_EQ(0x42u, wdk::LastCreate().objectFlags);
}

TEST_F(KernelServicesTest, ReadsWritesSeeksAndTheEndOfTheFile)
{
    void* file = ZdCreateFile(L"Q:\\rw.bin", 0xC0000000, 0, nullptr, 2, 0);
    ASSERT_NE(ZdInvalidHandle(), file);
    uint32_t done = 0;
    ASSERT_TRUE(ZdWriteFile(file, "0123456789", 10, &done, nullptr));
    EXPECT_EQ(10u, done);
    const uint64_t at3 = 3;
    ASSERT_TRUE(ZdWriteFile(file, "abc", 3, &done, &at3));
    int64_t position = -1;
    ASSERT_TRUE(ZdSetFilePointerEx(file, 0, &position, ZD_FILE_CURRENT));
    EXPECT_EQ(6, position);
    ASSERT_TRUE(ZdSetFilePointerEx(file, -2, &position, ZD_FILE_END));
    EXPECT_EQ(8, position);
    char buffer[16] = {};
    ASSERT_TRUE(ZdReadFile(file, buffer, 16, &done, nullptr));
    EXPECT_EQ(2u, done);
    EXPECT_EQ(std::string("89"), std::string(buffer, 2));
    ASSERT_TRUE(ZdReadFile(file, buffer, 16, &done, nullptr)) << "the end of the file is no failure";
    EXPECT_EQ(0u, done);
    ASSERT_TRUE(ZdReadFile(file, buffer, 0, &done, nullptr));
    const uint64_t at0 = 0;
    ASSERT_TRUE(ZdReadFile(file, buffer, 6, &done, &at0));
    EXPECT_EQ(std::string("012abc"), std::string(buffer, 6));
    EXPECT_FALSE(ZdSetFilePointerEx(file, 0, &position, 3));
    EXPECT_FALSE(ZdSetFilePointerEx(file, -100, &position, ZD_FILE_BEGIN));
    ASSERT_TRUE(ZdSetFilePointerEx(file, 4, &position, ZD_FILE_BEGIN));
    ASSERT_TRUE(ZdSetEndOfFile(file));
    int64_t size = 0;
    ASSERT_TRUE(ZdGetFileSizeEx(file, &size));
    EXPECT_EQ(4, size);
    EXPECT_TRUE(ZdCloseHandle(file));
    EXPECT_FALSE(ZdReadFile(nullptr, buffer, 4, &done, nullptr));
    EXPECT_EQ(6u, ZdGetLastError());
}

TEST_F(KernelServicesTest, DeleteFileAndDeleteOnClose)
{
    Put("gone.bin", "x");
    EXPECT_TRUE(ZdDeleteFile(L"Q:\\gone.bin"));
    EXPECT_FALSE(std::ifstream(dir.Path() + "gone.bin").good());
    EXPECT_EQ(0x1822u, wdk::LastCreate().options & 0x1822u);
    EXPECT_FALSE(ZdDeleteFile(L"Q:\\gone.bin"));
    void* temp = ZdCreateFile(L"Q:\\temp.bin", 0xC0000000, 0, nullptr, 1, 0x04000000);
    ASSERT_NE(ZdInvalidHandle(), temp);
    EXPECT_TRUE(std::ifstream(dir.Path() + "temp.bin").good());
    ZdCloseHandle(temp);
    EXPECT_FALSE(std::ifstream(dir.Path() + "temp.bin").good());
}

TEST_F(KernelServicesTest, AnIdentityKeptFromTheFileCannotOpenIt)
{
    Put("private.bin", "x");
    wdk::DenyIdentity("guest", dir.Path() + "private.bin");
    wdk::SetThreadIdentity("guest");
    EXPECT_EQ(ZdInvalidHandle(), ZdCreateFile(L"Q:\\private.bin", 0x80000000, 1, nullptr, 3, 0));
    EXPECT_EQ(5u, ZdGetLastError());
    wdk::SetThreadIdentity("SYSTEM");
    void* file = ZdCreateFile(L"Q:\\private.bin", 0x80000000, 1, nullptr, 3, 0);
    ASSERT_NE(ZdInvalidHandle(), file);
    ZdCloseHandle(file);
}

TEST_F(KernelServicesTest, TimeFields)
{
    struct Case {
        ZdSystemTime time;
        bool valid;
        uint64_t fileTime;
    } cases[] = {
        {{1601, 1, 1, 1, 0, 0, 0, 0}, true, 0},
        {{2000, 2, 2, 29, 12, 30, 15, 250}, true, 125963010152500000ull},
        {{2001, 2, 4, 29, 0, 0, 0, 0}, false, 0},
        {{2000, 13, 0, 1, 0, 0, 0, 0}, false, 0},
        {{2000, 1, 0, 1, 24, 0, 0, 0}, false, 0},
        {{1600, 12, 0, 31, 0, 0, 0, 0}, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t fileTime = 0;
        EXPECT_EQ(c.valid ? 1 : 0, ZdSystemTimeToFileTime(&c.time, &fileTime)) << c.time.year;
        if (c.valid) {
            EXPECT_EQ(c.fileTime, fileTime) << c.time.year;
        }
    }
    ZdSystemTime now{};
    ZdGetSystemTime(&now);
    EXPECT_GE(now.year, 2024);
    EXPECT_LE(now.dayOfWeek, 6);
    uint64_t back = 0;
    EXPECT_TRUE(ZdSystemTimeToFileTime(&now, &back));
    const uint32_t first = ZdGetTickCount();
    EXPECT_LT(ZdGetTickCount() - first, 10000u) << "ticks move forward from the first reading";
}

TEST_F(KernelServicesTest, EachWorkerKeepsItsOwnLastError)
{
    auto worker = [](uint32_t error, uint32_t* seen) {
        LastErrorAttach();
        ZdSetLastError(error);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        *seen = ZdGetLastError();
        LastErrorDetach();
    };
    uint32_t a = 0, b = 0;
    std::thread first(worker, 2u, &a);
    std::thread second(worker, 5u, &b);
    first.join();
    second.join();
    EXPECT_EQ(2u, a);
    EXPECT_EQ(5u, b);
}

TEST_F(KernelServicesTest, ImageMemoryAndZlibUseTheImageTag)
{
    void* block = ZdAllocateImage(100);
    void* zblock = ZdZlibAlloc(nullptr, 10, 20);
    EXPECT_EQ(nullptr, ZdZlibAlloc(nullptr, 0, 20));
    const wdk::LedgerStats ledger = wdk::Ledger();
    EXPECT_EQ(2u, ledger.liveByTag.at(0x676D6962));
    EXPECT_EQ("bimg", wdk::TagName(0x676D6962));
    ZdFreeImage(block);
    ZdZlibFree(nullptr, zblock);
}

} // namespace
