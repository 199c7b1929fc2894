// The ARC paths of a boot.ini: "multi(0)disk(0)rdisk(N)partition(M)" names the Nth
// disk of the firmware and the Mth partition on it in boot-list order.
#pragma once

#include <string>

struct ArcPlace {
    unsigned rdisk = 0;
    unsigned partition = 0;
};

// Rewrites every ARC path of text that names from (or, when from is null, every one
// whose partition number equals to's) to name to; the rest of the text stays byte
// for byte. Names compare without regard to case. Returns the number rewritten.
unsigned RewriteArcPaths(std::string& text, const ArcPlace* from, const ArcPlace& to);
