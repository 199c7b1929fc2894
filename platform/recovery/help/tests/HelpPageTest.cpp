// Which page the viewer shows for the topics the console passes, and the plain page
// for any other.
#include "HelpPage.h"

#include <gtest/gtest.h>

TEST(HelpPage, EveryConsoleTopicHasAPage)
{
    struct Case {
        const char* topic;
        const char* title;
    } cases[] = {
        {"MainWindow", "The recovery console"},
        {" MainWindow", "The recovery console"},
        {" BACKUP", "Image sets and this dialog"},
        {"RESTORE", "Restoring from an image set"},
        {"CHECK_IMG_FILE", "Checking an image set"},
        {"CLONE_DISK", "Cloning a disk"},
        {"AboutDlg", "About the console"},
        {"CheckingNewVersionDlg", "Checking for a new version"},
        {"NewVersionDlg", "A new version is available"},
    };
    for (const Case& c : cases) {
        const HelpPage page = LoadHelpPage(RVD_HELP_SOURCE_PAGES, c.topic);
        EXPECT_TRUE(page.known) << c.topic;
        EXPECT_EQ(page.title, c.title) << c.topic;
        EXPECT_GT(page.text.size(), 40u) << c.topic;
    }
}

TEST(HelpPage, OtherTopicsGetThePlainPage)
{
    for (const char* topic : {"UnKnow", "", "   ", "../help/MainWindow", "MainWindow.txt", "/etc/passwd", "restore",
                              "Main Window"}) {
        const HelpPage page = LoadHelpPage(RVD_HELP_SOURCE_PAGES, topic);
        EXPECT_FALSE(page.known) << topic;
        EXPECT_EQ(page.title, "Help") << topic;
        EXPECT_FALSE(page.text.empty()) << topic;
    }
    EXPECT_FALSE(LoadHelpPage("/nonexistent-help-folder", "MainWindow").known);
    EXPECT_EQ(HelpTopicStem(" \tBACKUP "), "BACKUP");
    EXPECT_EQ(HelpTopicStem("../x"), "");
}

// The pages say only what the wizards do: no choice of version is offered, a target
// may be smaller than the volume it receives, the clone offers no choice of layout.
TEST(HelpPage, TheWizardPagesDescribeWhatTheWizardsDo)
{
    struct Case {
        const char* topic;
        const char* phrase;
        bool present;
    } cases[] = {
        {"RESTORE", "Pick the version", false},
        {"RESTORE", "at least as large as the volume", false},
        {"RESTORE", "offers no choice of version", true},
        {"RESTORE", "A target may be smaller than the volume", true},
        {"CLONE_DISK", "Choose whether the partitions keep their sizes", false},
        {"CHECK_IMG_FILE", "names the file in which the first damaged block lies", false},
        {"CHECK_IMG_FILE", "Tick the volumes", true},
    };
    for (const Case& c : cases) {
        const HelpPage page = LoadHelpPage(RVD_HELP_SOURCE_PAGES, c.topic);
        ASSERT_TRUE(page.known) << c.topic;
        EXPECT_EQ(page.text.find(c.phrase) != std::string::npos, c.present) << c.topic << ": " << c.phrase;
    }
}
