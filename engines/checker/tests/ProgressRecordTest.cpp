#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "CCheckProgressMgr.h"
#include "KSProgressInfo.h"

TEST(ProgressRecord, SizesFollowTheWideCharacter)
{
    EXPECT_EQ(600u, sizeof(_KS_PROGRESS_INFO16));
    EXPECT_EQ(1144u, sizeof(_KS_PROGRESS_INFO));
    EXPECT_EQ(56u, offsetof(_KS_PROGRESS_INFO, Text));
    EXPECT_EQ(40u, offsetof(_KS_PROGRESS_INFO, Result));
    EXPECT_EQ(44u, offsetof(_KS_PROGRESS_INFO, State));
}

TEST(ProgressRecord, ResetZeroesEverythingButTheStartFields)
{
    CCheckProgressMgr mgr;
    mgr.SetPercents(40, 70);
    mgr.Finish(0x1234, nullptr);
    mgr.Cancel();
    mgr.Reset(3);
    _KS_PROGRESS_INFO record;
    std::memset(&record, 0xAB, sizeof record);
    mgr.Copy(&record);
    EXPECT_EQ(3u, record.ItemCount);
    EXPECT_EQ(static_cast<uint32_t>(KS_STAGE_CHECK_STARTED), record.Stage);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_RUNNING), record.State);
    EXPECT_FALSE(mgr.Cancelled());
    _KS_PROGRESS_INFO expected;
    std::memset(&expected, 0, sizeof expected);
    expected.ItemCount = 3;
    expected.Stage = KS_STAGE_CHECK_STARTED;
    expected.State = KS_CHECK_STATE_RUNNING;
    EXPECT_EQ(0, std::memcmp(&expected, &record, sizeof record));
}

TEST(ProgressRecord, FinishTellsCancelFromEnd)
{
    CCheckProgressMgr mgr;
    std::atomic<bool> busy(true);
    mgr.Reset(1);
    mgr.Finish(0, &busy);
    _KS_PROGRESS_INFO record;
    mgr.Copy(&record);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), record.State);
    EXPECT_FALSE(busy.load());

    mgr.Reset(1);
    mgr.Cancel();
    mgr.Finish(0x0406A059, nullptr);
    mgr.Copy(&record);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_USER_CANCEL), record.State);
    EXPECT_EQ(0x0406A059u, record.Result);
}

// A copy taken while the worker ends the run never shows the end state without the
// run's result.
TEST(ProgressRecord, CopiesNeverShowTheEndStateWithoutItsResult)
{
    CCheckProgressMgr mgr;
    for (int round = 0; round < 50; ++round) {
        mgr.Reset(2);
        std::thread worker([&mgr] {
            for (uint32_t p = 0; p <= 100; ++p)
                mgr.SetPercents(p, p);
            mgr.Finish(0x04CFA60B, nullptr);
        });
        _KS_PROGRESS_INFO record;
        do {
            mgr.Copy(&record);
            if (record.State == KS_CHECK_STATE_FINISH) {
                ASSERT_EQ(0x04CFA60Bu, record.Result);
            }
            ASSERT_LE(record.ItemPercent, 100u);
        } while (record.State != KS_CHECK_STATE_FINISH);
        worker.join();
    }
}
