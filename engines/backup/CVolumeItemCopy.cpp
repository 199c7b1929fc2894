// The copy steps of a volume: the sectors before it, the file-system data and the
// used data by the volume bitmap, and the snapshot client's preserved blocks.
#include "CVolumeItem.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "BackupTrace.h"
#include "IKSDevIO.h"
#include "IKSQuelm.h"
#include "KSResult.h"

namespace {
constexpr uint32_t kChunkBytes = 0x10000;
constexpr unsigned kReadTries = 5;
constexpr DWORD kRetryPauseMs = 200;
constexpr unsigned long kPreviousSectors = 63;
constexpr unsigned long kSystemAreaPiece = 128;
}

unsigned long CVolumeItem::BackupPreviousSectors()
{
    DebugPrint("Backup previous sectors.");
    std::vector<uint8_t> buffer(kChunkBytes);
    unsigned long rc = ReadRaw(0, kPreviousSectors, buffer.data());
    if (KSFailed(rc))
        return Fail(KS_TRACE(rc));
    rc = CallBack(0ull - kPreviousSectors, kPreviousSectors, buffer.data(), KS_VOLUME_WRITE_SECTORS);
    return Fail(KS_TRACE(rc));
}

unsigned long CVolumeItem::BackupFileSystemData(_KS_FILTERS_HEAD* filters)
{
    DebugPrint("Backup file system data.");
    unsigned long rc;
    if (fsReader_ != nullptr && sectorBySector_ == 0) {
        Report(KS_VOLUME_STATE_FILE_SYSTEM, ~0ull, ~0ul);
        if (KSFailed(rc = fsReader_->WalkThroughVolume(filters)))
            return Fail(KS_TRACE(rc));
        return Fail(KS_TRACE(fsReader_->WriteSpecialInfo()));
    }
    // Each area on its own: the reserved sectors, the FAT copies, the root directory.
    std::vector<uint8_t> buffer(kSystemAreaPiece * 512);
    const uint64_t fats = static_cast<uint64_t>(volume_.NumberOfFats) * volume_.SectorsPerFat;
    const uint64_t areas[3][2] = {{0, volume_.ReservedSectors},
                                  {volume_.ReservedSectors, fats},
                                  {volume_.ReservedSectors + fats, volume_.RootDirSectors}};
    for (const auto& area : areas) {
        const uint64_t end = area[0] + area[1];
        for (uint64_t sector = area[0]; sector < end;) {
            const unsigned long count =
                static_cast<unsigned long>(std::min<uint64_t>(kSystemAreaPiece, end - sector));
            if (KSFailed(rc = ReadSectors(sector, count, buffer.data())) ||
                KSFailed(rc = CallBack(sector, count, buffer.data(), KS_VOLUME_WRITE_SECTORS)))
                return Fail(KS_TRACE(rc));
            sector += count;
        }
    }
    return Fail(0);
}

// Finds the next pending run from position (at most run sectors, clipped to end) and
// reads it into buffer. Finding, reading and marking the run copied are one step
// against the preserved-block callback: a block the callback has taken is never read
// again (the driver may already give its current data there), and the callback never
// takes a block this step is reading. A failed read is tried five times, 200 ms apart,
// and each try looks for the run again, so blocks the callback took during a pause
// are left out. False when nothing is pending; rc holds the read's result.
bool CVolumeItem::ReadNextRun(uint64_t& position, uint32_t& run, uint64_t end, void* buffer, unsigned long& rc)
{
    const uint32_t most = run;
    for (unsigned attempt = 1;; ++attempt) {
        {
            std::lock_guard<std::mutex> hold(copyLock_);
            run = most;
            if (!pending_.FindNextRun(position, run))
                return false;
            if (stop_.load() != 0) {
                rc = KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_CANCELLED));
                return true;
            }
            run = static_cast<uint32_t>(std::min<uint64_t>(run, end - position));
            rc = ReadVolumeSectors(position, run, buffer, 0);
            if (KSSucceeded(rc)) {
                pending_.Clear(position, run);
                return true;
            }
        }
        Sleep(kRetryPauseMs);
        DebugPrint("ReadVolume %llu, %u. retry %u.", static_cast<unsigned long long>(position), run, attempt);
        if (attempt == kReadTries)
            return true;
    }
}

