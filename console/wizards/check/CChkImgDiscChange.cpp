#include "CChkImgDiscChange.h"

#include "ChkImgRunState.h"
#include "IChkImgWizard.h"

bool CChkImgDiscChange::RefusalNoting::Ask(const std::string& displayName, bool fileMode,
                                           const std::string& folderPath)
{
    const bool goOn = inner_.Ask(displayName, fileMode, folderPath);
    if (!goOn)
        run_.cancelFromCD = true;
    return goOn;
}

CChkImgDiscChange::CChkImgDiscChange(IChkImgWizard* wizard, ChkImgRunState& run, IDiscChangePrompt* prompt,
                                     bool withTimer, unsigned waitStepMs)
    : handshake_(kCheckDiscChangeCodes, waitStepMs), noting_(prompt ? *prompt : dialogPrompt_, run),
      server_(handshake_, noting_, [wizard] { return std::string(wizard ? wizard->GetParam()->szImagePath : ""); })
{
    if (withTimer)
        timer_ = std::make_unique<CDiscChangeTimer>(server_);
}

CChkImgDiscChange::~CChkImgDiscChange()
{
    timer_.reset();
    // A request still unanswered when the page goes is answered "cancel", so the
    // checker's thread never sleeps on a page that is gone.
    handshake_.CancelWaiting();
}
