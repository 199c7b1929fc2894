#include "VessmarLock.h"

std::recursive_mutex& VessmarLock()
{
    static std::recursive_mutex lock;
    return lock;
}

std::mutex& VessmarTableLock()
{
    static std::mutex lock;
    return lock;
}
