#include "VessmarLock.h"

std::recursive_mutex& VessmarLock()
{
    static std::recursive_mutex lock;
    return lock;
}
