// A clone from one disk of the disk map to another: a partition copied sector by
// sector or by file system, and the boot track copied under the target's own
// signature and table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "CRawDisk.h"
#include "CVolumeRestorer.h"
#include "KSResult.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
constexpr unsigned kKeptOffset = 440;       // signature, table and boot mark: 72 bytes
constexpr unsigned kKeptBytes = 72;
constexpr unsigned long kChunkSectors = 1024;

bool OpenDisk(CRawDisk& disk, unsigned number)
{
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", number);
    return disk.Open(name);
}
}

unsigned long CVolumeRestorer::RunClone(const _KS_RESTORE_TARGET& source, const _KS_RESTORE_TARGET& target,
                                        uint32_t option)
{
    CRestoreProgress& progress = engine_.Progress();
    progress.liveRefresh = 0;
    CRawDisk to;
    if (!OpenDisk(to, target.DiskNumber))
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (index_ == 0) {
        // The run's first operation blanks the target's boot code; the signature and
        // the partition table written for the clone stay, so a run that ends before
        // its boot-track item still leaves the target's partitions. The bytes the boot
        // track keeps are taken before.
        unsigned char sector[512] = {};
        if (!to.Read(sector, 0, 1))
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        engine_.KeepBootTail(sector + kKeptOffset);
        std::memset(sector, 0, kKeptOffset);
        if (!to.Write(sector, 0, 1))
            return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    }
    CRawDisk from;
    if (!OpenDisk(from, source.DiskNumber))
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    if (source.FirstSector == 0 && target.FirstSector == 0) {
        const uint64_t sourceCount = source.SectorCount, targetCount = target.SectorCount;
        uint64_t count = std::min(sourceCount, targetCount);
        if (count >= 64)
            count = KS_RESTORE_BOOT_TRACK_SECTORS;
        if (count == 0)
            return 0;
        std::vector<unsigned char> track(count * 512);
        if (!from.Read(track.data(), 0, static_cast<unsigned long>(count)))
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        unsigned char kept[kKeptBytes];
        if (!engine_.KeptBootTail(kept)) {
            unsigned char sector[512];
            if (!to.Read(sector, 0, 1))
                return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
            std::memcpy(kept, sector + kKeptOffset, kKeptBytes);
        }
        std::memcpy(track.data() + kKeptOffset, kept, kKeptBytes);
        if (!to.Write(track.data(), 0, static_cast<unsigned long>(count)))
            return KS_RESULT(KS_MODULE_RESTORE, kDiskOffline);
        return 0;
    }
    if (option == 0)
        return CloneByFileSystem(source, target);
    // Every sector of the source, never past the target's end.
    if (target.SectorCount < source.SectorCount)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_BAD_ARGUMENT);
    std::vector<unsigned char> chunk(kChunkSectors * 512);
    progress.liveRefresh = 1;
    progress.ResetSectorCounter();
    for (uint64_t done = 0; done < source.SectorCount;) {
        if (progress.cancel.load() != 0)
            return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
        const unsigned long n = static_cast<unsigned long>(std::min<uint64_t>(kChunkSectors, source.SectorCount - done));
        if (!from.Read(chunk.data(), source.FirstSector + done, n))
            return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
        if (!to.Write(chunk.data(), target.FirstSector + done, n))
            return KS_RESULT(KS_MODULE_RESTORE, kDiskOffline);
        progress.AddSectorsWritten(n, source.SectorCount);
        done += n;
    }
    return 0;
}
