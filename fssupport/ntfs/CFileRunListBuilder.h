// The clusters a file occupies, as one list of runs gathered over its base record
// and every child record its attribute list names.
#pragma once

#include <cstdint>

#include "CNtfsRunList.h"

class CNtfsMFT;

class CFileRunListBuilder {
public:
    enum Scope {
        // Every non-resident attribute: what the file holds on the volume.
        AllAttributes,
        // Only the unnamed $DATA stream: the file's contents, without the clusters
        // of its attribute list, index or other streams.
        UnnamedDataOnly,
    };

    // Fills runs (VCNs renumbered one after another; only LCN and length matter).
    // False when a record cannot be read or a run list is damaged.
    static bool Build(const CNtfsMFT& mft, uint64_t recordNumber, Scope scope, CNtfsRunList& runs);
};
