// Every operation of the command object, against a recording executor: the record's
// header, its size, and each payload field where the record type puts it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "CTasque.h"
#include "RecordingOrdwell.h"

namespace {

template <class T = void>
T* Fake(uintptr_t n)
{
    return reinterpret_cast<T*>(n * 0x1000 + 0x10);
}

unsigned long FakeCallback(void*, unsigned long, void*) { return 0; }

struct Field {
    size_t offset;
    size_t width;
    uint64_t value;
};

struct SlotCase {
    const char* name;
    uint32_t code;
    uint32_t size;
    std::function<unsigned long(ITasque&)> call;
    std::vector<Field> request;
    bool hasReply;
    std::vector<Field> reply;
};

uint64_t U(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }

const uint64_t kCallback = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&FakeCallback));

std::vector<SlotCase> Cases()
{
    return {
        {"EnumInit", 10, 84, [](ITasque& t) { return t.EnumInit(); }, {}, false, {}},
        {"EnumGetDiskCount", 11, 84, [](ITasque& t) { return t.EnumGetDiskCount(nullptr); }, {},
         true, {}},
        {"EnumGetDiskInfo", 12, 92,
         [](ITasque& t) { return t.EnumGetDiskInfo(0x0102030405060708ull, nullptr); },
         {{84, 4, 0x05060708}, {88, 4, 0x01020304}}, true, {}},
        {"EnumGetPartitionCount", 13, 92, [](ITasque& t) { return t.EnumGetPartitionCount(7, nullptr); },
         {{84, 8, 7}}, true, {}},
        {"EnumGetPartitionInfo", 14, 100, [](ITasque& t) { return t.EnumGetPartitionInfo(5, 0x100000009ull, nullptr); },
         {{84, 8, 5}, {92, 8, 0x100000009ull}}, true, {}},
        {"RestoreSetImgInfo", 21, 100,
         [](ITasque& t) { return t.RestoreSetImgInfo(Fake<_KS_VERSION>(1), Fake<wchar_t>(2)); },
         {{84, 8, U(Fake(1))}, {92, 8, U(Fake(2))}}, false, {}},
        {"RestoreGetImageVersions", 22, 96,
         [](ITasque& t) {
             return t.RestoreGetImageVersions(Fake<_KS_VERSION>(1), 16, Fake<unsigned long>(3), Fake<wchar_t>(4));
         },
         {{84, 4, 16}, {88, 8, U(Fake(4))}}, true, {{84, 8, U(Fake(1))}, {92, 8, U(Fake(3))}}},
        {"RestoreGetImgVolumes", 23, 96,
         [](ITasque& t) {
             return t.RestoreGetImgVolumes(Fake<_KS_VOLUME>(1), 4, Fake<unsigned long>(3), Fake<_KS_VERSION>(4));
         },
         {{84, 4, 4}, {88, 8, U(Fake(4))}}, true, {{84, 8, U(Fake(1))}, {92, 8, U(Fake(3))}}},
        {"RestoreGetVerComment", 24, 96,
         [](ITasque& t) {
             return t.RestoreGetVerComment(Fake<wchar_t>(1), 4096, Fake<unsigned long>(3), Fake<_KS_VERSION>(4));
         },
         {{84, 4, 4096}, {88, 8, U(Fake(4))}}, true, {{84, 8, U(Fake(1))}, {92, 8, U(Fake(3))}}},
        {"RestoreSetStringParam", 55, 92, [](ITasque& t) { return t.RestoreSetStringParam(Fake<wchar_t>(5)); },
         {{84, 8, U(Fake(5))}}, false, {}},
        {"RestoreExecute", 26, 84, [](ITasque& t) { return t.RestoreExecute(); }, {}, false, {}},
        {"RestoreSetCallBack", 28, 100, [](ITasque& t) { return t.RestoreSetCallBack(&FakeCallback, Fake(6)); },
         {{84, 8, kCallback}, {92, 8, U(Fake(6))}}, false, {}},
        {"RestoreGetProgress", 29, 84, [](ITasque& t) { return t.RestoreGetProgress(Fake<_KS_PROGRESS_INFO>(7)); },
         {}, true, {{84, 8, U(Fake(7))}}},
        {"RestoreUserCancel", 27, 84, [](ITasque& t) { return t.RestoreUserCancel(); }, {}, false, {}},
        {"RestoreIsPwdProtect", 30, 92, [](ITasque& t) { return t.RestoreIsPwdProtect(Fake<wchar_t>(8)); },
         {{84, 8, U(Fake(8))}}, false, {}},
        {"RestoreSetPassword", 31, 96, [](ITasque& t) { return t.RestoreSetPassword(Fake<wchar_t>(9), 24); },
         {{84, 8, U(Fake(9))}, {92, 4, 24}}, false, {}},
        {"RestoreSetDiskMode", 54, 88, [](ITasque& t) { return t.RestoreSetDiskMode(1); }, {{84, 4, 1}}, false, {}},
        {"CheckIsPwdProtect", 36, 92, [](ITasque& t) { return t.CheckIsPwdProtect(Fake<wchar_t>(8)); },
         {{84, 8, U(Fake(8))}}, false, {}},
        // The length in bytes travels unchanged: "secret" is 6 x sizeof(wchar_t) bytes.
        {"CheckSetPassword", 37, 96, [](ITasque& t) { return t.CheckSetPassword(Fake<wchar_t>(9), 24); },
         {{84, 8, U(Fake(9))}, {92, 4, 24}}, false, {}},
        {"CheckSetImgInfo", 38, 100, [](ITasque& t) { return t.CheckSetImgInfo(nullptr, Fake<wchar_t>(2)); },
         {{84, 8, 0}, {92, 8, U(Fake(2))}}, false, {}},
        {"CheckGetImageVersions", 32, 96,
         [](ITasque& t) { return t.CheckGetImageVersions(nullptr, 0, Fake<int>(3), Fake<wchar_t>(4)); },
         {{84, 4, 0}, {88, 8, U(Fake(4))}}, true, {{84, 8, 0}, {92, 8, U(Fake(3))}}},
        {"CheckGetImgVolumes", 33, 96,
         [](ITasque& t) { return t.CheckGetImgVolumes(Fake<_KS_VOLUME>(1), 2, Fake<int>(3), Fake<_KS_VERSION>(4)); },
         {{84, 4, 2}, {88, 8, U(Fake(4))}}, true, {{84, 8, U(Fake(1))}, {92, 8, U(Fake(3))}}},
        {"CheckGetVerComment", 34, 96,
         [](ITasque& t) { return t.CheckGetVerComment(Fake<wchar_t>(1), 4096, Fake<int>(3), Fake<_KS_VERSION>(4)); },
         {{84, 4, 4096}, {88, 8, U(Fake(4))}}, true, {{84, 8, U(Fake(1))}, {92, 8, U(Fake(3))}}},
        {"AddCheck", 39, 100, [](ITasque& t) { return t.AddCheck(Fake<_KS_VOLUME>(11)); },
         {{84, 8, U(Fake(11))}, {92, 8, 0}}, false, {}},
        {"CheckExecute", 40, 84, [](ITasque& t) { return t.CheckExecute(); }, {}, false, {}},
        {"CheckSetPromptCall", 41, 100, [](ITasque& t) { return t.CheckSetPromptCall(&FakeCallback, nullptr); },
         {{84, 8, kCallback}, {92, 8, 0}}, false, {}},
        {"CheckGetProgress", 42, 84, [](ITasque& t) { return t.CheckGetProgress(Fake<_KS_PROGRESS_INFO>(7)); }, {},
         true, {{84, 8, U(Fake(7))}}},
        {"CheckUserCancel", 43, 84, [](ITasque& t) { return t.CheckUserCancel(); }, {}, false, {}},
        {"DeletePartition", 49, 108, [](ITasque& t) { return t.DeletePartition(3, 0x100000002ull, ~0ull); },
         {{84, 4, 3}, {88, 4, 0}, {92, 4, 2}, {96, 4, 1}, {100, 8, ~0ull}}, false, {}},
        {"IsBadDisk", 56, 108, [](ITasque& t) { return t.IsBadDisk(255, 10, 20); },
         {{84, 8, 255}, {92, 8, 10}, {100, 8, 20}}, false, {}},
        {"FindPartition", 51, 108,
         [](ITasque& t) { return t.FindPartition(2, 100, 200, Fake<IManagerItem*>(12)); },
         {{84, 8, 2}, {92, 8, 100}, {100, 8, 200}}, true, {{84, 8, U(Fake(12))}}},
        {"GetDiskItem", 52, 108, [](ITasque& t) { return t.GetDiskItem(6, Fake<IManagerItem*>(12)); },
         {{84, 8, 6}, {92, 8, 0}, {100, 8, 0}}, true, {{84, 8, U(Fake(12))}}},
        {"CheckFileSystem", 53, 100, [](ITasque& t) { return t.CheckFileSystem(0, 2048, 0, 0); },
         {{84, 4, 0}, {88, 4, 2048}, {92, 4, 0}, {96, 4, 0}}, false, {}},
    };
}

