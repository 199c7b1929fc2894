#include "CCloneDataBase.h"

CCloneDataBase* CCloneDataBase::Instance()
{
    static CCloneDataBase data;
    return &data;
}
