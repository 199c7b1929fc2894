#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

TEST(LastError, IsKeptPerThread)
{
    SetLastError(ERROR_DISK_FULL);
    DWORD seenByWorker = 0xDEAD;
    std::thread worker([&] {
        seenByWorker = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
    });
    worker.join();
    EXPECT_EQ(seenByWorker, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
}

TEST(LastError, FailedCallsSetItAndSetLastErrorStoresAnyValue)
{
    SetLastError(0x12345678u);
    EXPECT_EQ(GetLastError(), 0x12345678u);
    EXPECT_EQ(CreateFileW(L"/nonexistent-folder-of-the-test/x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
