// The copier progress function: each message moves its context, a refresh grows the
// current percent by what the copier's total gained, percent messages refresh at most
// once a second, and a cancel poll answers 1223 once the user has cancelled.
#include <gtest/gtest.h>

#include "CCallBackOperate.h"
#include "CRestoreProgress.h"
#include "RestoreCopierProgress.h"

namespace {
DWORD g_copierClock = 0;
DWORD CopierClock() { return g_copierClock; }
int NameEveryOperation(unsigned long, char* text, const void*)
{
    text[0] = 'x';
    text[1] = '\0';
    return 1;
}

TEST(CopierProgress, MessagesMoveTheCurrentAndOverallPercents)
{
    struct Step {
        DWORD clock;
        unsigned long kind, value;
        uint32_t current, overall; // the record after the message
    } steps[] = {
        {0, KS_OPERATE_START, 0, 2, 1},         // refresh: nothing gained yet
        {0, KS_OPERATE_BEGIN, 1, 2, 1},
        {0, KS_OPERATE_WEIGHT, 97, 2, 1},
        {0, KS_OPERATE_PERCENT, 50, 50, 25},    // 100 x 97 x 50 / 10000 = 48 gained
        {500, KS_OPERATE_PERCENT, 90, 50, 25},  // within a second: kept, not shown
        {1000, KS_OPERATE_ADD_PERCENT, 30, 99, 49}, // 90 + 30 capped at 100: 97 in all
        {1000, KS_OPERATE_SCALE_RESET, 0, 99, 49},  // no refresh
        {1000, 12, 0, 99, 49},                      // unknown kinds do nothing
        {1000, KS_OPERATE_DONE, 0, 99, 49},         // nothing more gained
    };
    CRestoreProgress keeper;
    keeper.Begin(2, 0, false, false);
    keeper.BeginOperation(0);
    keeper.AddCurrentPercent(2);
    RestoreCopierContext context;
    BeginCopierContext(context, keeper);
    context.tick = CopierClock;
    context.operationName = NameEveryOperation;
    for (const Step& s : steps) {
        g_copierClock = s.clock;
        EXPECT_EQ(RestoreCopierProgress(&context, s.kind, s.value, 0), 0u);
        const _KS_PROGRESS_INFO record = keeper.Peek();
        EXPECT_EQ(record.ItemPercent, s.current) << s.kind << " " << s.value;
        EXPECT_EQ(record.OverallPercent, s.overall) << s.kind << " " << s.value;
    }
    EXPECT_EQ(keeper.Peek().Text[0], L'x');
    EXPECT_EQ(RestoreCopierProgress(&context, KS_OPERATE_CANCEL_POLL, 0, 0), 0u);
    keeper.cancel = 1;
    EXPECT_EQ(RestoreCopierProgress(&context, KS_OPERATE_CANCEL_POLL, 0, 0), KS_OPERATE_CANCELLED);
    CCallBackOperate relay(RestoreCopierProgress, &context);
    EXPECT_TRUE(relay.Cancelled());
}
}
