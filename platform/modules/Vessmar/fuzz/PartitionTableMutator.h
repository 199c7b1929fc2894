// Structure-aware mutations of the partition-table fuzz input (see SparseDiskInput):
// the fields of one partition entry change together (type, start and size of a DOS
// entry; first and last sector of a GPT entry), a link of the extended chain comes
// with the record it points to, GPT header fields change within the limits the
// checksums are made for, and the disk's size moves to where a partition ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

class PartitionTableMutator {
public:
    PartitionTableMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed)
        : data_(data), size_(size), maxSize_(maxSize), random_(seed)
    {
    }

    // Applies one change and returns the new size; 0 when none applied.
    size_t Mutate();

private:
    uint32_t Pick(uint32_t bound) { return bound == 0 ? 0 : static_cast<uint32_t>(random_() % bound); }
    size_t RecordCount() const;
    uint8_t* Record(size_t i) { return data_ + 4 + i * (4 + 512); }
    uint64_t Sectors() const;
    // A record whose sector holds a DOS table, or a GPT header; -1 when none.
    long FindRecord(bool gpt);
    uint32_t PickLba();

    size_t EditDosEntry();
    size_t LinkExtendedRecord();
    size_t EditGptHeader();
    size_t EditGptEntry();
    size_t MoveDiskEnd();

    uint8_t* data_;
    size_t size_;
    size_t maxSize_;
    std::minstd_rand random_;
};
