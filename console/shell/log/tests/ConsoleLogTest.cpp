// The console's debug texts go through the shared log call, which writes nothing and
// keeps the formatted text only while a test captures it.
#include "CLogWriter.h"

#include <gtest/gtest.h>

TEST(ConsoleLog, FormatsOnlyWhileCaptured)
{
    CLogWriter::Log("not kept %d", 1);
    CLogWriter::StartCapture();
    CLogWriter::Log("generate user event %s row %d", "restore", 2);
    CLogWriter::Log(nullptr);
    CLogWriter::StopCapture();
    CLogWriter::Log("not kept either");
    EXPECT_EQ(CLogWriter::Captured(), std::vector<std::string>{"generate user event restore row 2"});
}