class TasqueTableTest : public ::testing::Test {
protected:
    RecordingOrdwell& Executor() { return *executor; }

    // Declared before the object, so that it outlives the object that releases it.
    std::unique_ptr<RecordingOrdwell> executor = std::make_unique<RecordingOrdwell>();
    DriveThreeCensa censa;
    CTasque tasque{executor.get(), &censa};
};

TEST_F(TasqueTableTest, EachOperationSendsItsRecord)
{
    for (const SlotCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        Executor().commands.clear();
        Executor().result = 0;
        c.call(tasque);
        ASSERT_EQ(1u, Executor().commands.size());
        const RecordedCommand& sent = Executor().commands[0];
        EXPECT_EQ(KS_CMD_MAGIC, ReadAt(sent.request, 0, 4));
        EXPECT_EQ(c.size, ReadAt(sent.request, 4, 4));
        EXPECT_EQ(c.size, sent.request.size());
        EXPECT_EQ(c.code, ReadAt(sent.request, 8, 4));
        EXPECT_EQ(0u, ReadAt(sent.request, 12, 2));
        EXPECT_EQ(84u, ReadAt(sent.request, 14, 2));
        for (size_t i = 16; i < 84; ++i)
            EXPECT_EQ(0u, sent.request[i]) << "reserved byte " << i;
        EXPECT_EQ(0, sent.withProgress);
        EXPECT_EQ(c.hasReply, sent.hadHolder);
        for (const Field& f : c.request)
            EXPECT_EQ(f.value, ReadAt(sent.request, f.offset, f.width)) << "request +" << f.offset;
        for (const Field& f : c.reply)
            EXPECT_EQ(f.value, ReadAt(sent.reply, f.offset, f.width)) << "reply +" << f.offset;
        if (c.hasReply) {
            EXPECT_EQ(0u, ReadAt(sent.reply, 0, 8)) << "the reply's header is the executor's to fill";
        }
    }
}

