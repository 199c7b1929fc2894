#include "CRestoreDiscChange.h"

#include "IWizard.h"
#include "TagRestoreInfo.h"

CRestoreDiscChange::CRestoreDiscChange(IWizard* wizard, IDiscChangePrompt* prompt, bool withTimer)
    : server_(handshake_, prompt ? *prompt : dialogPrompt_,
              [wizard] { return std::string(wizard ? wizard->GetParam()->szImagePath : ""); })
{
    if (withTimer)
        timer_ = std::make_unique<CDiscChangeTimer>(server_);
}

CRestoreDiscChange::~CRestoreDiscChange()
{
    timer_.reset();
    // The owner stops the engine before the page goes (the progress page waits for its
    // end); a request still unanswered is answered "cancel" all the same.
    handshake_.CancelWaiting();
}
