// What was written to a child disk: extents of bytes kept in non-paged pool, sorted
// by position and never overlapping, laid over every read of the image. The image
// file itself is never changed.
#pragma once

#include "CoreBase.h"

namespace zedisk {

class WriteOverlay : public ZdPoolObject {
public:
    // The pool a disk's writes may take; a changing write past it is refused.
    static constexpr uint64_t kDefaultLimit = 64ull << 20;

    explicit WriteOverlay(uint64_t limit = kDefaultLimit) : limit_(limit) {}
    ~WriteOverlay();
    WriteOverlay(const WriteOverlay&) = delete;
    WriteOverlay& operator=(const WriteOverlay&) = delete;

    // Copies the stored bytes of [offset, offset + length) over buffer.
    void LayOver(uint64_t offset, uint8_t* buffer, uint32_t length) const;
    // Keeps data for [offset, offset + length). STATUS_INSUFFICIENT_RESOURCES when
    // the new bytes would pass the limit (nothing is stored then) or the pool is
    // short (what was placed stays).
    ZdStatus Store(uint64_t offset, const uint8_t* data, uint32_t length);

    uint64_t StoredBytes() const { return stored_; }
    uint32_t Extents() const;

private:
    struct Extent {
        Extent* next;
        Extent* prev;
        uint64_t offset;
        uint32_t length;
        uint8_t* bytes;
    };
    uint64_t Uncovered(uint64_t offset, uint32_t length) const;
    Extent* NewExtent(uint64_t offset, const uint8_t* data, uint32_t length);
    void InsertBefore(Extent* extent, Extent* before);

    Extent* first_ = nullptr;
    Extent* last_ = nullptr;
    uint64_t stored_ = 0;
    uint64_t limit_;
};

} // namespace zedisk