TEST_F(TasqueTableTest, ResultsPassThroughExceptTheTruthSlots)
{
    for (const SlotCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const bool truth = c.code == 30 || c.code == 31 || c.code == 36 || c.code == 37;
        Executor().result = 0;
        EXPECT_EQ(truth ? 1u : 0u, c.call(tasque));
        Executor().result = 0x00E97206;
        EXPECT_EQ(truth ? 0u : 0x00E97206u, c.call(tasque));
    }
}

TEST_F(TasqueTableTest, AddPartitionCopiesTheRecordByValue)
{
    AddPartitionParam record{};
    for (size_t i = 0; i < sizeof record; ++i)
        reinterpret_cast<uint8_t*>(&record)[i] = static_cast<uint8_t>(i * 7 + 1);
    tasque.AddPartition(1, record);
    ASSERT_EQ(1u, Executor().commands.size());
    const std::vector<uint8_t>& sent = Executor().commands[0].request;
    EXPECT_EQ(48u, ReadAt(sent, 8, 4));
    ASSERT_EQ(92 + sizeof record, sent.size());
    EXPECT_EQ(92 + sizeof record, ReadAt(sent, 4, 4));
    EXPECT_EQ(1u, ReadAt(sent, 84, 8));
    EXPECT_EQ(0, std::memcmp(sent.data() + 92, &record, sizeof record));
}

