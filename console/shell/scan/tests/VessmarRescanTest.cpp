#include "VessmarRescan.h"

#include "FakeVessmarModule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

FakeVessmarModule g_module;

IVessmarModule* OpenFake()
{
    return &g_module;
}

IVessmarModule* OpenMissing()
{
    return OpenModuleT<IVessmarModule>("RvdNoSuchDeviceManager");
}

class VessmarRescan : public testing::Test {
protected:
    void SetUp() override { ClearScanEndFlag(); }
    void TearDown() override
    {
        g_module.Let();
        SetVessmarOpener(nullptr);
        ClearScanEndFlag();
    }
};

TEST_F(VessmarRescan, FlagRisesOnlyAfterRefreshWithZeroHasReturned)
{
    SetVessmarOpener(OpenFake);
    g_module.Hold();
    const int callsBefore = g_module.refreshCalls;
    std::thread worker(ExcuteVessmarCreate, nullptr);
    ASSERT_TRUE(g_module.WaitEntered());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(TakeScanEndFlag()) << "the flag rose while the rescan was still running";
    g_module.Let();
    worker.join();
    EXPECT_EQ(g_module.refreshCalls, callsBefore + 1);
    EXPECT_EQ(g_module.lastFlags, 0u);
    EXPECT_TRUE(TakeScanEndFlag());
    EXPECT_FALSE(TakeScanEndFlag()) << "taking the flag clears it";
}

TEST_F(VessmarRescan, MissingModuleSkipsTheRescanAndStillRaisesTheFlag)
{
    SetVessmarOpener(OpenMissing);
    EXPECT_EQ(OpenVessmarModule(), nullptr);
    EXPECT_EQ(ExcuteVessmarCreate(nullptr), nullptr);
    EXPECT_TRUE(TakeScanEndFlag());
}

TEST_F(VessmarRescan, DetachedWorkerRaisesTheFlagAndClearRemovesAStaleOne)
{
    SetScanEndFlag();
    ClearScanEndFlag();
    EXPECT_FALSE(TakeScanEndFlag());

    SetVessmarOpener(OpenFake);
    ASSERT_TRUE(StartVessmarRescan());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool raised = false;
    while (!raised && std::chrono::steady_clock::now() < deadline) {
        raised = TakeScanEndFlag();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(raised);
}

} // namespace
