// The process-wide option object: one scheme information block, and the schemes of
// the working folder.
#pragma once

#include "CPartitionSchemeManager.h"
#include "SchemeInfo.h"

class COptionController {
public:
    static COptionController& Instance();
    void SetOptionInfo(tagSCHEME_INFO info);
    // The scheme name, always terminated (a stored name may fill its whole field).
    const char* GetSchemeName();
    // Loads the working folder's schemes when none is held; whether one is loaded.
    static bool InitPartitionScheme();

    static CPartitionSchemeManager s_schemeMgr;

private:
    COptionController();
    tagSCHEME_INFO m_info;
    char m_name[kSchemeNameSize + 1];
};
