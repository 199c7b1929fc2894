#include "MutexObject.h"

#include "ThreadIdentity.h"

namespace ks_platform {

bool MutexObject::Take(DWORD thread)
{
    if (owner_ == thread) {
        ++recursion_;
        return false;
    }
    owner_ = thread;
    recursion_ = 1;
    NoteOwnedMutex(shared_from_this());
    const bool wasAbandoned = abandoned_;
    abandoned_ = false;
    return wasAbandoned;
}

DWORD MutexObject::Release(DWORD thread)
{
    if (owner_ != thread || recursion_ == 0)
        return ERROR_NOT_OWNER;
    if (--recursion_ == 0)
        owner_ = 0;
    return ERROR_SUCCESS;
}

void MutexObject::Abandon(DWORD thread)
{
    if (owner_ != thread)
        return;
    owner_ = 0;
    recursion_ = 0;
    abandoned_ = true;
}

} // namespace ks_platform
