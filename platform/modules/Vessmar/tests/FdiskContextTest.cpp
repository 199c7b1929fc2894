// The libfdisk context holder over a disk that cannot be opened: the read gives up,
// and letting the context go must not take the process down.
#include <gtest/gtest.h>

#include "FdiskContext.h"

TEST(FdiskContext, ADeviceThatCouldNotBeAssignedIsLetGoQuietly)
{
    for (FdiskContext::Release release : {FdiskContext::Release::WithoutFlush, FdiskContext::Release::Flushed}) {
        FdiskContext fdisk(release);
        ASSERT_NE(nullptr, fdisk.cxt);
        EXPECT_NE(0, fdisk_assign_device(fdisk.cxt, "/nonexistent/disk-that-is-not-there", 1));
    }
    SUCCEED() << "both contexts were released";
}
