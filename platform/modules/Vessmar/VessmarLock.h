// The one lock of the device manager module. Every operation of every object takes
// it, so that the console's scan thread can rescan while another thread walks items.
#pragma once

#include <mutex>

std::recursive_mutex& VessmarLock();

typedef std::lock_guard<std::recursive_mutex> VessmarGuard;