TEST_F(TasqueTableTest, CountsAndRecordsAreCopiedOutOfTheReply)
{
    Executor().onExecute = [](_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder) {
        uint8_t* reply = reinterpret_cast<uint8_t*>(*holder);
        if (packet->Code == 11 || packet->Code == 13) {
            const uint64_t count = packet->Code == 11 ? 0x500000003ull : 9;
            std::memcpy(reply + 84, &count, 8);
        } else if (packet->Code == 12) {
            std::memset(reply + 84, 0xAB, sizeof(_KS_DISK_INFO));
        } else if (packet->Code == 14) {
            std::memset(reply + 84, 0xCD, sizeof(_KS_PARTITION_INFO));
        }
    };
    unsigned long long count = 0;
    EXPECT_EQ(0u, tasque.EnumGetDiskCount(&count));
    EXPECT_EQ(0x500000003ull, count);
    EXPECT_EQ(0u, tasque.EnumGetPartitionCount(0, &count));
    EXPECT_EQ(9u, count);
    std::vector<uint8_t> disk(sizeof(_KS_DISK_INFO) + 8, 0x11);
    tasque.EnumGetDiskInfo(0, reinterpret_cast<_KS_DISK_INFO*>(disk.data()));
    EXPECT_EQ(std::vector<uint8_t>(sizeof(_KS_DISK_INFO), 0xAB),
              std::vector<uint8_t>(disk.begin(), disk.begin() + sizeof(_KS_DISK_INFO)));
    EXPECT_EQ(0x11, disk[sizeof(_KS_DISK_INFO)]) << "no byte past the record";
    std::vector<uint8_t> part(sizeof(_KS_PARTITION_INFO) + 8, 0x11);
    tasque.EnumGetPartitionInfo(0, 0, reinterpret_cast<_KS_PARTITION_INFO*>(part.data()));
    EXPECT_EQ(0xCD, part[0]);
    EXPECT_EQ(0xCD, part[sizeof(_KS_PARTITION_INFO) - 1]);
    EXPECT_EQ(0x11, part[sizeof(_KS_PARTITION_INFO)]);
}

TEST_F(TasqueTableTest, DiskInfoIsCopiedEvenWhenTheExecutorFails)
{
    Executor().result = 0x04107201;
    _KS_DISK_INFO info;
    std::memset(&info, 0x5A, sizeof info);
    EXPECT_EQ(0x04107201u, tasque.EnumGetDiskInfo(0, &info));
    const std::vector<uint8_t> zeros(sizeof info, 0);
    EXPECT_EQ(0, std::memcmp(zeros.data(), &info, sizeof info));
}

TEST(TasqueLifetime, ReleasingTheObjectReleasesItsExecutor)
{
    RecordingOrdwell* executor = new RecordingOrdwell;
    int* releases = &executor->releases;
    ITasque* tasque = new CTasque(executor, nullptr);
    EXPECT_EQ(0u, tasque->Release());
    EXPECT_EQ(1, *releases);
    delete executor;
}

} // namespace
