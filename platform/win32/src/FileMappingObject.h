// A file mapping: its own descriptor of the file (a mapping keeps its file open after
// the file's handle is closed, as a Windows section does), its size in bytes and
// whether views may write.
#pragma once

#include "KernelObject.h"

#include <unistd.h>

#include <cstdint>

namespace ks_platform {

class FileMappingObject : public KernelObject {
public:
    FileMappingObject(int fd, uint64_t size, bool writable) : fd(fd), size(size), writable(writable) {}
    ~FileMappingObject() override { ::close(fd); }
    FileMappingObject(const FileMappingObject&) = delete;
    FileMappingObject& operator=(const FileMappingObject&) = delete;
    ObjectKind Kind() const override { return ObjectKind::FileMapping; }

    const int fd;
    const uint64_t size;
    const bool writable;
};

} // namespace ks_platform
