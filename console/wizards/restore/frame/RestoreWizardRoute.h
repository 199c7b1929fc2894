// The restore wizard frame's own rules, apart from its window: each page's head
// texts, when the edit page is built anew, and where the help key works.
#pragma once

struct RestorePageHead {
    const char* title;
    const char* subtitle;
};

class RestoreWizardRoute {
public:
    // Empty texts for the summary and progress pages and for unknown positions.
    static RestorePageHead Head(int position);
    // Going back from the drive letter page rebuilds the edit page.
    static bool RebuildsEditOnBack(int current);
    // Going forward from the restore mode page rebuilds it, once it exists.
    static bool RebuildsEditOnNext(int current, bool editExists);
    // F1 opens the help on every page but the progress page.
    static bool HelpKeyAllowed(int current);

    static constexpr const char* kTitle = "Restore Data Wizard";
    static constexpr const char* kHelpTopic = "RESTORE";
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr int kHeadHeight = 72;
};
