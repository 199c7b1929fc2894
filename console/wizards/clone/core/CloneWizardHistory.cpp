#include "CloneWizardHistory.h"

void CloneWizardHistory::Reset(CLONE_WIZARD_PAGE page)
{
    current_ = page;
    while (!history_.empty())
        history_.pop();
}

bool CloneWizardHistory::Forward(CLONE_WIZARD_PAGE next)
{
    if (next == CLONE_PAGE_NONE || next < CLONE_PAGE_SOURCE_SELECT || next > CLONE_PAGE_TASK_PROGRESS)
        return false;
    history_.push(current_);
    current_ = next;
    return true;
}

bool CloneWizardHistory::Back()
{
    if (history_.empty())
        return false;
    current_ = history_.top();
    history_.pop();
    return true;
}

CloneKeyAction CloneKeyFor(unsigned keyval, CLONE_WIZARD_PAGE current, bool otherButtonFocused)
{
    if (keyval == kCloneKeyReturn)
        return otherButtonFocused ? CloneKeyAction::None : CloneKeyAction::Next;
    if (keyval == kCloneKeyF1 && current != CLONE_PAGE_TASK_PROGRESS)
        return CloneKeyAction::Help;
    return CloneKeyAction::None;
}
