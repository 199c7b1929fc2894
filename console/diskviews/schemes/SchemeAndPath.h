// A loaded scheme and the file it came from.
#pragma once

#include <string>

#include "CPartitionScheme.h"

struct SCHEME_AND_PATH {
    CPartitionScheme scheme;
    std::string path;
};
