// One lock and one condition for every waitable object of the process. A wait for
// several objects must see their states together and take them together, which one
// lock gives without ordering rules; every change of a state wakes all waiters, each
// of which looks again at its own objects.
#pragma once

#include <condition_variable>
#include <mutex>

namespace ks_platform {

std::mutex& WaitLock();
std::condition_variable& WaitChanged();

} // namespace ks_platform
