// BootIni_*: the restored system's boot.ini is read when the restore engine names
// the new place, rewritten in memory, and written back when the engine asks.
#include <mutex>
#include <string>
#include <vector>

#include "BootIniEdit.h"
#include "BootIniFile.h"
#include "Vovav.h"
#include "VolumeRoot.h"
#include "VovavExport.h"
#include "VovavRecords.h"

namespace {

struct PendingBootIni {
    std::string root;
    std::string original;
    std::string edited;
};

std::mutex pendingLock;
PendingBootIni pending;

// The boot-list number (from 1) of the partition that starts at first; 0 when none.
unsigned PartitionNumber(unsigned long disk, uint64_t first)
{
    unsigned long arc[KS_ARC_WORDS] = {};
    return BootIni_GetArcInfo(disk, first, arc) == 0 ? static_cast<unsigned>(arc[KS_ARC_PARTITION]) : 0;
}

} // namespace

extern "C" VOVAV_EXPORT unsigned long BootIni_SetOptPart(unsigned long, const unsigned char* record)
{
    std::lock_guard<std::mutex> guard(pendingLock);
    pending = PendingBootIni{};
    if (record == nullptr)
        return 1;
    const KSBootIniOption option = KSLoadBootIniOption(record);
    const std::string root = VolumeRootOf(option.letter, option.volumePath, KS_BOOTINI_PATH_CHARS);
    if (root.empty() || !ReadBootIni(root, pending.original))
        return 1;
    pending.root = root;
    pending.edited = pending.original;
    const ArcPlace to{option.disk, PartitionNumber(option.disk, option.firstSector)};
    if (to.partition == 0)
        return 0;
    if (option.oldArc == KS_ARC_UNKNOWN) {
        RewriteArcPaths(pending.edited, nullptr, to);
    } else {
        const ArcPlace from{(option.oldArc >> 8) & 0xFF, (option.oldArc >> 16) & 0xFF};
        RewriteArcPaths(pending.edited, &from, to);
    }
    return 0;
}

extern "C" VOVAV_EXPORT bool BootIni_IsUpdated()
{
    std::lock_guard<std::mutex> guard(pendingLock);
    return !pending.root.empty() && pending.edited != pending.original;
}

extern "C" VOVAV_EXPORT unsigned long BootIni_UpdateFile()
{
    std::lock_guard<std::mutex> guard(pendingLock);
    if (pending.root.empty())
        return 1;
    if (pending.edited == pending.original)
        return 0;
    if (!WriteBootIni(pending.root, pending.edited))
        return 1;
    pending.original = pending.edited;
    return 0;
}
