// Where the container's own buffers and texts take their memory. The user build
// takes it from the C library (CofranMemory.cpp); the kernel form links the
// driver's definitions instead, so every block comes from its pool under the
// container's tag. A failed allocation is a null result, never an exception.
#pragma once

#include <stddef.h>

#include <new>

void* CofranAllocate(size_t bytes);
void CofranFree(void* block);

// An object of the container's own memory: null when there is none.
template <typename T, typename... Args>
T* CofranNew(Args&&... args)
{
    void* block = CofranAllocate(sizeof(T));
    return block == nullptr ? nullptr : new (block) T(static_cast<Args&&>(args)...);
}

template <typename T>
void CofranDelete(T* object)
{
    if (object == nullptr)
        return;
    object->~T();
    CofranFree(object);
}

// Raw bytes of the container's own memory, not zeroed, freed when it dies.
class CofranRawBytes {
public:
    CofranRawBytes() = default;
    ~CofranRawBytes() { reset(); }
    CofranRawBytes(const CofranRawBytes&) = delete;
    CofranRawBytes& operator=(const CofranRawBytes&) = delete;

    // False when there is no memory (the bytes held before are gone either way).
    [[nodiscard]] bool Allocate(size_t bytes)
    {
        reset();
        bytes_ = static_cast<unsigned char*>(CofranAllocate(bytes));
        return bytes_ != nullptr;
    }
    void reset()
    {
        CofranFree(bytes_);
        bytes_ = nullptr;
    }
    unsigned char* get() const { return bytes_; }

private:
    unsigned char* bytes_ = nullptr;
};
