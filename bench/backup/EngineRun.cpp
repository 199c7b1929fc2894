#include "EngineRun.h"

#include <chrono>
#include <thread>
#include <vector>

#include "ICensa.h"
#include "ListedPartitions.h"
#include "IKSBackup.h"

namespace {
unsigned long RefuseMessages(void*, unsigned long, void*)
{
    return 1;
}
}

uint32_t PartitionIndexAt(uint64_t startSector)
{
    return ListedPartitionAt(0, startSector);
}

unsigned long RunEngineBackup(const std::string& image, uint32_t partition, uint32_t level)
{
    _KS_BACKUP_OPTION options{};
    options.Size = KS_BACKUP_OPTION_SIZE;
    options.CompressLevel = level;
    options.StorageType = KS_STORAGE_FILE;
    KSFieldFromWide(std::wstring(image.begin(), image.end()), options.ImagePath, KS_BACKUP_PATH_CHARS);
    _KS_VOLUME_ITEM item{};
    item.DiskNumber = 0;
    item.PartitionNumber = partition;
    std::vector<unsigned char> source(KS_BACKUP_SOURCE_HEAD_SIZE + KS_VOLUME_ITEM_SIZE);
    KSBackupSourceToBytes({static_cast<uint32_t>(source.size()), 0, 0, 0, 1}, source.data());
    KSVolumeItemToBytes(item, source.data() + KS_BACKUP_SOURCE_HEAD_SIZE);

    void* object = nullptr;
    unsigned long rc = KSCreateObjectBk(1, KS_BACKUP_KIND, &object);
    if (rc != 0)
        return rc;
    IKSBackup* backup = static_cast<IKSBackup*>(object);
    if ((rc = backup->SetBackupOption(&options)) != 0 ||
        (rc = backup->SetBackupSource(reinterpret_cast<const _KS_BACKUP_SOURCE*>(source.data()))) != 0 ||
        (rc = backup->SetCallBack(RefuseMessages, nullptr)) != 0 || (rc = backup->Execute()) != 0) {
        backup->Release();
        return rc;
    }
    _KS_PROGRESS_INFO progress{};
    for (;;) {
        backup->GetBackupProgress(&progress, sizeof(progress));
        if (progress.State == KS_BACKUP_STATE_FINISHED)
            break;
        // Short polls: the run's end is seen within a few milliseconds of a run that
        // takes tens of seconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    backup->Release();
    return progress.Result;
}
