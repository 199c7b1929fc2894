#include "SnapshotRingWriter.h"

#include <cstring>

#include "KSSnapChangeRing.h"

namespace {
constexpr uint32_t kRingSector = 512;
constexpr uint32_t kEntryAlignment = 8;
} // namespace

void SnapshotRingWriter::Reset()
{
    SnapRingHead head;
    head.FirstEntry = head.Head = head.Tail = SNAP_RING_HEAD_BYTES;
    StoreSnapRingHead(ring_, head);
}

uint32_t SnapshotRingWriter::EntryBytes(uint32_t sectors)
{
    const uint32_t bytes = SNAP_ENTRY_HEAD_BYTES + sectors * kRingSector;
    return (bytes + kEntryAlignment - 1) / kEntryAlignment * kEntryAlignment;
}

uint32_t SnapshotRingWriter::Count() const { return LoadSnapRingHead(ring_).Count; }

bool SnapshotRingWriter::FindRoom(uint32_t bytes, uint32_t& offset) const
{
    const SnapRingHead head = LoadSnapRingHead(ring_);
    const uint64_t first = head.FirstEntry;
    if (head.Count == 0) {
        offset = head.FirstEntry;
        return first + bytes <= size_;
    }
    const uint64_t tailEnd = uint64_t{head.Tail} + LoadSnapRingEntry(ring_ + head.Tail).Size;
    if (head.Head <= head.Tail) {
        // Live entries from head to the tail's end: room after them, or from the start.
        if (tailEnd + bytes <= size_) {
            offset = static_cast<uint32_t>(tailEnd);
            return true;
        }
        offset = head.FirstEntry;
        return first + bytes <= head.Head;
    }
    // Wrapped: room only between the tail's end and the head.
    offset = static_cast<uint32_t>(tailEnd);
    return tailEnd + bytes <= head.Head;
}

bool SnapshotRingWriter::Append(uint64_t firstSector, uint32_t sectors, const unsigned char* data)
{
    const uint32_t bytes = EntryBytes(sectors);
    uint32_t offset = 0;
    if (!FindRoom(bytes, offset))
        return false;
    SnapRingHead head = LoadSnapRingHead(ring_);
    SnapRingEntry entry;
    entry.FirstSector = firstSector;
    entry.SectorCount = sectors;
    entry.Size = bytes;
    entry.DataOffset = SNAP_ENTRY_HEAD_BYTES;
    entry.Previous = head.Count != 0 ? head.Tail : 0;
    entry.Next = 0;
    StoreSnapRingEntry(ring_ + offset, entry);
    std::memcpy(ring_ + offset + SNAP_ENTRY_HEAD_BYTES, data, static_cast<size_t>(sectors) * kRingSector);
    if (head.Count != 0)
        StoreLE32(ring_ + head.Tail + SNAP_ENTRY_NEXT, offset);
    else
        head.Head = offset;
    head.Tail = offset;
    ++head.Count;
    head.BytesInUse += bytes;
    StoreSnapRingHead(ring_, head);
    return true;
}
