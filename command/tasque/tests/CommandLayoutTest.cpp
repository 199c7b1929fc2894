// The records that cross the channel: their sizes on this platform, and the u64
// halves of the record.
#include <gtest/gtest.h>

#include "RestoreInfo.h"
#include "command/KSCommandPayloads.h"

TEST(CommandLayout, SixtyFourBitNumbersAreLowThenHighHalves)
{
    KSCmdU64 n{};
    n.Set(0x1122334455667788ull);
    EXPECT_EQ(0x55667788u, n.Low);
    EXPECT_EQ(0x11223344u, n.High);
    EXPECT_EQ(0x1122334455667788ull, n.Get());
}

TEST(CommandLayout, HeaderFillWritesSizeOfTheRecord)
{
    KS_CMD_ADD_PARTITION_REQUEST r{};
    KSCmdFillHeader(r, TASQUE_CMD_ADD_PARTITION, KS_CMD_REPLY_FLAG);
    EXPECT_EQ(KS_CMD_MAGIC, r.Header.Magic);
    EXPECT_EQ(sizeof r, r.Header.Size);
    EXPECT_EQ(1152u, r.Header.Size);
    EXPECT_EQ(48u, r.Header.Code);
    EXPECT_EQ(1u, r.Header.ReplyFlag);
    EXPECT_EQ(84u, r.Header.HeaderLength);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&r.Header);
    EXPECT_EQ('C', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    EXPECT_EQ('B', bytes[2]);
    EXPECT_EQ('K', bytes[3]);
}
