#include "WaitLock.h"

namespace ks_platform {

// Never destroyed: detached threads may still signal while the process ends.
std::mutex& WaitLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::condition_variable& WaitChanged()
{
    static std::condition_variable* changed = new std::condition_variable;
    return *changed;
}

} // namespace ks_platform
