// The writer's 8 MiB output buffer. Data goes out in whole 8 MiB pieces, so that
// an unbuffered file sees only aligned writes; the end of a file is written as
// its fill rounded down to 4 KiB plus 4 KiB of padding and the file is then cut
// back to its true length.
#pragma once

#include <cstdint>

#include "CofranFile.h"

class WriteBuffer {
public:
    enum : uint32_t { kSize = 8u << 20, kPage = 4096 };

    WriteBuffer() = default;
    ~WriteBuffer() { Free(); }
    WriteBuffer(const WriteBuffer&) = delete;
    WriteBuffer& operator=(const WriteBuffer&) = delete;

    bool Allocate();
    void Free();
    bool Allocated() const { return data_ != nullptr; }

    // Starts a new file: the buffer's first byte goes to file position 0.
    void Restart();
    // File position of the next byte appended.
    uint64_t Position() const { return first_ + fill_; }

    // Appends size bytes that belong at file position pos (kind 0x006 when pos is not
    // Position()). A failed piece write leaves the buffer as it was before the call.
    unsigned long Append(CofranFile& file, uint64_t pos, const void* data, uint32_t size);

    // Writes what is left, closes the file, reopens it by path and cuts it at its
    // true length. On a failed write the file is cut back to the last whole piece,
    // so that no tail can end it.
    unsigned long Finish(CofranFile& file, const wchar_t* path);

    // The kind of a failed write from the layer's last error.
    static unsigned long WriteFailure(unsigned long systemError);

private:
    unsigned long WritePiece(CofranFile& file, uint32_t length);

    unsigned char* data_ = nullptr;
    uint32_t fill_ = 0;
    uint64_t first_ = 0;  // file position of data_[0]
    bool broken_ = false; // a piece of a multi-piece append was lost
};
