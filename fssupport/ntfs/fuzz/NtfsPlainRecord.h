// A file record or index block of a volume in memory, taken out of its update-
// sequence protection so that its fields can be edited, and put back protected (a
// fresh sequence number in every stride tail) so that the reader takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class NtfsPlainRecord {
public:
    // False when the range lies outside the volume or its protection is torn.
    bool Load(uint8_t* volume, size_t volumeSize, size_t offset, size_t size);
    // Protects the edited bytes again and writes them back. When an edit broke the
    // update-sequence head, the bytes go back as they are (a torn record).
    void Store();

    unsigned char* Bytes() { return plain_.data(); }
    size_t Size() const { return plain_.size(); }

    // The offsets of the attributes of a file record, each with at least the 24
    // bytes of a resident head inside the record.
    std::vector<size_t> Attributes() const;
    // The offset of the first unnamed attribute of type, or 0.
    size_t FindAttribute(uint32_t type) const;

private:
    uint8_t* volume_ = nullptr;
    size_t offset_ = 0;
    std::vector<unsigned char> plain_;
};
