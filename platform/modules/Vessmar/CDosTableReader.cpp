#include "CDosTableReader.h"

#include <algorithm>
#include <cstdlib>
#include <libfdisk/libfdisk.h>

#include "CExtendedChain.h"
#include "CGptHeaderCheck.h"
#include "FdiskContext.h"
#include "MbrPartitionRecord.h"

DosTable CDosTableReader::Read(const std::string& path, uint32_t sectorsPerTrack)
{
    DosTable table;
    // A forged GPT header would make libfdisk size buffers from its figures: such a
    // disk cannot be trusted, and libfdisk never sees it.
    if (!CGptHeaderCheck::EntryArraysAreSane(path)) {
        table.kind = DiskLabelKind::Unreadable;
        return table;
    }
    FdiskContext fdisk(FdiskContext::Release::WithoutFlush);
    if (fdisk.cxt == nullptr || fdisk_assign_device(fdisk.cxt, path.c_str(), 1) != 0) {
        table.kind = DiskLabelKind::Unreadable;
        return table;
    }
    if (!fdisk_has_label(fdisk.cxt))
        return table;
    if (fdisk_is_labeltype(fdisk.cxt, FDISK_DISKLABEL_GPT)) {
        table.kind = DiskLabelKind::Gpt;
        return table;
    }
    if (!fdisk_is_labeltype(fdisk.cxt, FDISK_DISKLABEL_DOS)) {
        table.kind = DiskLabelKind::Other;
        return table;
    }
    table.kind = DiskLabelKind::Dos;
    char* id = nullptr;
    if (fdisk_get_disklabel_id(fdisk.cxt, &id) == 0 && id != nullptr)
        table.labelId = id;
    std::free(id);

    fdisk_table* tb = nullptr;
    if (fdisk_get_partitions(fdisk.cxt, &tb) != 0) {
        table.kind = DiskLabelKind::Unreadable;
        return table;
    }
    fdisk_iter* it = fdisk_new_iter(FDISK_ITER_FORWARD);
    fdisk_partition* pa = nullptr;
    while (it != nullptr && fdisk_table_next_partition(tb, it, &pa) == 0) {
        if (!fdisk_partition_is_used(pa) || !fdisk_partition_has_start(pa) || !fdisk_partition_has_size(pa))
            continue;
        const fdisk_parttype* type = fdisk_partition_get_type(pa);
        const unsigned code = type != nullptr ? fdisk_parttype_get_code(type) : 0;
        const size_t partno = fdisk_partition_get_partno(pa);
        if (fdisk_partition_is_container(pa) || (partno < 4 && IsExtendedType(code))) {
            table.extended.present = true;
            table.extended.slot = static_cast<unsigned>(partno);
            table.extended.start = fdisk_partition_get_start(pa);
            table.extended.count = fdisk_partition_get_size(pa);
            table.extended.type = code;
            continue;
        }
        const uint64_t start = fdisk_partition_get_start(pa);
        if (partno >= 4) {
            // A chain that links back to an earlier record repeats its partitions: keep
            // each once, and remember that the table is damaged.
            bool repeated = false;
            for (const DosPartition& seen : table.partitions)
                repeated = repeated || (!seen.primary && seen.start == start);
            if (repeated) {
                table.damaged = true;
                continue;
            }
        }
        DosPartition p;
        p.start = start;
        p.count = fdisk_partition_get_size(pa);
        p.type = code;
        p.active = fdisk_partition_is_bootable(pa) != 0;
        p.primary = partno < 4;
        p.slot = p.primary ? static_cast<unsigned>(partno) : 0;
        p.slotStart = p.primary && p.start <= sectorsPerTrack ? 0 : p.start;
        table.partitions.push_back(p);
    }
    fdisk_free_iter(it);
    fdisk_unref_table(tb);

    if (table.extended.present) {
        const std::vector<CExtendedChain::Link> chain =
            CExtendedChain::Read(path, table.extended.start, table.extended.count);
        for (DosPartition& p : table.partitions) {
            if (p.primary)
                continue;
            for (const CExtendedChain::Link& link : chain) {
                if (link.partitionStart == p.start && link.recordSector < p.start)
                    p.slotStart = link.recordSector;
            }
        }
    }
    std::sort(table.partitions.begin(), table.partitions.end(),
              [](const DosPartition& a, const DosPartition& b) { return a.start < b.start; });
    return table;
}
