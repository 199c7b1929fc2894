#include <gtest/gtest.h>

#include "CMemoryVessmar.h"
#include "CRecordingMessages.h"
#include "CRecordingWizard.h"
#include "CRestoreModeLogic.h"
#include "CScriptedTasque.h"
#include "RestorePagePosition.h"

namespace {

constexpr uint64_t kCyl = 16065;

_KS_VOLUME NtfsVolume()
{
    _KS_VOLUME v{};
    v.FileSystem = KS_FS_NTFS;
    v.PartitionType = 0x07;
    v.SectorsPerCluster = 8;
    v.TotalSectors = 100000;
    v.UsedSectors = 50000;
    v.HiddenPlusTotal = 100063;
    v.StartLessHidden = 0;
    v.PartitionStartLow = 63;
    v.PartitionStart = 63;
    v.SectorsPerTrack = 63;
    return v;
}

// A 2,000,000-sector disk, unallocated from sector 63, chosen as the target.
class RestoreModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        disk = tree.AddDisk(2000000);
        free = disk->AddFree(63, 1999999);
        tasque.UseTree(&tree);
        wizard.info.pTasque = &tasque;
        wizard.info.nTargetDisk = 0;
        wizard.info.nLastPage = RESTORE_PAGE_TARGET_PARTITION;
        wizard.info.pTargetItem = free;
        wizard.info.targetPartition.StartSector = 63;
        wizard.info.targetPartition.SectorCount = 2000000 - 63;
        wizard.info.targetPartition.PartitionType = 0;
        wizard.info.selectedTarget.FirstSector = 63;
        wizard.info.selectedTarget.LastSector = 1999999;
        volume = NtfsVolume();
        wizard.info.SetVolumes({&volume});
        wizard.currentPage = RESTORE_PAGE_RESTORE_MODE;
    }
    void Use(const _KS_VOLUME& v) { wizard.info.SetVolumes({&v}); }

    CMemoryVessmar tree;
    CMemoryDisk* disk = nullptr;
    CMemoryPartition* free = nullptr;
    CScriptedTasque tasque;
    CRecordingWizard wizard;
    CRecordingMessages messages;
    CRestoreModeLogic logic{wizard, messages};
    _KS_VOLUME volume{};
};

} // namespace

TEST(RestoreModeDecideTest, KindsFollowTheDisksAnswerAndTheRoom)
{
    const _KS_VOLUME v = NtfsVolume();
    RestoreModeTarget base;
    base.available = 1000000;
    base.firstSector = 2000000;
    base.roomForLogical = true;
    struct Case {
        const char* name;
        unsigned long flags;
        bool room, primary, active;
        uint64_t available;
        bool a, p, l;
        RestoreKind selected;
    };
    const unsigned long P = CHECK_ITEM_PRIMARY_POSSIBLE, L = CHECK_ITEM_LOGICAL_POSSIBLE, S = CHECK_ITEM_SPACE_TEST;
    const Case cases[] = {
        {"logical only", L, true, false, false, 1000000, false, false, true, RestoreKind::Logical},
        {"nothing possible: unchanged", 0, true, false, false, 1000000, true, true, true, RestoreKind::Primary},
        {"primary only, active target", P, true, true, true, 1000000, true, true, false, RestoreKind::Active},
        {"primary only", P, true, true, false, 1000000, true, true, false, RestoreKind::Primary},
        {"both, own kind logical", P | L, true, false, false, 1000000, true, true, true, RestoreKind::Logical},
        {"both without room for logical", P | L, false, false, false, 1000000, true, true, false, RestoreKind::Primary},
        {"space test passes", P | L | S, true, true, false, 1000000, true, true, true, RestoreKind::Primary},
        {"space test fails", P | L | S, true, true, false, 50000 + 10, true, true, false, RestoreKind::Primary},
    };
    for (const Case& c : cases) {
        RestoreModeTarget t = base;
        t.checkFlags = c.flags;
        t.roomForLogical = c.room;
        t.primary = c.primary;
        t.active = c.active;
        t.available = c.available;
        RestoreModeChoices current;
        current.selected = RestoreKind::Primary;
        const RestoreModeChoices got = CRestoreModeLogic::Decide(t, v, false, current);
        EXPECT_EQ(got.activeSensitive, c.a) << c.name;
        EXPECT_EQ(got.primarySensitive, c.p) << c.name;
        EXPECT_EQ(got.logicalSensitive, c.l) << c.name;
        EXPECT_EQ(got.selected, c.selected) << c.name;
    }
}

