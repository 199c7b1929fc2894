#include "StartupOverSymbol.h"
#include "StartupThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

bool FailingStarter(GThreadFunc, gpointer)
{
    return false;
}

class Startup : public testing::Test {
protected:
    void SetUp() override { ClearStartupOverSymbol(); }
    void TearDown() override { ClearStartupOverSymbol(); }
};

TEST_F(Startup, FlagStaysDownUntilSetAndIsReadWithoutClearing)
{
    EXPECT_FALSE(CheckStartupOverSymbol());
    SetStartupOverSymbol();
    EXPECT_TRUE(CheckStartupOverSymbol());
    EXPECT_TRUE(CheckStartupOverSymbol());
}

TEST_F(Startup, ThreadBodyIgnoresItsArgumentAndRaisesTheFlag)
{
    int unrelated = 5;
    for (gpointer argument : {static_cast<gpointer>(nullptr), static_cast<gpointer>(&unrelated)}) {
        ClearStartupOverSymbol();
        EXPECT_EQ(ExcuteVessmarInit(argument), nullptr);
        EXPECT_TRUE(CheckStartupOverSymbol());
    }
    EXPECT_EQ(unrelated, 5);
}

TEST_F(Startup, RealThreadRaisesTheFlag)
{
    EXPECT_TRUE(StartStartupThread(nullptr));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!CheckStartupOverSymbol() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(CheckStartupOverSymbol());
}

TEST_F(Startup, ThreadThatCannotStartStillLetsStartUpEnd)
{
    EXPECT_FALSE(StartStartupThread(nullptr, FailingStarter));
    EXPECT_TRUE(CheckStartupOverSymbol());
    ClearStartupOverSymbol();
    EXPECT_FALSE(StartStartupThread(nullptr, nullptr));
    EXPECT_TRUE(CheckStartupOverSymbol());
}

} // namespace
