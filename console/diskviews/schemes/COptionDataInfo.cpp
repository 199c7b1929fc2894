#include "COptionDataInfo.h"

COptionDataInfo& COptionDataInfo::Instance()
{
    static COptionDataInfo instance;
    return instance;
}
