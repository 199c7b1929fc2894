// Private heaps over the C allocator: each heap knows its blocks, so that destroying
// it frees what is left and a block is only freed by the heap that gave it.
#include "SetupMachine.h"

#include <heapapi.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <set>

namespace {

struct PrivateHeap {
    SIZE_T maximum = 0;   // 0: grows
    SIZE_T used = 0;
    std::map<void*, SIZE_T> blocks;   // and their sizes
};

struct Heaps {
    std::mutex lock;
    std::set<PrivateHeap*> live;
};

Heaps& AllHeaps()
{
    static auto* heaps = new Heaps;
    return *heaps;
}

bool HeapCallFails(const char* call)
{
    ks_platform::SetupMachine& machine = ks_platform::Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    return ks_platform::SetupCallFails(machine, call);
}

} // namespace

extern "C" HANDLE WINAPI HeapCreate(DWORD, SIZE_T initialSize, SIZE_T maximumSize)
{
    if (HeapCallFails("HeapCreate"))
        return nullptr;
    if (maximumSize != 0 && initialSize > maximumSize) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* heap = new PrivateHeap;
    heap->maximum = maximumSize;
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    heaps.live.insert(heap);
    return heap;
}

extern "C" BOOL WINAPI HeapDestroy(HANDLE handle)
{
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    auto* heap = static_cast<PrivateHeap*>(handle);
    if (heaps.live.erase(heap) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    for (const auto& block : heap->blocks)
        std::free(block.first);
    delete heap;
    return TRUE;
}

extern "C" LPVOID WINAPI HeapAlloc(HANDLE handle, DWORD flags, SIZE_T bytes)
{
    if (HeapCallFails("HeapAlloc"))
        return nullptr;
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    auto* heap = static_cast<PrivateHeap*>(handle);
    if (heaps.live.count(heap) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (heap->maximum != 0 && (bytes > heap->maximum || heap->used > heap->maximum - bytes)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const SIZE_T size = bytes == 0 ? 1 : bytes;
    void* block = (flags & HEAP_ZERO_MEMORY) != 0 ? std::calloc(1, size) : std::malloc(size);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    heap->blocks[block] = bytes;
    heap->used += bytes;
    return block;
}

extern "C" BOOL WINAPI HeapFree(HANDLE handle, DWORD, LPVOID block)
{
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    auto* heap = static_cast<PrivateHeap*>(handle);
    if (heaps.live.count(heap) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!block)
        return TRUE;
    auto found = heap->blocks.find(block);
    if (found == heap->blocks.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    heap->used -= found->second;
    heap->blocks.erase(found);
    std::free(block);
    return TRUE;
}

unsigned KSPlatformLiveHeaps()
{
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    return static_cast<unsigned>(heaps.live.size());
}

unsigned KSPlatformLiveHeapBlocks()
{
    Heaps& heaps = AllHeaps();
    std::lock_guard<std::mutex> guard(heaps.lock);
    size_t blocks = 0;
    for (const PrivateHeap* heap : heaps.live)
        blocks += heap->blocks.size();
    return static_cast<unsigned>(blocks);
}
