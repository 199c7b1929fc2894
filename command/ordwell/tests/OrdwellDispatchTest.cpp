// The executor against recording engines: each code reaches its engine operation with
// the payload's fields, each reply gets its code and size, results pass through.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "COrdwell.h"
#include "KSResult.h"
#include "RecordingEngines.h"

namespace {

unsigned long SomeCallback(void*, unsigned long, void*) { return 0; }

void* P(uintptr_t n) { return reinterpret_cast<void*>(n * 0x100 + 0x8); }
std::string N(uintptr_t n) { return std::to_string(reinterpret_cast<uintptr_t>(P(n))); }
const std::string kFn = std::to_string(reinterpret_cast<uintptr_t>(&SomeCallback));

// A request of any record type, as bytes, with its header filled.
template <class T>
std::vector<uint8_t> Make(uint32_t code, void (*fill)(T&) = nullptr)
{
    T record{};
    KSCmdFillHeader(record, code);
    if (fill != nullptr)
        fill(record);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(b, b + sizeof record);
}

struct DispatchCase {
    uint32_t code;
    std::vector<uint8_t> request;
    std::vector<uint8_t> replyPreload; // empty: no reply
    uint32_t replyCode;
    uint32_t replySize;
    std::string call;
};

std::vector<uint8_t> ListingReply()
{
    KS_CMD_LISTING_REPLY r{};
    r.Buffer = P(1);
    r.Count = P(3);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&r);
    return std::vector<uint8_t>(b, b + sizeof r);
}

std::vector<uint8_t> ProgressReply()
{
    KS_CMD_PROGRESS_REPLY r{};
    r.Progress = P(2);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&r);
    return std::vector<uint8_t>(b, b + sizeof r);
}

std::vector<uint8_t> Blank(size_t n) { return std::vector<uint8_t>(n, 0); }

void OnePointer(KS_CMD_POINTER_REQUEST& r) { r.Pointer = P(1); }
void TwoPointers(KS_CMD_IMG_INFO_REQUEST& r)
{
    r.Version = P(1);
    r.Path = P(2);
}
void Callback(KS_CMD_CALLBACK_REQUEST& r)
{
    r.Callback = &SomeCallback;
    r.Context = P(5);
}
void Listing(KS_CMD_LISTING_REQUEST& r)
{
    r.Capacity = 16;
    r.Subject = P(4);
}
void Item(KS_CMD_RESTORE_ITEM_REQUEST& r)
{
    r.Source = P(1);
    r.Target = P(2);
    r.Option = 7;
}
void Password(KS_CMD_PASSWORD_REQUEST& r)
{
    r.Password = P(1);
    r.Length = 24;
}

