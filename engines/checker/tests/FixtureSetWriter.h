// Writes image sets for the checker's tests with our own container, the way a
// backup does: each volume's record from its file-system reader, its system area as
// sector runs, and every cluster its bitmap marks as used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "IKSCofran.h"

struct FixtureVolume {
    std::string image;          // disk image with one MBR partition, or a bare volume
    bool partitioned = true;
    uint64_t syntheticClusters = 0; // instead of an image: this many clusters of random data
    bool omitLastUsedCluster = false;
};

struct FixtureSetOptions {
    unsigned long level = 6;
    unsigned long splitMiB = 0;
    const wchar_t* password = nullptr;
    bool discSet = false; // every file of the set on a disc of its own, with disc labels
};

struct FixtureSet {
    std::vector<std::wstring> files;  // in the order written
    std::vector<_KS_VOLUME> volumes;  // as written
};

// Returns 0 or the first failure, with a message in *error.
unsigned long WriteFixtureSet(const std::wstring& path, const std::vector<FixtureVolume>& sources,
                              const FixtureSetOptions& options, FixtureSet* out, std::string* error);

std::wstring WidePath(const std::string& s);
std::string NarrowPath(const std::wstring& s);
