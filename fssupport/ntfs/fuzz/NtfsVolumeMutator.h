// Structure-aware mutation of an NTFS volume held in memory, for the reader's fuzz
// target. A plain byte mutator almost never changes the fields that matter
// together (the volume's claimed size and a bitmap's size; the cluster size and a
// run's length), and its changes to file records mostly break their update
// sequence and are refused at once. This one finds the boot sector, the $MFT
// records and the index blocks, edits their fields in the plain (unprotected) form
// and protects the record again, so that each change reaches the code behind the
// first checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "NtfsPlainRecord.h"

class NtfsVolumeMutator {
public:
    // byteMutator changes size bytes in place (at most maxSize) and returns the new
    // size; the target passes libFuzzer's own mutator.
    using ByteMutator = size_t (*)(uint8_t* data, size_t size, size_t maxSize);

    NtfsVolumeMutator(uint8_t* data, size_t size, unsigned seed, ByteMutator byteMutator);

    // One to three changes; false when the data holds no NTFS boot sector or
    // nothing could be changed (the caller then mutates bytes).
    bool Mutate();

private:
    bool LoadGeometry();
    bool MutateOnce();

    // Changes one field of the boot sector.
    void MutateBootField();
    // Changes one field of one file record: its head, an attribute's head, sizes
    // or run list.
    bool MutateRecordField();
    // Byte mutation of a whole plain record or index block, protected again after.
    bool MutateRecordBytes();
    bool MutateIndexBlockBytes();
    // The two changes that only matter together: a volume claiming far more
    // sectors with a bitmap sized to match; a huge cluster size with a run long
    // enough that its byte length overflows.
    bool GrowVolumeWithBitmap();
    bool LongSparseRun();

    size_t RecordOffset(uint64_t recordNumber) const;
    uint64_t PickRecord();

    void SetSizes(size_t attribute, uint64_t size);
    // Writes an encoded run list into the attribute's mapping pairs, cut to fit.
    void WriteRuns(size_t attribute, const std::vector<unsigned char>& pairs);
    std::vector<unsigned char> RandomRuns();
    static void EncodeRun(std::vector<unsigned char>& out, int64_t length, bool sparse, int64_t delta);

    uint64_t Interesting(uint64_t current);
    uint64_t Below(uint64_t bound) { return bound == 0 ? 0 : rng_() % bound; }

    uint8_t* data_;
    size_t size_;
    std::mt19937_64 rng_;
    ByteMutator byteMutator_;

    uint64_t clusterBytes_ = 0;
    uint64_t recordBytes_ = 0;
    uint64_t mftOffset_ = 0;
    uint64_t clusters_ = 0;

    // The record or index block being edited.
    NtfsPlainRecord record_;
};
