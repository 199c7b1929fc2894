// Ordering of section and key names: names differing only in letter case are the same.
#pragma once

#include <strings.h>

#include <string>

namespace tamVoke {

struct IgnoreCaseLT {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

} // namespace tamVoke
