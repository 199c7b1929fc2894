#include "COperationLauncher.h"
#include "RecordingOperationDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OperationLauncher, EveryStartScansFirstThenRunsItsWizardOverTheSameParent)
{
    struct Case {
        void (COperationLauncher::*start)(GtkWidget*);
        const char* wizard;
    };
    const Case cases[] = {
        {&COperationLauncher::StartRestore, "restore"},
        {&COperationLauncher::StartClone, "clone"},
        {&COperationLauncher::StartCheckImage, "check"},
    };
    GtkWidget* parent = reinterpret_cast<GtkWidget*>(0x1234);
    for (const Case& c : cases) {
        RecordingOperationDialogs dialogs;
        COperationLauncher launcher(&dialogs);
        (launcher.*c.start)(parent);
        EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"scan", c.wizard}));
        EXPECT_EQ(dialogs.parents, (std::vector<GtkWidget*>{parent, parent}));
    }
}

TEST(OperationLauncher, OpeningTheCheckImageWizardDirectlyRunsNoScan)
{
    RecordingOperationDialogs dialogs;
    COperationLauncher launcher(&dialogs);
    GtkWidget* parent = reinterpret_cast<GtkWidget*>(0x4321);
    launcher.OpenCheckImageWizard(parent);
    EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"check"}));
    EXPECT_EQ(dialogs.parents, (std::vector<GtkWidget*>{parent}));
}

TEST(OperationLauncher, ReplacedDialogsAreUsedUntilNullRestoresTheOwnOnes)
{
    RecordingOperationDialogs own;
    RecordingOperationDialogs replacement;
    COperationLauncher launcher(&own);
    launcher.UseDialogs(&replacement);
    launcher.StartRestore(nullptr);
    launcher.UseDialogs(nullptr);
    launcher.StartClone(nullptr);
    EXPECT_EQ(replacement.steps, (std::vector<std::string>{"scan", "restore"}));
    EXPECT_EQ(own.steps, (std::vector<std::string>{"scan", "clone"}));
}

} // namespace