unsigned long CVolumeItem::BackupByBitmap()
{
    DebugPrint("Backup data according to volume bitmap.");
    Report(KS_VOLUME_STATE_BITMAP, ~0ull, ~0ul);
    std::vector<uint8_t> chunk;
    try {
        chunk.assign(kChunkBytes, 0);
    } catch (const std::bad_alloc&) {
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY)));
    }
    const uint64_t toCopy = SectorsToCopy();
    const uint64_t bitmapBytes = volume_.BitmapSize;
    std::vector<uint8_t> bitmap;
    try {
        bitmap.assign(static_cast<size_t>(bitmapBytes), 0xFF);
    } catch (const std::bad_alloc&) {
        return Fail(KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_NO_MEMORY)));
    }
    unsigned long rc;
    if (fsReader_ != nullptr && sectorBySector_ == 0) {
        unsigned long long firstBit = 0;
        unsigned long bits = static_cast<unsigned long>(bitmapBytes * 8);
        if (KSFailed(rc = fsReader_->GetBitMap(bitmap.data(), &firstBit, &bits)))
            return Fail(KS_TRACE(rc));
    }
    const uint64_t start = DataAreaStart();
    const uint64_t end = VolumeTotalSectors();
    if (KSFailed(rc = pending_.Init(start, std::max(start, end), volume_.SectorsPerCluster, bitmapBytes,
                                    bitmap.data())))
        return Fail(KS_TRACE(rc));
    if (snapshot_ != nullptr) {
        urgentAttached_ = true;
        snapshot_->SetCallBack(this, OnUrgentBlock);
    }

    const uint32_t bytesPerSector = volume_.BytesPerSector != 0 ? volume_.BytesPerSector : 512;
    const uint32_t chunkSectors = kChunkBytes / bytesPerSector;
    uint64_t position = start;
    uint64_t done = 0;
    rc = 0;
    for (;;) {
        uint32_t run = chunkSectors;
        if (!ReadNextRun(position, run, end, chunk.data(), rc)) {
            rc = 0;
            break;
        }
        if (KSResultKind(rc) == KS_KIND_CANCELLED)
            break;
        if (KSFailed(rc)) {
            const uint32_t pending = pending_.CountPending(position, run);
            if (pending == 0) {
                DebugPrint("%llu, %u. Ignore reading error. Data have been writed through urgent callback.",
                           static_cast<unsigned long long>(position), run);
                position += run;
                rc = 0;
                continue;
            }
            if (pending < run) {
                DebugPrint("%llu, %u. Ignore reading error. Some data have been writed through urgent callback.",
                           static_cast<unsigned long long>(position), run);
                rc = 0;
                continue;
            }
            DebugPrint("%llu, %u. Reading error.", static_cast<unsigned long long>(position), run);
            KS_TRACE(rc);
            break;
        }
        if (KSFailed(rc = CallBack(position, run, chunk.data(), KS_VOLUME_WRITE_CLUSTERS))) {
            KS_TRACE(rc);
            break;
        }
        done += run;
        // A volume whose used count is at or below its data area has nothing to divide by.
        const uint64_t percent = toCopy == 0 ? 100 : std::min<uint64_t>(100, done * 100 / toCopy);
        Report(KS_VOLUME_STATE_BITMAP, static_cast<uint64_t>(run) * bytesPerSector,
               static_cast<unsigned long>(percent));
        position += run;
    }
    urgentAttached_ = false;
    if (snapshot_ != nullptr)
        snapshot_->SetCallBack(nullptr, nullptr);
    return Fail(rc);
}

unsigned long CVolumeItem::OnUrgentBlock(void* context, unsigned long long firstSector, unsigned long count,
                                         void* data)
{
    CVolumeItem* self = static_cast<CVolumeItem*>(context);
    if (self->stop_.load() != 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_CANCELLED));
    const uint64_t start = self->pending_.First();
    if (firstSector + count <= start)
        return 0;
    const uint32_t bytesPerSector = self->volume_.BytesPerSector != 0 ? self->volume_.BytesPerSector : 512;
    unsigned char* bytes = static_cast<unsigned char*>(data);
    if (firstSector < start) {
        const uint64_t cut = start - firstSector;
        bytes += cut * bytesPerSector;
        count -= static_cast<unsigned long>(cut);
        firstSector = start;
    }
    const uint32_t block = self->pending_.BlockSize();
    if (!self->pending_.Ready() || data == nullptr || (firstSector - start) % block != 0 || count % block != 0)
        return KS_TRACE(KS_RESULT(KS_MODULE_BACKUP, KS_KIND_BAD_ARGUMENT));
    const uint64_t end = firstSector + count;
    uint64_t position = firstSector;
    // Held while the runs are found, written and marked copied: the bitmap step never
    // reads one of them in between.
    std::lock_guard<std::mutex> hold(self->copyLock_);
    while (position < end) {
        uint32_t run = static_cast<uint32_t>(end - position);
        if (!self->pending_.FindNextRun(position, run) || position >= end)
            break;
        run = static_cast<uint32_t>(std::min<uint64_t>(run, end - position));
        const unsigned long rc = self->CallBack(position, run, bytes + (position - firstSector) * bytesPerSector,
                                                KS_VOLUME_WRITE_PRESERVED);
        if (KSFailed(rc))
            return KS_TRACE(rc);
        self->pending_.Clear(position, run);
        position += run;
    }
    return 0;
}

void CVolumeItem::PauseUrgentBlocks()
{
    if (snapshot_ != nullptr && urgentAttached_)
        snapshot_->SetCallBack(nullptr, nullptr);
}

void CVolumeItem::ResumeUrgentBlocks()
{
    if (snapshot_ != nullptr && urgentAttached_)
        snapshot_->SetCallBack(this, OnUrgentBlock);
}

void CVolumeItem::CloseSnapshot()
{
    urgentAttached_ = false;
    if (snapshot_ == nullptr)
        return;
    snapshot_->SetCallBack(nullptr, nullptr);
    snapshotRunning_.store(false);
    snapshotReads_.store(false);
    snapshot_->Close();
}

unsigned long CVolumeItem::CheckFileSystem()
{
    if (fsReader_ == nullptr) {
        const unsigned long rc = OpenFileSystemReader(&fsReader_);
        if (KSFailed(rc))
            return Fail(rc);
    }
    return Fail(fsReader_->CheckFileSystem());
}
