#include "CDosTableWriter.h"

#include <algorithm>
#include <libfdisk/libfdisk.h>

#include "CDosTableReader.h"
#include "FdiskContext.h"

namespace {

bool AddPartition(fdisk_context* cxt, size_t partno, uint64_t start, uint64_t count, unsigned type)
{
    fdisk_partition* pa = fdisk_new_partition();
    if (pa == nullptr)
        return false;
    fdisk_label* label = fdisk_get_label(cxt, nullptr);
    fdisk_parttype* known = fdisk_label_get_parttype_from_code(label, type);
    fdisk_parttype* unknown = known == nullptr ? fdisk_new_unknown_parttype(type, nullptr) : nullptr;
    fdisk_partition_set_partno(pa, partno);
    fdisk_partition_set_start(pa, start);
    fdisk_partition_set_size(pa, count);
    fdisk_partition_set_type(pa, known != nullptr ? known : unknown);
    size_t got = 0;
    const int rc = fdisk_add_partition(cxt, pa, &got);
    fdisk_unref_partition(pa);
    if (unknown != nullptr)
        fdisk_unref_parttype(unknown);
    return rc == 0 && got == partno;
}

// Builds the table in the context (nothing is written yet).
bool Build(fdisk_context* cxt, const DosTable& table, bool hasDosLabel, bool tightRecords, std::string& reason)
{
    if (hasDosLabel) {
        if (fdisk_delete_all_partitions(cxt) != 0) {
            reason = "cannot clear the old table";
            return false;
        }
    } else {
        if (fdisk_create_disklabel(cxt, "dos") != 0) {
            reason = "cannot create a DOS label";
            return false;
        }
        if (!table.labelId.empty())
            fdisk_set_disklabel_id_from_string(cxt, table.labelId.c_str());
    }
    for (const DosPartition& p : table.partitions) {
        if (p.primary && !AddPartition(cxt, p.slot, p.start, p.count, p.type)) {
            reason = "primary partition refused";
            return false;
        }
    }
    if (table.extended.present &&
        !AddPartition(cxt, table.extended.slot, table.extended.start, table.extended.count, table.extended.type)) {
        reason = "extended partition refused";
        return false;
    }
    // libfdisk puts each later extended boot record first_lba sectors before its
    // partition: a track in the DOS-compatible layout, one sector for tight records.
    if (tightRecords)
        fdisk_set_first_lba(cxt, 1);
    size_t logical = 4;
    for (const DosPartition& p : table.partitions) {
        if (p.primary)
            continue;
        if (!AddPartition(cxt, logical++, p.start, p.count, p.type)) {
            reason = "logical partition refused";
            return false;
        }
    }
    for (const DosPartition& p : table.partitions) {
        if (p.primary && p.active && fdisk_toggle_partition_flag(cxt, p.slot, DOS_FLAG_ACTIVE) != 0) {
            reason = "active flag refused";
            return false;
        }
    }
    return true;
}

bool SameLayout(const DosTable& a, const DosTable& b)
{
    if (a.partitions.size() != b.partitions.size() || a.extended.present != b.extended.present)
        return false;
    if (a.extended.present && (a.extended.start != b.extended.start || a.extended.count != b.extended.count))
        return false;
    for (size_t i = 0; i < a.partitions.size(); ++i) {
        const DosPartition& x = a.partitions[i];
        const DosPartition& y = b.partitions[i];
        if (x.start != y.start || x.count != y.count || x.type != y.type || x.primary != y.primary ||
            (x.primary && x.active != y.active))
            return false;
    }
    return true;
}

} // namespace

bool CDosTableWriter::Write(const std::string& path, const DosTable& table, uint32_t heads, uint32_t sectorsPerTrack,
                            std::string& reason)
{
    if (table.kind == DiskLabelKind::Gpt || table.kind == DiskLabelKind::Other ||
        table.kind == DiskLabelKind::Unreadable) {
        reason = "not a DOS partition table";
        return false;
    }
    DosTable sorted = table;
    std::sort(sorted.partitions.begin(), sorted.partitions.end(),
              [](const DosPartition& a, const DosPartition& b) { return a.start < b.start; });
    // The DOS-compatible layout puts each later extended boot record one track before its
    // partition. Where a logical partition has less room than that in front of it (its
    // record closer to it, as other tools lay them out), the track before it belongs to
    // the partition in front: the table is then written with every later record right
    // before its partition, which never reaches into another partition.
    bool written = false;
    for (int tightRecords = 0; tightRecords <= 1 && !written; ++tightRecords) {
        FdiskContext fdisk(FdiskContext::Release::Flushed);
        if (fdisk.cxt == nullptr) {
            reason = "out of memory";
            return false;
        }
        fdisk_dos_enable_compatible(fdisk_get_label(fdisk.cxt, "dos"), 1);
        if (fdisk_assign_device(fdisk.cxt, path.c_str(), 0) != 0) {
            reason = "cannot open the disk for writing";
            return false;
        }
        fdisk_save_user_geometry(fdisk.cxt, 0, heads, sectorsPerTrack);
        fdisk_reset_alignment(fdisk.cxt);
        const bool hasDosLabel = fdisk_has_label(fdisk.cxt) && fdisk_is_labeltype(fdisk.cxt, FDISK_DISKLABEL_DOS);
        if (!Build(fdisk.cxt, sorted, hasDosLabel, tightRecords != 0, reason))
            continue; // nothing written: the context is dropped unwritten
        if (fdisk_write_disklabel(fdisk.cxt) != 0) {
            reason = "writing the table failed";
            return false;
        }
        written = true;
    }
    if (!written)
        return false;
    const DosTable back = CDosTableReader::Read(path, sectorsPerTrack);
    if (back.kind != DiskLabelKind::Dos || !SameLayout(sorted, back)) {
        reason = "the table read back differs";
        return false;
    }
    return true;
}
