#include "WriteOverlay.h"

namespace zedisk {

WriteOverlay::~WriteOverlay()
{
    Extent* extent = first_;
    while (extent != nullptr) {
        Extent* next = extent->next;
        ZdPortFree(extent->bytes, ZD_TAG_BUS);
        ZdPortFree(extent, ZD_TAG_BUS);
        extent = next;
    }
}

uint32_t WriteOverlay::Extents() const
{
    uint32_t n = 0;
    for (const Extent* e = first_; e != nullptr; e = e->next)
        ++n;
    return n;
}

void WriteOverlay::LayOver(uint64_t offset, uint8_t* buffer, uint32_t length) const
{
    const uint64_t end = offset + length;
    for (const Extent* e = first_; e != nullptr && e->offset < end; e = e->next) {
        const uint64_t eEnd = e->offset + e->length;
        if (eEnd <= offset)
            continue;
        const uint64_t from = e->offset > offset ? e->offset : offset;
        const uint64_t to = eEnd < end ? eEnd : end;
        ZdCopy(buffer + (from - offset), e->bytes + (from - e->offset), static_cast<size_t>(to - from));
    }
}

uint64_t WriteOverlay::Uncovered(uint64_t offset, uint32_t length) const
{
    const uint64_t end = offset + length;
    uint64_t covered = 0;
    for (const Extent* e = first_; e != nullptr && e->offset < end; e = e->next) {
        const uint64_t eEnd = e->offset + e->length;
        if (eEnd <= offset)
            continue;
        const uint64_t from = e->offset > offset ? e->offset : offset;
        const uint64_t to = eEnd < end ? eEnd : end;
        covered += to - from;
    }
    return length - covered;
}

WriteOverlay::Extent* WriteOverlay::NewExtent(uint64_t offset, const uint8_t* data, uint32_t length)
{
    Extent* extent = static_cast<Extent*>(ZdPortAllocate(sizeof(Extent), ZD_TAG_BUS));
    if (extent == nullptr)
        return nullptr;
    extent->bytes = static_cast<uint8_t*>(ZdPortAllocate(length, ZD_TAG_BUS));
    if (extent->bytes == nullptr) {
        ZdPortFree(extent, ZD_TAG_BUS);
        return nullptr;
    }
    ZdCopy(extent->bytes, data, length);
    extent->offset = offset;
    extent->length = length;
    extent->next = extent->prev = nullptr;
    stored_ += length;
    return extent;
}

// before null: at the end.
void WriteOverlay::InsertBefore(Extent* extent, Extent* before)
{
    extent->next = before;
    extent->prev = before != nullptr ? before->prev : last_;
    if (extent->prev != nullptr)
        extent->prev->next = extent;
    else
        first_ = extent;
    if (before != nullptr)
        before->prev = extent;
    else
        last_ = extent;
}

ZdStatus WriteOverlay::Store(uint64_t offset, const uint8_t* data, uint32_t length)
{
    if (stored_ + Uncovered(offset, length) > limit_)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    uint64_t position = offset;
    const uint8_t* source = data;
    uint32_t left = length;
    for (Extent* e = first_; e != nullptr && left != 0; e = e->next) {
        const uint64_t eEnd = e->offset + e->length;
        if (eEnd <= position)
            continue;
        if (e->offset > position) {
            // The part before this extent becomes an extent of its own.
            const uint64_t gap = e->offset - position;
            const uint32_t part = gap < left ? static_cast<uint32_t>(gap) : left;
            Extent* fresh = NewExtent(position, source, part);
            if (fresh == nullptr)
                return ZD_STATUS_INSUFFICIENT_RESOURCES;
            InsertBefore(fresh, e);
            position += part;
            source += part;
            left -= part;
            if (left == 0)
                break;
        }
        // The part inside this extent is copied into it.
        const uint64_t room = eEnd - position;
        const uint32_t part = room < left ? static_cast<uint32_t>(room) : left;
        ZdCopy(e->bytes + (position - e->offset), source, part);
        position += part;
        source += part;
        left -= part;
    }
    if (left != 0) {
        Extent* fresh = NewExtent(position, source, left);
        if (fresh == nullptr)
            return ZD_STATUS_INSUFFICIENT_RESOURCES;
        InsertBefore(fresh, nullptr);
    }
    return ZD_STATUS_SUCCESS;
}

} // namespace zedisk