std::vector<DispatchCase> Cases()
{
    const std::string listing = " " + N(1) + " 16 " + N(3) + " " + N(4);
    return {
        {1, Make<KS_CMD_BARE>(1), {}, 0, 0, "Backup.Execute"},
        {2, Make<KS_CMD_BARE>(2), {}, 0, 0, "Backup.UserCancel"},
        {10, Make<KS_CMD_BARE>(10), {}, 0, 0, "Censa.Init"},
        {11, Make<KS_CMD_BARE>(11), Blank(sizeof(KS_CMD_COUNT_REPLY)), 11, 92, "GetDiskCount"},
        {12, Make<KS_CMD_DISK_REQUEST>(12, [](KS_CMD_DISK_REQUEST& r) { r.Disk.Set(0x700000007ull); }),
         Blank(sizeof(KS_CMD_DISK_INFO_REPLY)), 12, sizeof(KS_CMD_DISK_INFO_REPLY), "GetDiskInfo 30064771079"},
        {13, Make<KS_CMD_DISK_REQUEST>(13, [](KS_CMD_DISK_REQUEST& r) { r.Disk.Set(7); }),
         Blank(sizeof(KS_CMD_COUNT_REPLY)), 13, 92, "GetPartitionCount 7"},
        {14, Make<KS_CMD_PARTITION_REQUEST>(14, [](KS_CMD_PARTITION_REQUEST& r) { r.Disk.Set(7), r.Partition.Set(9); }),
         Blank(sizeof(KS_CMD_PARTITION_INFO_REPLY)), 14, sizeof(KS_CMD_PARTITION_INFO_REPLY), "GetPartitionInfo 7 9 0"},
        {15, Make<KS_CMD_POINTER_REQUEST>(15, OnePointer), {}, 0, 0, "SetBackupSource " + N(1)},
        {16, Make<KS_CMD_POINTER_REQUEST>(16, OnePointer), {}, 0, 0, "AddFilter " + N(1)},
        {17, Make<KS_CMD_CALLBACK_REQUEST>(17, Callback), {}, 0, 0, "Backup.SetCallBack " + kFn + " " + N(5)},
        {18, Make<KS_CMD_POINTER_REQUEST>(18, OnePointer), {}, 0, 0, "SetTempPath " + N(1)},
        {19, Make<KS_CMD_POINTER_REQUEST>(19, OnePointer), {}, 0, 0, "SetBackupOption " + N(1)},
        {20, Make<KS_CMD_VALUE_REQUEST>(20, [](KS_CMD_VALUE_REQUEST& r) { r.Value = 600; }), ProgressReply(), 20, 92,
         "GetBackupProgress " + N(2) + " 600"},
        {21, Make<KS_CMD_IMG_INFO_REQUEST>(21, TwoPointers), {}, 0, 0, "Restore.SetImgInfo " + N(1) + " " + N(2)},
        {22, Make<KS_CMD_LISTING_REQUEST>(22, Listing), ListingReply(), 20, 100, "Restore.GetImageVersions" + listing},
        {23, Make<KS_CMD_LISTING_REQUEST>(23, Listing), ListingReply(), 20, 100, "Restore.GetImgVolumes" + listing},
        {24, Make<KS_CMD_LISTING_REQUEST>(24, Listing), ListingReply(), 20, 100, "Restore.GetVerComment" + listing},
        {25, Make<KS_CMD_RESTORE_ITEM_REQUEST>(25, Item), {}, 0, 0, "AddRestore " + N(1) + " " + N(2) + " 7"},
        {26, Make<KS_CMD_BARE>(26), {}, 0, 0, "Restore.Execute"},
        {27, Make<KS_CMD_BARE>(27), {}, 0, 0, "Restore.UserCancel"},
        {28, Make<KS_CMD_CALLBACK_REQUEST>(28, Callback), {}, 0, 0, "Restore.SetCallBack " + kFn + " " + N(5)},
        {29, Make<KS_CMD_BARE>(29), ProgressReply(), 20, 92, "GetRestoreProgress " + N(2)},
        {30, Make<KS_CMD_POINTER_REQUEST>(30, OnePointer), {}, 0, 0, "Restore.IsPwdProtect " + N(1)},
        {31, Make<KS_CMD_PASSWORD_REQUEST>(31, Password), {}, 0, 0, "Restore.SetPassword " + N(1) + " 24"},
        {32, Make<KS_CMD_LISTING_REQUEST>(32, Listing), ListingReply(), 32, 100, "Check.GetImageVersions" + listing},
        {33, Make<KS_CMD_LISTING_REQUEST>(33, Listing), ListingReply(), 33, 100, "Check.GetImgVolumes" + listing},
        {34, Make<KS_CMD_LISTING_REQUEST>(34, Listing), ListingReply(), 34, 100, "Check.GetVerComment" + listing},
        {36, Make<KS_CMD_POINTER_REQUEST>(36, OnePointer), {}, 0, 0, "Check.IsPwdProtect " + N(1)},
        {37, Make<KS_CMD_PASSWORD_REQUEST>(37, Password), {}, 0, 0, "Check.SetPassword " + N(1) + " 24"},
        {38, Make<KS_CMD_IMG_INFO_REQUEST>(38, TwoPointers), {}, 0, 0, "Check.SetImgInfo " + N(1) + " " + N(2)},
        {39, Make<KS_CMD_ADD_CHECK_REQUEST>(39, [](KS_CMD_ADD_CHECK_REQUEST& r) { r.Volume = P(1); }), {}, 0, 0,
         "AddCheck " + N(1)},
        {40, Make<KS_CMD_BARE>(40), {}, 0, 0, "Check.Execute"},
        {41, Make<KS_CMD_CALLBACK_REQUEST>(41, Callback), {}, 0, 0, "SetPromptCall " + kFn + " " + N(5)},
        {42, Make<KS_CMD_BARE>(42), ProgressReply(), 35, 92, "GetCheckProgress " + N(2)},
        {43, Make<KS_CMD_BARE>(43), {}, 0, 0, "Check.UserCancel"},
        {50, Make<KS_CMD_RESTORE_ITEM_REQUEST>(50, Item), {}, 0, 0, "AddDiskRestore " + N(1) + " " + N(2) + " 7"},
        {54, Make<KS_CMD_VALUE_REQUEST>(54, [](KS_CMD_VALUE_REQUEST& r) { r.Value = 1; }), {}, 0, 0, "SetDiskMode 1"},
        {55, Make<KS_CMD_POINTER_REQUEST>(55, OnePointer), {}, 0, 0, "SetStringParam " + N(1)},
    };
}

