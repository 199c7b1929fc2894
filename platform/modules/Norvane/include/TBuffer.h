// An owned, zero-filled byte buffer whose size is fixed until the next Allocate.
#pragma once

#include <cstddef>
#include <vector>

class TBuffer {
public:
    TBuffer() = default;
    explicit TBuffer(size_t size) { Allocate(size); }

    // Replaces the contents with size zero bytes.
    void Allocate(size_t size) { data_.assign(size, 0); }
    void Free() { std::vector<unsigned char>().swap(data_); }
    unsigned char* GetData() { return data_.empty() ? nullptr : data_.data(); }
    const unsigned char* GetData() const { return data_.empty() ? nullptr : data_.data(); }
    size_t GetSize() const { return data_.size(); }

private:
    std::vector<unsigned char> data_;
};