TEST(RestoreModeDecideTest, SectorBySectorOfAFarPrimaryForbidsLogicalAndNextWhenItWasChosen)
{
    _KS_VOLUME v = NtfsVolume();
    v.Flags = KS_VOLFLAG_PRIMARY;
    v.PartitionStart = 3 * kCyl;
    RestoreModeTarget t;
    t.checkFlags = CHECK_ITEM_LOGICAL_POSSIBLE;
    t.roomForLogical = true;
    t.primary = false;
    t.firstSector = 10 * kCyl;
    t.available = v.TotalSectors + kCyl;
    const RestoreModeChoices got = CRestoreModeLogic::Decide(t, v, true, RestoreModeChoices{});
    EXPECT_FALSE(got.logicalSensitive);
    EXPECT_EQ(got.selected, RestoreKind::Logical);
    EXPECT_FALSE(got.nextEnabled);
    // With one more sector of room it may stay logical.
    t.available += 1;
    EXPECT_TRUE(CRestoreModeLogic::Decide(t, v, true, RestoreModeChoices{}).logicalSensitive);
}

TEST(RestoreModeDecideTest, RoomForALogicalPartitionIsTwoAndAHalfMegabytesAfterTheTable)
{
    EXPECT_TRUE(CRestoreModeLogic::RoomForLogical(5245, 0, 0, false, kCyl));
    EXPECT_FALSE(CRestoreModeLogic::RoomForLogical(5244, 0, 0, false, kCyl));
    EXPECT_TRUE(CRestoreModeLogic::RoomForLogical(5000, 200, 45, false, kCyl));
    // A first logical partition pays a cylinder and 0.1 MB for its table.
    EXPECT_FALSE(CRestoreModeLogic::RoomForLogical(5245 + kCyl, 0, 0, true, kCyl));
    EXPECT_TRUE(CRestoreModeLogic::RoomForLogical(5245 + kCyl + 205, 0, 0, true, kCyl));
}

TEST_F(RestoreModeTest, InitPageActsOnlyWhenReachedFromTheTargetPartitionPage)
{
    disk->checkFlags = CHECK_ITEM_PRIMARY_POSSIBLE;
    RestoreModeChoices choices;
    choices.selected = RestoreKind::Logical;
    wizard.info.nLastPage = RESTORE_PAGE_EDIT_PARTITION;
    EXPECT_FALSE(logic.InitPage(choices));
    EXPECT_EQ(choices.selected, RestoreKind::Logical);
    wizard.info.nLastPage = RESTORE_PAGE_TARGET_PARTITION;
    EXPECT_TRUE(logic.InitPage(choices));
    EXPECT_EQ(choices.selected, RestoreKind::Primary);
    EXPECT_FALSE(choices.logicalSensitive);
}

TEST_F(RestoreModeTest, AFatPartitionIsPlannedAtItsVolumesOwnSize)
{
    volume.FileSystem = KS_FS_FAT32;
    volume.PartitionType = 0x0C;
    volume.StartLessHidden = 2048;
    Use(volume);
    logic.OnNextClicked(RestoreKind::Primary);
    ASSERT_EQ(tasque.CountOf(TasqueOp::AddPartition), 1u);
    const AddPartitionParam p = tasque.CallsOf(TasqueOp::AddPartition)[0].partition;
    EXPECT_EQ(uint64_t(p.FirstSector), 2048u);
    EXPECT_EQ(uint64_t(p.LastSector), 2048u + 100063 - 1);
}

TEST_F(RestoreModeTest, APrimaryRestoreOfAnImageThatBeganAt2048StartsAt2048)
{
    volume.StartLessHidden = 2048;
    Use(volume);
    logic.OnNextClicked(RestoreKind::Primary);
    ASSERT_EQ(tasque.CountOf(TasqueOp::AddPartition), 1u);
    const AddPartitionParam p = tasque.CallsOf(TasqueOp::AddPartition)[0].partition;
    EXPECT_EQ(uint64_t(p.FirstSector), 2048u);
    // The NTFS partition also holds the sector after the volume, where the copy of its
    // boot sector lies.
    EXPECT_EQ(uint64_t(p.LastSector), 2048u + 100063);
    EXPECT_EQ(p.Primary, 1);
    CMemoryPartition* made = disk->FindByStart(2048);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(wizard.info.pTargetItem, static_cast<IManagerItem*>(made));
    EXPECT_EQ(wizard.info.llNewPartitionStart, 2048);
    EXPECT_EQ(wizard.info.llNewPartitionSectors, 100064);
    EXPECT_EQ(made->d.used, 50000u);
    EXPECT_EQ(made->usedSource, USED_SECTORS_FROM_CALLER);
    EXPECT_FALSE(made->d.active);
    EXPECT_EQ(wizard.info.nLastPage, uint32_t(RESTORE_PAGE_RESTORE_MODE));
    EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_EDIT_PARTITION);
}

