// The clone wizard's page history and keys, apart from the widgets: forward pushes the
// page left, a page that answers "none" leaves the history as it was, back returns to
// the page on top.
#pragma once

#include <cstddef>
#include <deque>
#include <stack>

#include "CloneWizardPageId.h"

class CloneWizardHistory {
public:
    CLONE_WIZARD_PAGE Current() const { return current_; }
    void Reset(CLONE_WIZARD_PAGE page);
    // next is what the current page's GetNextPage answered. True when the wizard moved.
    bool Forward(CLONE_WIZARD_PAGE next);
    // True when the wizard moved back; the page then shown is Current().
    bool Back();
    bool Empty() const { return history_.empty(); }
    size_t Depth() const { return history_.size(); }

private:
    CLONE_WIZARD_PAGE current_ = CLONE_PAGE_SOURCE_SELECT;
    std::stack<CLONE_WIZARD_PAGE, std::deque<CLONE_WIZARD_PAGE>> history_;
};

enum class CloneKeyAction { None, Next, Help };
// Return goes to Next; F1 opens help except on the progress page.
// Return on a focused button other than Next is that button's: it passes on.
CloneKeyAction CloneKeyFor(unsigned keyval, CLONE_WIZARD_PAGE current, bool otherButtonFocused = false);

constexpr unsigned kCloneKeyReturn = 0xFF0D; // GDK_Return
constexpr unsigned kCloneKeyF1 = 0xFFBE;     // GDK_F1
