#include "COptionController.h"

#include <cstring>

CPartitionSchemeManager COptionController::s_schemeMgr;

COptionController::COptionController()
{
    std::memset(&m_info, 0, sizeof(m_info));
    std::memset(m_name, 0, sizeof(m_name));
}

COptionController& COptionController::Instance()
{
    static COptionController instance;
    return instance;
}

void COptionController::SetOptionInfo(tagSCHEME_INFO info)
{
    m_info = info;
}

const char* COptionController::GetSchemeName()
{
    std::memcpy(m_name, m_info.szSchemeName, kSchemeNameSize);
    m_name[kSchemeNameSize] = '\0';
    return m_name;
}

bool COptionController::InitPartitionScheme()
{
    s_schemeMgr.Release();
    if (s_schemeMgr.GetSchemeCount() == 0)
        s_schemeMgr.LoadScheme();
    return s_schemeMgr.GetSchemeCount() > 0;
}