TEST_F(RestoreModeTest, ALogicalPartitionNeverStartsBelowOneCylinderAndItsEntryStartsOneTrackIn)
{
    logic.OnNextClicked(RestoreKind::Logical);
    const AddPartitionParam p = tasque.CallsOf(TasqueOp::AddPartition)[0].partition;
    EXPECT_EQ(uint64_t(p.FirstSector), kCyl);
    EXPECT_EQ(p.Primary, 0);
    const auto find = tasque.CallsOf(TasqueOp::FindPartition);
    ASSERT_EQ(find.size(), 1u);
    EXPECT_EQ(find[0].numbers[1], kCyl + 63);
    ASSERT_NE(disk->FindByStart(kCyl + 63), nullptr);
    EXPECT_EQ(wizard.info.bMakeActive, 0u);
    EXPECT_EQ(wizard.info.bMakePrimary, 0u);
}

TEST_F(RestoreModeTest, AnActiveRestoreOfAnotherFileSystemCarriesItsTypeIdAndTheActiveFlag)
{
    volume.FileSystem = KS_FS_OTHER;
    volume.PartitionType = 0x83;
    Use(volume);
    logic.OnNextClicked(RestoreKind::Active);
    ASSERT_EQ(logic.UpDate(), -1) << "the space is taken now: a second layout is refused";
    CMemoryPartition* made = static_cast<CMemoryPartition*>(wizard.info.pTargetItem);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->d.type, 0x83u);
    EXPECT_TRUE(made->d.active);
}

TEST_F(RestoreModeTest, RefusedLayoutsRetryOneTrackEarlierThenTwoTracksLater)
{
    disk->refuseCreates = 2;
    logic.OnNextClicked(RestoreKind::Primary);
    const auto adds = tasque.CallsOf(TasqueOp::AddPartition);
    ASSERT_EQ(adds.size(), 3u);
    const uint64_t s0 = adds[0].partition.FirstSector, e0 = adds[0].partition.LastSector;
    EXPECT_EQ(s0, 63u);
    EXPECT_EQ(uint64_t(adds[1].partition.FirstSector), s0 - 63);
    EXPECT_EQ(uint64_t(adds[1].partition.LastSector), e0 - 63);
    EXPECT_EQ(uint64_t(adds[2].partition.FirstSector), s0 - 63 + 126);
    EXPECT_EQ(uint64_t(adds[2].partition.LastSector), e0 - 63 + 126);
    EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_EDIT_PARTITION);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RestoreModeTest, ThreeRefusalsEndTheWizardWithItsMessage)
{
    disk->refuseCreates = 3;
    logic.OnNextClicked(RestoreKind::Primary);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_EQ(messages.shown[0].icon, 3);
    EXPECT_EQ(messages.shown[0].text, "Some error happened! Please restart the restore wizard!");
    EXPECT_TRUE(wizard.destroyed);
    EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_RESTORE_MODE);
    EXPECT_EQ(tasque.CountOf(TasqueOp::FindPartition), 0u);
}

TEST_F(RestoreModeTest, AnExistingPartitionIsDeletedFirstAndMissingPiecesStay)
{
    // Replace the free space by an existing NTFS partition as the target.
    CMemoryVessmar other;
    CMemoryDisk* d = other.AddDisk(2000000);
    MemoryPartitionData old;
    old.start = 63;
    old.count = 400000 - 63;
    old.type = 0x07;
    old.fs = FILE_SYSTEM_NTFS;
    CMemoryPartition* target = d->Add(old);
    d->AddFree(400000, 1999999);
    tasque.UseTree(&other);
    wizard.info.pTargetItem = target;
    wizard.info.targetPartition.StartSector = 63;
    wizard.info.targetPartition.SectorCount = 400000 - 63;
    wizard.info.targetPartition.PartitionType = 0x07;
    wizard.info.selectedTarget.FirstSector = 63;
    wizard.info.selectedTarget.LastSector = 399999;
    logic.OnNextClicked(RestoreKind::Primary);
    const auto deletes = tasque.CallsOf(TasqueOp::DeletePartition);
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].numbers, (std::vector<unsigned long long>{0, 63, 400000 - 63}));
    EXPECT_EQ(d->deletedEntries.size(), 1u);
    ASSERT_NE(d->FindByStart(63), nullptr);
    EXPECT_EQ(d->FindByStart(63)->d.count, 100064u) << "the volume and its boot sector's copy";

    // Without a target item, a volume or the disk, the page stays silently.
    wizard.info.pTargetItem = nullptr;
    EXPECT_EQ(logic.UpDate(), -1);
    EXPECT_TRUE(messages.shown.empty());
}
