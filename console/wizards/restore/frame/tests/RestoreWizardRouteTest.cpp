#include <gtest/gtest.h>

#include <string>

#include "RestorePagePosition.h"
#include "RestoreWizardRoute.h"

TEST(RestoreWizardRouteTest, HeadTextsFollowThePageOrder)
{
    EXPECT_STREQ(RestoreWizardRoute::Head(RESTORE_PAGE_IMAGE).title, "Backup image selection");
    EXPECT_STREQ(RestoreWizardRoute::Head(RESTORE_PAGE_TARGET_PARTITION).subtitle,
                 "Select a target partition or unallocated space for the restore.");
    EXPECT_STREQ(RestoreWizardRoute::Head(RESTORE_PAGE_DRIVE_LETTER).title, "Logic drive letter");
    EXPECT_STREQ(RestoreWizardRoute::Head(RESTORE_PAGE_TARGET_DISK).title, "Disk selection");
    for (int position : {int(RESTORE_PAGE_SUMMARY), int(RESTORE_PAGE_PROGRESS), -1, 9}) {
        EXPECT_STREQ(RestoreWizardRoute::Head(position).title, "");
        EXPECT_STREQ(RestoreWizardRoute::Head(position).subtitle, "");
    }
}

TEST(RestoreWizardRouteTest, EditPageRebuildsAndHelpKey)
{
    for (int position = 0; position < RESTORE_PAGE_COUNT; ++position) {
        EXPECT_EQ(RestoreWizardRoute::RebuildsEditOnBack(position), position == RESTORE_PAGE_DRIVE_LETTER);
        EXPECT_EQ(RestoreWizardRoute::RebuildsEditOnNext(position, true), position == RESTORE_PAGE_RESTORE_MODE);
        EXPECT_FALSE(RestoreWizardRoute::RebuildsEditOnNext(position, false));
        EXPECT_EQ(RestoreWizardRoute::HelpKeyAllowed(position), position != RESTORE_PAGE_PROGRESS);
    }
}
