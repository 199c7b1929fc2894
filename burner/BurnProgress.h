// Progress of a running burning tool, read from everything the tool has written so
// far. Pure functions over the output text; each gives the value, the total, the
// stage and a result kind (0, or the kind that says why there is no progress).
#pragma once

#include <cstdint>
#include <string>

#include <IPyrelle.h>

struct BurnProgress {
    int value = 0;
    int total = 0;
    int stage = 0;
    unsigned long kind = 0;
};

// ISO building ("  9.87% done, ..."): the number in the five characters before the
// last "%", 1 to 99 of 100.
BurnProgress IsoBuildProgress(const std::string& output);
// CD writing ("Track 01:   12 of  300 MB written"): the megabytes written, above 0
// and below the image size.
BurnProgress CdWriteProgress(const std::string& output, uint64_t imageMiB);
// DVD writing of "image.iso" (stage 4) or of a folder (stage 3). A line of the writer
// ends with its buffer fills ("RBU 100.0% UBU  99.8%"), so the percent done is the
// number before the last "%)"; a folder's ISO builder's "% done" lines, which have no
// "%)", are read before their last "%". "write failed" anywhere is a failed write.
BurnProgress DvdWriteProgress(const std::string& output, int stage);
