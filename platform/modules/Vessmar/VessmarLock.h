// The one lock of the device manager module. Every operation of every object takes
// it, so that the console's scan thread can rescan while another thread walks items.
#pragma once

#include <mutex>

std::recursive_mutex& VessmarLock();

// Serialises reading disks' tables (a rescan) with writing them (Write), so that a
// rescan never reads a table half old and half new. Taken before VessmarLock, never
// while holding it.
std::mutex& VessmarTableLock();

typedef std::lock_guard<std::recursive_mutex> VessmarGuard;
