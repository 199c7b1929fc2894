#include <gtest/gtest.h>

#include "CImagePartitionLogic.h"
#include "CRecordingWizard.h"
#include "RestorePagePosition.h"

namespace {

_KS_VOLUME Volume(uint8_t flags, uint64_t total, uint64_t used)
{
    _KS_VOLUME v{};
    v.Flags = flags;
    v.TotalSectors = total;
    v.UsedSectors = used;
    return v;
}

} // namespace

TEST(ImagePartitionLogicTest, TheBoxFollowsWhatIsTicked)
{
    const _KS_VOLUME plain = Volume(0, 1000, 100);
    const _KS_VOLUME noReader = Volume(KS_VOLFLAG_NO_FS_READER, 1000, 100);
    const _KS_VOLUME fullAllSectors = Volume(KS_VOLFLAG_ALL_SECTORS, 1000, 981); // 981 + 19 = 1000: not over
    const _KS_VOLUME overAllSectors = Volume(KS_VOLFLAG_ALL_SECTORS, 1000, 982); // 982 + 19 > 1000
    const _KS_VOLUME overPlain = Volume(0, 1000, 990);
    struct Case {
        const char* name;
        std::vector<const _KS_VOLUME*> checked;
        SectorBoxState before;
        bool ticked, sensitive, next;
    };
    const Case cases[] = {
        {"nothing", {}, {true, false}, true, true, false},
        {"one plain partition", {&plain}, {true, false}, false, true, true},
        {"no file-system reader", {&noReader}, {false, true}, true, false, true},
        {"all sectors, 2 % room", {&fullAllSectors}, {true, false}, false, true, true},
        {"all sectors, nearly full", {&overAllSectors}, {false, true}, true, false, true},
        {"nearly full without the flag", {&overPlain}, {false, true}, false, true, true},
        {"boot track only", {nullptr}, {true, true}, false, false, true},
        {"whole disk", {&plain, &noReader, nullptr}, {true, true}, false, false, true},
        {"two partitions keep the box", {&plain, &noReader}, {true, false}, true, false, true},
    };
    for (const Case& c : cases) {
        CRecordingWizard wizard;
        CImagePartitionLogic logic(wizard);
        logic.InitPage({});
        logic.SetBoxTicked(c.before.ticked);
        // The box's sensitivity before the change, set through a change that leaves it so.
        if (!c.before.sensitive)
            logic.RowChanged({&noReader}, 1);
        logic.SetBoxTicked(c.before.ticked);
        logic.RowChanged(c.checked, int(c.checked.size()));
        EXPECT_EQ(logic.Box().ticked, c.ticked) << c.name;
        EXPECT_EQ(logic.Box().sensitive, c.sensitive) << c.name;
        EXPECT_EQ(wizard.nextEnabled, c.next) << c.name;
        EXPECT_EQ(wizard.info.volumes.size(), c.checked.size()) << c.name;
    }
}

TEST(ImagePartitionLogicTest, NextLeadsByTheLastEntry)
{
    const _KS_VOLUME a = Volume(0, 1000, 100), b = Volume(0, 2000, 100);
    struct Case {
        const char* name;
        std::vector<const _KS_VOLUME*> checked;
        bool box;
        int page;
        uint32_t disk, mbr, sbs;
    };
    const Case cases[] = {
        {"partition", {&a}, true, RESTORE_PAGE_TARGET_PARTITION, 0, 0, 1},
        {"boot track only", {nullptr}, false, RESTORE_PAGE_TARGET_DISK, 0, 1, 0},
        {"whole disk", {&a, &b, nullptr}, false, RESTORE_PAGE_TARGET_DISK, 1, 0, 0},
    };
    for (const Case& c : cases) {
        CRecordingWizard wizard;
        wizard.currentPage = RESTORE_PAGE_IMAGE_PARTITION;
        CImagePartitionLogic logic(wizard);
        logic.InitPage({});
        logic.RowChanged(c.checked, int(c.checked.size()));
        logic.SetBoxTicked(c.box);
        logic.OnNextClicked(c.checked, 2);
        EXPECT_EQ(wizard.currentPage, c.page) << c.name;
        EXPECT_EQ(wizard.info.bDiskRestore, c.disk) << c.name;
        EXPECT_EQ(wizard.info.bMbrOnly, c.mbr) << c.name;
        EXPECT_EQ(wizard.info.bSectorBySector, c.sbs) << c.name;
        EXPECT_EQ(wizard.info.nSourceDisk, 2u) << c.name;
        EXPECT_EQ(wizard.info.nLastPage, uint32_t(RESTORE_PAGE_IMAGE_PARTITION)) << c.name;
    }
}

TEST(ImagePartitionLogicTest, NothingTickedStaysAndBackEmptiesTheChoice)
{
    const _KS_VOLUME a = Volume(0, 1000, 100);
    CRecordingWizard wizard;
    wizard.currentPage = RESTORE_PAGE_IMAGE_PARTITION;
    CImagePartitionLogic logic(wizard);
    logic.InitPage({});
    logic.RowChanged({&a}, 1);
    logic.RowChanged({}, 1);
    EXPECT_FALSE(wizard.nextEnabled);
    logic.OnNextClicked({}, 0);
    EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_IMAGE_PARTITION);
    logic.RowChanged({&a}, 1);
    logic.OnBackClicked();
    EXPECT_TRUE(wizard.info.volumes.empty());
    EXPECT_TRUE(wizard.nextEnabled);
    EXPECT_EQ(wizard.currentPage, RESTORE_PAGE_IMAGE);
}
