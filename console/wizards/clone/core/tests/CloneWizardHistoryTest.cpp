#include "CloneWizardHistory.h"

#include <gtest/gtest.h>

#include "CloneRecordsBuilder.h"

#include "CCloneDataBase.h"

namespace {

TEST(CloneWizardHistory, ForwardBackAndARefusingPage)
{
    CloneWizardHistory h;
    h.Reset(CLONE_PAGE_SOURCE_SELECT);
    EXPECT_FALSE(h.Back());
    EXPECT_TRUE(h.Forward(CLONE_PAGE_TARGET_SELECT));
    // The destination page refuses: the history stays, one Back still returns.
    EXPECT_FALSE(h.Forward(CLONE_PAGE_NONE));
    EXPECT_EQ(h.Current(), CLONE_PAGE_TARGET_SELECT);
    EXPECT_EQ(h.Depth(), 1u);
    EXPECT_TRUE(h.Forward(CLONE_PAGE_TASK_DESCRIPTION));
    EXPECT_TRUE(h.Back());
    EXPECT_EQ(h.Current(), CLONE_PAGE_TARGET_SELECT);
    EXPECT_TRUE(h.Back());
    EXPECT_EQ(h.Current(), CLONE_PAGE_SOURCE_SELECT);
    EXPECT_TRUE(h.Empty());
}

TEST(CloneWizardHistory, KeysOnEachPage)
{
    struct Row {
        unsigned key;
        CLONE_WIZARD_PAGE page;
        CloneKeyAction action;
    } rows[] = {
        {kCloneKeyReturn, CLONE_PAGE_SOURCE_SELECT, CloneKeyAction::Next},
        {kCloneKeyReturn, CLONE_PAGE_TASK_PROGRESS, CloneKeyAction::Next},
        {kCloneKeyF1, CLONE_PAGE_TASK_DESCRIPTION, CloneKeyAction::Help},
        {kCloneKeyF1, CLONE_PAGE_TASK_PROGRESS, CloneKeyAction::None},
        {'a', CLONE_PAGE_SOURCE_SELECT, CloneKeyAction::None},
        {0xFF1B /* Escape */, CLONE_PAGE_TARGET_SELECT, CloneKeyAction::None},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CloneKeyFor(row.key, row.page), Val(row.action)) << row.key << " on " << row.page;
}

TEST(CCloneDataBase, ListsGiveNullWhenEmptyAndClampTheirIndex)
{
    CCloneDataBase* data = CCloneDataBase::Instance();
    EXPECT_EQ(data, CCloneDataBase::Instance());
    data->ClearSourceParInfo();
    data->ClearRestoreParInfo();
    data->ClearAddPartitionParam();
    EXPECT_EQ(data->GetSourceParInfo(0), nullptr);
    EXPECT_EQ(data->GetRestoreInfo(3), nullptr);
    EXPECT_EQ(data->GetAddPartitionParam(0), nullptr);
    AddPartitionParam a{};
    a.FirstSector = 1;
    data->SetAddPartitionParam(a);
    a.FirstSector = 2;
    data->SetAddPartitionParam(a);
    EXPECT_EQ(data->GetAddParNumber(), 2);
    EXPECT_EQ(Val(data->GetAddPartitionParam(0)->FirstSector), 1u);
    EXPECT_EQ(Val(data->GetAddPartitionParam(9)->FirstSector), 2u);
    data->ClearAddPartitionParam();
    data->SetCloneSourceDisk(2);
    data->SetCloneTargetDisk(3);
    EXPECT_EQ(data->GetCloneSourceDisk(), 2);
    EXPECT_EQ(data->GetCloneTargetDisk(), 3);
}

} // namespace
