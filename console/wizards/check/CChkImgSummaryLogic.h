// The check summary page: on each visit the whole summary is written anew from the
// wizard's record, so going back and forward never piles text up.
#pragma once

#include "RestoreSummaryTexts.h"

class IChkImgWizard;

class CChkImgSummaryLogic {
public:
    explicit CChkImgSummaryLogic(IChkImgWizard& wizard) : wizard_(wizard) {}

    // Sets the buttons and answers the text that replaces the page's text.
    SummaryText InitPage();
    void OnNextClicked();
    void OnBackClicked();
    void OnQuitClicked();

private:
    IChkImgWizard& wizard_;
};
