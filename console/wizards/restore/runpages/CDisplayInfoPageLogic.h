// The restore summary page: what is about to be done, and the last question before a
// whole-disk restore deletes the target disk's partitions.
#pragma once

#include "PageMessage.h"
#include "RestoreSummaryTexts.h"

class IWizard;

class CDisplayInfoPageLogic {
public:
    CDisplayInfoPageLogic(IWizard* wizard, PageMessage message);

    // The summary to show; sets the Next button to "_Proceed".
    SummaryText InitPage();
    // Next: false when the page stays.
    bool OnNextClicked();
    void OnBackClicked();

    static constexpr const char* kDeleteAll =
        "All partitions on destination disk will be deleted, are you sure to execute the operation?";

private:
    IWizard* wizard_;
    PageMessage message_;
};
