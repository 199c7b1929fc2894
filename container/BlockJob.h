// One data block on its way to the image file: the caller's clusters copied in,
// and what a compression worker makes of them (the stored bytes and the CRC-64 of
// the raw bytes). The committer reads the results once the job is done.
#pragma once

#include <cstdint>
#include <vector>

#include "AesCipher.h"
#include "BlobCodec.h"

struct BlockJob {
    // In: the raw clusters and the storage rule of the set.
    std::vector<unsigned char> raw;
    uint32_t rawSize = 0;
    BlobCodec::Settings settings;
    // The worker encrypts with its job's own copy: a cipher object serves one
    // thread at a time.
    AesCipher cipher;

    // Out: set by the worker before it marks the job done.
    std::vector<unsigned char> stored;
    const unsigned char* storedBytes = nullptr; // stored.data(), or raw.data() when kept raw
    uint32_t storedSize = 0;
    uint64_t crc = 0;
    unsigned long result = 0;
    bool done = false; // guarded by the workers' lock
};
