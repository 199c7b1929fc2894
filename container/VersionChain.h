// The chain rule of the versions of a set: a version's chain is the version itself
// and, while a version carries one of the bits 0xC000, the versions before it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "KSImageFormat.h"

namespace VersionChain {

// versions: the set's list, position an index in it.

// Position in the list of the chain's first (oldest) version.
size_t First(const _KS_VERSION* versions, size_t position);

// Sum of the file counts of the chain of the version at position.
uint64_t FileCount(const _KS_VERSION* versions, size_t position);

} // namespace VersionChain
