#include <gtest/gtest.h>

#include "CMemoryVessmar.h"
#include "CScriptedTasque.h"

namespace {

AddPartitionParam Param(uint64_t first, uint64_t last, bool primary)
{
    AddPartitionParam p{};
    p.FileSystem = FILE_SYSTEM_NTFS;
    p.FirstSector = first;
    p.LastSector = last;
    p.Primary = primary ? 1 : 0;
    return p;
}

struct Tree {
    CMemoryVessmar tree;
    CMemoryDisk* disk;
    Tree()
    {
        disk = tree.AddDisk(1000000);
        MemoryPartitionData fat;
        fat.start = 63;
        fat.count = 100000 - 63;
        fat.hidden = 0;
        fat.type = 0x06;
        fat.fs = FILE_SYSTEM_FAT16;
        disk->Add(fat);
        disk->AddFree(100000, 999999);
    }
};

} // namespace

TEST(MemoryVessmarTest, CreatingCarvesTheFreeStretchAndALogicalPartitionStartsOneTrackIn)
{
    Tree t;
    const AddPartitionParam p = Param(200000, 299999, false);
    IManagerItem* made = t.disk->CreatePartition(&p, 0);
    ASSERT_NE(made, nullptr);
    const auto items = t.disk->Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[1]->IsFree());
    EXPECT_EQ(items[1]->d.start, 100000u);
    EXPECT_EQ(items[1]->d.count, 100000u);
    EXPECT_EQ(items[2]->d.start, 200063u);
    EXPECT_EQ(items[2]->d.hidden, 63u);
    EXPECT_EQ(items[2]->d.count, 100000u - 63);
    EXPECT_TRUE(items[3]->IsFree());
    EXPECT_EQ(items[3]->d.start, 300000u);
    EXPECT_EQ(items[3]->d.Last(), 999999u);
    // Not inside free space: refused.
    const AddPartitionParam over = Param(50000, 150000, true);
    EXPECT_EQ(t.disk->CreatePartition(&over, 0), nullptr);
}

TEST(MemoryVessmarTest, RefreshDropsUnwrittenEditsAndKeepsWrittenOnes)
{
    Tree t;
    const AddPartitionParam p = Param(100000, 199999, true);
    ASSERT_NE(t.disk->CreatePartition(&p, 0), nullptr);
    t.tree.Refresh(0);
    EXPECT_EQ(t.disk->Items().size(), 2u);
    EXPECT_EQ(t.tree.refreshes, 1);

    ASSERT_NE(t.disk->CreatePartition(&p, 0), nullptr);
    ASSERT_EQ(t.disk->Write(), 0u);
    t.disk->FindByStart(100000)->SetActive(true);
    t.tree.Refresh(0);
    ASSERT_NE(t.disk->FindByStart(100000), nullptr);
    EXPECT_FALSE(t.disk->FindByStart(100000)->d.active);
    EXPECT_EQ(t.disk->writes, 1);
}

TEST(MemoryVessmarTest, DeletingMergesTheFreedSlotWithItsFreeNeighbours)
{
    Tree t;
    const AddPartitionParam p = Param(200000, 299999, true);
    IManagerItem* made = t.disk->CreatePartition(&p, 0);
    ASSERT_EQ(t.disk->DeletePartition(made), 0u);
    const auto items = t.disk->Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1]->d.start, 100000u);
    EXPECT_EQ(items[1]->d.Last(), 999999u);
    // The deleted item stays readable for a caller that still holds it.
    EXPECT_EQ(static_cast<CMemoryPartition*>(made)->d.start, 200000u);
}

TEST(ScriptedTasqueTest, PartitionCallsRunOnTheTreeAndAChosenCallFails)
{
    Tree t;
    CScriptedTasque tasque;
    tasque.UseTree(&t.tree);
    tasque.FailCall(TasqueOp::AddPartition, 0x1234, 2);
    EXPECT_EQ(tasque.AddPartition(0, Param(100000, 199999, true)), 0u);
    EXPECT_EQ(tasque.AddPartition(0, Param(300000, 399999, true)), 0x1234u);
    EXPECT_EQ(tasque.AddPartition(0, Param(300000, 399999, true)), 0u);
    IManagerItem* item = nullptr;
    EXPECT_EQ(tasque.FindPartition(0, 100000, 100000, &item), 0u);
    EXPECT_EQ(item, t.disk->FindByStart(100000));
    EXPECT_NE(tasque.FindPartition(0, 100001, 100000, &item), 0u);
    ASSERT_EQ(tasque.CountOf(TasqueOp::AddPartition), 3u);
    EXPECT_EQ(tasque.CallsOf(TasqueOp::AddPartition)[1].result, 0x1234u);
    EXPECT_EQ(uint64_t(tasque.CallsOf(TasqueOp::AddPartition)[1].partition.FirstSector), 300000u);
}

TEST(ScriptedTasqueTest, ProgressTimelineRepeatsItsLastRecord)
{
    CScriptedTasque tasque;
    for (uint32_t percent : {10u, 50u, 100u}) {
        _KS_PROGRESS_INFO p{};
        p.OverallPercent = percent;
        tasque.restoreTimeline.push_back(p);
    }
    std::vector<uint32_t> seen;
    for (int i = 0; i < 5; ++i) {
        _KS_PROGRESS_INFO p{};
        tasque.RestoreGetProgress(&p);
        seen.push_back(p.OverallPercent);
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{10, 50, 100, 100, 100}));
}

namespace {
unsigned long CountingCallback(void* context, unsigned long message, void*)
{
    static_cast<std::vector<unsigned long>*>(context)->push_back(message);
    return message * 10;
}
} // namespace

TEST(ScriptedTasqueTest, RequestsReachTheCallbackFromAWorkerThreadAfterExecute)
{
    CScriptedTasque tasque;
    std::vector<unsigned long> messages;
    tasque.restoreRequests = {ScriptedCallback{1, {}}, ScriptedCallback{3, {}}};
    tasque.RestoreSetCallBack(CountingCallback, &messages);
    EXPECT_TRUE(messages.empty());
    tasque.RestoreExecute();
    tasque.JoinWorker();
    EXPECT_EQ(messages, (std::vector<unsigned long>{1, 3}));
    EXPECT_EQ(tasque.CallbackAnswers(), (std::vector<unsigned long>{10, 30}));
}

TEST(ScriptedTasqueTest, PasswordIsAcceptedOnlyWithItsByteLength)
{
    CScriptedTasque tasque;
    tasque.password = L"secret";
    wchar_t text[] = L"secret";
    EXPECT_EQ(tasque.RestoreSetPassword(text, 6), 0u);
    EXPECT_EQ(tasque.RestoreSetPassword(text, 6 * sizeof(wchar_t)), 1u);
    wchar_t wrong[] = L"secreT";
    EXPECT_EQ(tasque.RestoreSetPassword(wrong, 6 * sizeof(wchar_t)), 0u);
}
