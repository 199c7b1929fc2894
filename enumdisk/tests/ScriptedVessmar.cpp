#include "ScriptedVessmar.h"

#include <KSPlatformControl.h>
#include <cstdio>
#include <dlfcn.h>

#include "KSResult.h"

FakeVessmarControl& Script()
{
    static FakeVessmarControl* control = [] {
        // The same file the module-object layer loads, so the same loaded copy.
        void* library = dlopen(FAKE_VESSMAR_FILE, RTLD_NOW);
        EXPECT_NE(library, nullptr) << dlerror();
        void* symbol = library != nullptr ? dlsym(library, "FakeVessmarControlOf") : nullptr;
        EXPECT_NE(symbol, nullptr);
        FakeVessmarControlFn fn = reinterpret_cast<FakeVessmarControlFn>(symbol);
        return fn != nullptr ? fn() : new FakeVessmarControl;
    }();
    return *control;
}

ScriptedDisk OneDisk(unsigned number)
{
    ScriptedDisk disk;
    disk.deviceName = "\\\\.\\PhysicalDrive" + std::to_string(number);
    disk.model = "Scripted disk " + std::to_string(number);
    disk.partitions.push_back(ScriptedPartition());
    return disk;
}

const unsigned char* Bytes(const void* record) { return static_cast<const unsigned char*>(record); }

void CensaScripted::SetUp()
{
    KSPlatformReset();
    Script() = FakeVessmarControl();
    handlesBefore_ = KSPlatformOpenHandles();
}

void CensaScripted::TearDown()
{
    EXPECT_EQ(Script().liveIterators, 0) << "every iterator is released";
    EXPECT_EQ(KSPlatformOpenServiceHandles(), 0u) << "every service handle is closed";
    EXPECT_EQ(KSPlatformOpenHandles(), handlesBefore_) << "every handle is closed";
    Script() = FakeVessmarControl();
    KSPlatformReset();
}

::testing::AssertionResult IsCensaKind(unsigned long code, unsigned long kind)
{
    if (KSResultModule(code) == KS_MODULE_ENUMDISK && KSResultKind(code) == kind)
        return ::testing::AssertionSuccess();
    char text[80];
    std::snprintf(text, sizeof(text), "code 0x%lx, expected kind 0x%lx of module 8", code, kind);
    return ::testing::AssertionFailure() << text;
}
