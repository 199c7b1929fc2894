// The module's private heap, which holds the engine's temporary buffers: made when
// the module is loaded (8 KiB to start with, growing as needed) and destroyed when it
// is unloaded.
#pragma once

#include <windows.h>

#include <cstddef>

// The heap, or null when it could not be made.
HANDLE ModuleHeap();

// A zeroed buffer of the module heap, given back when the holder goes. Data() is null
// when the heap had none to give.
class ModuleBuffer {
public:
    explicit ModuleBuffer(size_t bytes);
    ~ModuleBuffer();
    ModuleBuffer(const ModuleBuffer&) = delete;
    ModuleBuffer& operator=(const ModuleBuffer&) = delete;

    void* Data() const { return data_; }

private:
    void* data_;
};
