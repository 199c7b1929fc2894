// The BCD store of a volume, "\Boot\BCD": a registry hive whose device elements
// (BcdDevice.h) are rewritten in place and written back whole.
#pragma once

#include <string>

#include "BcdDevice.h"

enum class BcdStoreOutcome {
    kMissing,   // the volume holds no store
    kRewritten, // the store was read and every element naming `from` now names `to`
    kFailed,    // a store is there but could not be read, edited or written back
};

// root is "X:" or a volume path "\\?\Volume{...}" without its trailing backslash.
// rewritten counts the elements changed.
BcdStoreOutcome RewriteBcdStore(const std::string& root, const BcdPartitionPlace& from, const BcdPartitionPlace& to,
                                unsigned& rewritten);
// True when there is a store and it is the one the running system booted from and keeps open
// (it cannot be edited as a file); never on Linux.
bool BcdStoreInUse(const std::string& root);
