#include "COperationLauncher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingDialogs : public IOperationDialogs {
public:
    void RunDeviceScan(GtkWidget* parent) override { Note("scan", parent); }
    void RunRestoreWizard(GtkWidget* parent) override { Note("restore", parent); }
    void RunCheckImageWizard(GtkWidget* parent) override { Note("check", parent); }
    void RunCloneWizard(GtkWidget* parent) override { Note("clone", parent); }

    std::vector<std::string> steps;
    std::vector<GtkWidget*> parents;

private:
    void Note(const char* step, GtkWidget* parent)
    {
        steps.push_back(step);
        parents.push_back(parent);
    }
};

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
        RecordingDialogs dialogs;
        COperationLauncher launcher(&dialogs);
        (launcher.*c.start)(parent);
        EXPECT_EQ(dialogs.steps, (std::vector<std::string>{"scan", c.wizard}));
        EXPECT_EQ(dialogs.parents, (std::vector<GtkWidget*>{parent, parent}));
    }
}

TEST(OperationLauncher, ReplacedDialogsAreUsedUntilNullRestoresTheOwnOnes)
{
    RecordingDialogs own;
    RecordingDialogs replacement;
    COperationLauncher launcher(&own);
    launcher.UseDialogs(&replacement);
    launcher.StartRestore(nullptr);
    launcher.UseDialogs(nullptr);
    launcher.StartClone(nullptr);
    EXPECT_EQ(replacement.steps, (std::vector<std::string>{"scan", "restore"}));
    EXPECT_EQ(own.steps, (std::vector<std::string>{"scan", "clone"}));
}

} // namespace
