#include "KSResult.h"

#include <gtest/gtest.h>

TEST(ResultCode, PacksLineModuleAndKind)
{
    const unsigned long code = KSMakeResult(0x1234, KS_MODULE_CONTAINER, 0x0C);
    EXPECT_EQ(code, 0x1234300Cul);
    EXPECT_EQ(KSResultLine(code), 0x1234ul);
    EXPECT_EQ(KSResultModule(code), 3ul);
    EXPECT_EQ(KSResultKind(code), 0x0Cul);
    EXPECT_TRUE(KSFailed(code));
}

TEST(ResultCode, SuccessIsAnyCodeWithKindZero)
{
    EXPECT_FALSE(KSFailed(0));
    EXPECT_FALSE(KSFailed(KSMakeResult(77, KS_MODULE_FSSUPPORT, 0)));
    EXPECT_TRUE(KSSucceeded(0x12340000ul));
}

TEST(ResultCode, MacroRecordsTheSourceLine)
{
    const unsigned long line = __LINE__; const unsigned long code = KS_RESULT(KS_MODULE_CHECKER, KS_KIND_CANCELLED);
    EXPECT_EQ(KSResultLine(code), line);
    EXPECT_EQ(KSResultModule(code), 0xAul);
    EXPECT_EQ(KSResultKind(code), 0x59ul);
}

TEST(ResultCode, FieldsAreMaskedToTheirWidth)
{
    EXPECT_EQ(KSMakeResult(0x12345, 0x13, 0x1FFF), 0x23453FFFul);
}