class OrdwellDispatchTest : public ::testing::Test {
protected:
    OrdwellDispatchTest()
    {
        OrdwellEngines engines;
        engines.backup = new RecordingBackup(log);
        engines.censa = &censa;
        engines.restore = new RecordingRestore(log);
        engines.check = new RecordingCheck(log);
        executor = new COrdwell(engines, OrdwellModules());
    }
    ~OrdwellDispatchTest() override
    {
        if (executor != nullptr)
            executor->Release();
    }

    // Runs one record; reply, when not empty, is passed through a holder.
    unsigned long Run(std::vector<uint8_t>& request, std::vector<uint8_t>& reply, int withProgress = 0)
    {
        _KS_CMD_PACKET* packet = reinterpret_cast<_KS_CMD_PACKET*>(request.data());
        _KS_CMD_PACKET* held = reply.empty() ? nullptr : reinterpret_cast<_KS_CMD_PACKET*>(reply.data());
        return executor->Execute(packet, reply.empty() ? nullptr : &held, withProgress);
    }

    CallLog log;
    RecordingCensa censa{log};
    COrdwell* executor = nullptr;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST_F(OrdwellDispatchTest, EachCodeReachesItsEngineAndFillsItsReply)
{
    for (DispatchCase& c : Cases()) {
        SCOPED_TRACE("code " + std::to_string(c.code));
        log.calls.clear();
        log.answer = 0;
        std::vector<uint8_t> reply = c.replyPreload;
        const std::vector<uint8_t> before = reply;
        Run(c.request, reply);
        ASSERT_EQ(1u, log.calls.size());
        EXPECT_EQ(c.call, log.calls[0]);
        if (reply.empty())
            continue;
        EXPECT_EQ(KS_CMD_MAGIC, U32(reply, 0));
        EXPECT_EQ(c.replySize, U32(reply, 4));
        EXPECT_EQ(c.replyCode, U32(reply, 8));
        EXPECT_EQ(1u, U32(reply, 12) & 0xFFFF);
        EXPECT_EQ(84u, U32(reply, 12) >> 16);
        if (c.code != 11 && c.code != 12 && c.code != 13 && c.code != 14) {
            // The caller's pre-loaded pointers are left in place.
            EXPECT_TRUE(std::equal(before.begin() + 84, before.end(), reply.begin() + 84));
        }
    }
}

TEST_F(OrdwellDispatchTest, EnumerationAnswersLandInTheReply)
{
    std::vector<uint8_t> request = Make<KS_CMD_BARE>(11);
    std::vector<uint8_t> reply = Blank(sizeof(KS_CMD_COUNT_REPLY));
    EXPECT_EQ(0u, Run(request, reply));
    EXPECT_EQ(2u, U32(reply, 84));
    EXPECT_EQ(3u, U32(reply, 88));
    request = Make<KS_CMD_DISK_REQUEST>(12);
    reply = Blank(sizeof(KS_CMD_DISK_INFO_REPLY));
    EXPECT_EQ(0u, Run(request, reply));
    EXPECT_EQ(12345u, U32(reply, 84 + offsetof(_KS_DISK_INFO, TotalSectors)));
    request = Make<KS_CMD_PARTITION_REQUEST>(14);
    reply = Blank(sizeof(KS_CMD_PARTITION_INFO_REPLY));
    EXPECT_EQ(0u, Run(request, reply));
    EXPECT_EQ(2048u, U32(reply, 84 + offsetof(_KS_PARTITION_INFO, StartSector)));
}

TEST_F(OrdwellDispatchTest, EngineResultsPassThroughAndTruthValuesBecomeCodes)
{
    const struct {
        uint32_t code;
        unsigned long yes;  // the engine answers 1
        unsigned long no;   // the engine answers 0, or a failure code
    } truths[] = {
        {30, 0, 0x02DB7212},
        {31, 0, 0x02E87FFF},
        {36, 0, 0x030F7212},
        {37, 0, 0x031C7FFF},
    };
    for (DispatchCase& c : Cases()) {
        SCOPED_TRACE("code " + std::to_string(c.code));
        std::vector<uint8_t> reply = c.replyPreload;
        bool isTruth = false;
        for (const auto& t : truths) {
            if (t.code != c.code)
                continue;
            isTruth = true;
            log.answer = 1;
            EXPECT_EQ(t.yes, Run(c.request, reply));
            log.answer = 0;
            EXPECT_EQ(t.no, Run(c.request, reply));
            // An engine's failure is no "yes": a password never counts as accepted by error.
            log.answer = 0x00A5A009;
            EXPECT_EQ(t.no, Run(c.request, reply));
        }
        if (isTruth)
            continue;
        log.answer = 0x1234A5B6;
        EXPECT_EQ(0x1234A5B6u, Run(c.request, reply));
    }
}

TEST_F(OrdwellDispatchTest, BadMagicAndUnknownCodesLeaveTheReplyAlone)
{
    std::vector<uint8_t> reply(128, 0xEE);
    std::vector<uint8_t> request = Make<KS_CMD_BARE>(11);
    request[0] ^= 1;
    EXPECT_EQ(0x00E97206u, Run(request, reply));
    for (uint32_t code : {0u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 35u, 58u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(code);
        request = Make<KS_CMD_BARE>(code);
        EXPECT_EQ(0x01747205u, Run(request, reply));
    }
    EXPECT_EQ(std::vector<uint8_t>(128, 0xEE), reply);
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(OrdwellDispatchTest, TheSizeFieldIsNotExamined)
{
    std::vector<uint8_t> reply;
    for (uint32_t size : {0u, 3u, 84u, 100000u}) {
        std::vector<uint8_t> request = Make<KS_CMD_BARE>(26);
        std::memcpy(request.data() + 4, &size, 4);
        std::memset(request.data() + 14, 0, 2);
        EXPECT_EQ(0u, Run(request, reply));
    }
    EXPECT_EQ(4u, log.calls.size());
}

TEST_F(OrdwellDispatchTest, ACommandThatNeedsAReplyIsRefusedWithoutOne)
{
    for (uint32_t code : {11u, 29u, 42u}) {
        std::vector<uint8_t> request = Make<KS_CMD_BARE>(code);
        std::vector<uint8_t> none;
        EXPECT_EQ(KS_KIND_BAD_ARGUMENT, KSResultKind(Run(request, none))) << code;
    }
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(OrdwellDispatchTest, ReleasingTheExecutorReleasesItsEngines)
{
    executor->Release();
    executor = nullptr;
    EXPECT_EQ((std::vector<std::string>{"Backup.Release", "Restore.Release", "Check.Release"}), log.calls);
}

// Without a display the progress mode runs the stored command where it is.
TEST_F(OrdwellDispatchTest, ProgressModeRunsTheCommandAndReturnsItsResult)
{
    log.answer = 0x4321;
    std::vector<uint8_t> request = Make<KS_CMD_BARE>(40);
    std::vector<uint8_t> reply;
    EXPECT_EQ(0x4321u, Run(request, reply, 1));
    EXPECT_EQ((std::vector<std::string>{"Check.Execute"}), log.calls);
}

} // namespace
