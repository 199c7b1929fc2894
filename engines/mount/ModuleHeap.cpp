#include "ModuleHeap.h"

namespace {

// A static object: the run-time makes it as the module is loaded (process attach
// for a DLL) and ends it as the module is unloaded.
class PrivateModuleHeap {
public:
    PrivateModuleHeap() : heap_(HeapCreate(0, 8 * 1024, 0)) {}
    ~PrivateModuleHeap()
    {
        if (heap_ != nullptr)
            HeapDestroy(heap_);
        heap_ = nullptr;
    }
    HANDLE Handle() const { return heap_; }

private:
    HANDLE heap_;
};

const PrivateModuleHeap moduleHeap;

} // namespace

HANDLE ModuleHeap() { return moduleHeap.Handle(); }

ModuleBuffer::ModuleBuffer(size_t bytes)
    : data_(ModuleHeap() != nullptr ? HeapAlloc(ModuleHeap(), HEAP_ZERO_MEMORY, bytes) : nullptr)
{
}

ModuleBuffer::~ModuleBuffer()
{
    if (data_ != nullptr && ModuleHeap() != nullptr)
        HeapFree(ModuleHeap(), 0, data_);
}
