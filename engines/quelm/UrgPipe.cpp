#include "UrgPipe.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <new>

#include "QuelmKinds.h"
#include "QuelmTrace.h"
#include "UrgBtreeCodes.h"

using namespace quelm_kinds;

namespace {
constexpr uint32_t kStoreSector = 512;
constexpr uint32_t kTreeNodeBytes = 4096;
constexpr uint32_t kTreeFanOut = 4;
// The most sectors one run may have: its byte length is a u32.
constexpr uint32_t kMaxRunSectors = 0xFFFFFFFFu / kStoreSector;

// Holds the store's lock for one call.
class StoreLock {
public:
    explicit StoreLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~StoreLock() { LeaveCriticalSection(&section_); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

// "C:" gives "C"; any other name is kept.
std::wstring SpillPrefix(const wchar_t* volumeName)
{
    std::wstring prefix = volumeName != nullptr ? volumeName : L"";
    if (prefix.size() >= 2 && prefix[1] == L':')
        prefix.resize(1);
    return prefix;
}
} // namespace

UrgPipe::UrgPipe(const std::wstring& folder, const std::wstring& prefix, const UrgStoreLayout& layout)
    : layout_(layout), spillMark_(layout.firstSpillOffset)
{
    InitializeCriticalSection(&lock_);
    spill_.reset(new (std::nothrow) UrgSpillSpace(folder, prefix, layout));
}

UrgPipe::~UrgPipe()
{
    QuelmDebugLine("Used time:btree search %lu, read urgent %lu, write urgent %lu.\n",
                   static_cast<unsigned long>(searchMs_), static_cast<unsigned long>(readMs_),
                   static_cast<unsigned long>(writeMs_));
    if (spill_)
        spill_->Destroy();
    DeleteCriticalSection(&lock_);
}

UrgPipe* UrgPipe::Create(const wchar_t* tempFolder, const wchar_t* volumeName, unsigned long* result,
                         const UrgStoreLayout& layout)
{
    unsigned long ignored = 0;
    unsigned long& rc = result != nullptr ? *result : ignored;
    rc = kWinNoMemory;
    UrgPipe* store = nullptr;
    try {
        store = new UrgPipe(tempFolder != nullptr ? tempFolder : L"", SpillPrefix(volumeName), layout);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    store->pool_.reset(new (std::nothrow) unsigned char[layout.poolBytes]());
    if (!store->spill_ || !store->pool_ || store->tree_.Create(kTreeNodeBytes, kTreeFanOut) != 0) {
        delete store;
        return nullptr;
    }
    rc = 0;
    return store;
}

void UrgPipe::Destroy(UrgPipe* store) { delete store; }

unsigned long UrgPipe::SearchTimed(uint64_t firstSector, uint64_t sectorCount, URG_EXTENT& found)
{
    const DWORD started = GetTickCount();
    const unsigned long rc = tree_.Search(firstSector, sectorCount, found);
    searchMs_ += GetTickCount() - started;
    return rc;
}

unsigned long UrgPipe::Save(uint64_t firstSector, uint32_t sectorCount, const void* data)
{
    if (data == nullptr || sectorCount > kMaxRunSectors)
        return kWinInvalidParameter;
    StoreLock hold(lock_);
    return SaveLocked(firstSector, sectorCount, static_cast<const unsigned char*>(data));
}

unsigned long UrgPipe::SaveLocked(uint64_t firstSector, uint32_t sectorCount, const unsigned char* data)
{
    if (sectorCount == 0)
        return 0;
    URG_EXTENT stored;
    unsigned long rc = SearchTimed(firstSector, sectorCount, stored);
    if (rc == 0) {
        // The stored copy is the older one: only the parts around it are new.
        const uint64_t end = firstSector + sectorCount;
        if (firstSector < stored.FirstSector &&
            (rc = SaveLocked(firstSector, static_cast<uint32_t>(stored.FirstSector - firstSector), data)) != 0)
            return rc;
        if (end > stored.End()) {
            const uint64_t skip = stored.End() - firstSector;
            return SaveLocked(stored.End(), static_cast<uint32_t>(end - stored.End()), data + skip * kStoreSector);
        }
        return 0;
    }
    if (rc != URG_BTREE_NOT_FOUND)
        return rc;

    URG_EXTENT extent;
    extent.FirstSector = firstSector;
    extent.SectorCount = sectorCount;
    extent.ByteLength = sectorCount * kStoreSector;
    const DWORD started = GetTickCount();
    rc = 0;
    if (uint64_t{poolMark_} + extent.ByteLength > layout_.poolBytes) {
        extent.Kind = URG_IN_SPILL;
        extent.Position = spillMark_;
        rc = spill_->Write(spillMark_, data, extent.ByteLength);
    } else {
        extent.Kind = URG_IN_POOL;
        extent.Position = poolMark_;
        std::memcpy(pool_.get() + poolMark_, data, extent.ByteLength);
    }
    writeMs_ += GetTickCount() - started;
    if (rc != 0)
        return rc;
    if ((rc = tree_.Insert(extent)) != 0)
        return rc;
    if (extent.Kind == URG_IN_SPILL)
        spillMark_ += extent.ByteLength;
    else
        poolMark_ += extent.ByteLength;
    return 0;
}

unsigned long UrgPipe::Read(uint64_t* firstSector, uint32_t* sectorCount, void* buffer)
{
    if (firstSector == nullptr || sectorCount == nullptr || buffer == nullptr) {
        if (firstSector != nullptr)
            *firstSector = 0;
        if (sectorCount != nullptr)
            *sectorCount = 0;
        return kWinInvalidParameter;
    }
    StoreLock hold(lock_);
    URG_EXTENT stored;
    if (SearchTimed(*firstSector, *sectorCount, stored) != 0 || stored.SectorCount == 0 || stored.ByteLength == 0)
        return kWinNotFound;
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[stored.ByteLength]);
    if (!bytes)
        return kWinNoMemory;
    const DWORD started = GetTickCount();
    unsigned long rc = 0;
    if (stored.Kind == URG_IN_SPILL)
        rc = spill_->Read(stored.Position, bytes.get(), stored.ByteLength);
    else if (stored.Position + stored.ByteLength <= layout_.poolBytes)
        std::memcpy(bytes.get(), pool_.get() + stored.Position, stored.ByteLength);
    else
        rc = kWinInvalidParameter;
    readMs_ += GetTickCount() - started;
    if (rc != 0)
        return rc;
    const uint64_t first = std::max<uint64_t>(*firstSector, stored.FirstSector);
    const uint64_t end = std::min<uint64_t>(*firstSector + *sectorCount, stored.End());
    std::memcpy(buffer, bytes.get() + (first - stored.FirstSector) * kStoreSector,
                static_cast<size_t>((end - first) * kStoreSector));
    *firstSector = first;
    *sectorCount = static_cast<uint32_t>(end - first);
    return 0;
}

bool UrgPipe::Contains(uint64_t firstSector, uint32_t sectorCount)
{
    StoreLock hold(lock_);
    URG_EXTENT stored;
    if (SearchTimed(firstSector, sectorCount, stored) != 0)
        return false;
    if (!stored.Overlaps(firstSector, sectorCount)) {
        QuelmDebugLine("To Find [%" PRIX64 "][%X], return [%" PRIX64 "][%X].\n", firstSector, sectorCount,
                       stored.FirstSector, stored.SectorCount);
        return false;
    }
    return true;
}
