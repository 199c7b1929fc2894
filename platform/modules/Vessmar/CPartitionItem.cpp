#include "CPartitionItem.h"

#include <KSPlatformControl.h>
#include <KSPlatformVolumes.h>
#include <fcntl.h>
#include <unistd.h>

#include "CDiskItem.h"
#include "CDiskMap.h"
#include "InterfaceKey.h"
#include "KSResult.h"
#include "RunningSystemMounts.h"
#include "VessmarLock.h"

CPartitionItem::CPartitionItem(CDiskItem* disk, const DosPartition& partition, const FileSystemInfo& fileSystem)
    : disk_(disk), partition_(partition), fileSystem_(fileSystem), free_(false)
{
    disk_->Hold();
}

CPartitionItem::CPartitionItem(CDiskItem* disk, uint64_t start, uint64_t count, bool insideExtended)
    : disk_(disk), free_(true)
{
    partition_.start = start;
    partition_.slotStart = start;
    partition_.count = count;
    partition_.type = 0;
    partition_.primary = !insideExtended;
    disk_->Hold();
}

CPartitionItem::~CPartitionItem() { disk_->Unhold(); }

IObject* CPartitionItem::GetInterface(const char* key)
{
    VessmarGuard guard(VessmarLock());
    if (IsKeyOf<IManagerItem>(key))
        return static_cast<IManagerItem*>(this);
    if (IsKeyOf<IPartitionEntry>(key))
        return static_cast<IPartitionEntry*>(this);
    if (free_)
        return nullptr;
    if (IsKeyOf<IPartitionEntryEditor>(key))
        return static_cast<IPartitionEntryEditor*>(this);
    if (IsKeyOf<IFileSystemPartition>(key))
        return static_cast<IFileSystemPartition*>(this);
    if (IsKeyOf<IFileSystemPartitionEditor>(key))
        return static_cast<IFileSystemPartitionEditor*>(this);
    if (IsKeyOf<IFileSystemPartitionExtendInfo>(key))
        return static_cast<IFileSystemPartitionExtendInfo*>(this);
    if (IsKeyOf<IFileSystemPartitionExtendInfoEditor>(key))
        return static_cast<IFileSystemPartitionExtendInfoEditor*>(this);
    if (IsKeyOf<IPartitionBootInfo>(key))
        return static_cast<IPartitionBootInfo*>(this);
    if (IsKeyOf<IVolumeEntryInfo>(key))
        return static_cast<IVolumeEntryInfo*>(this);
    return nullptr;
}

unsigned long CPartitionItem::Release()
{
    VessmarGuard guard(VessmarLock());
    return ReleaseCallerRef();
}

unsigned long CPartitionItem::AddRef()
{
    VessmarGuard guard(VessmarLock());
    return AddCallerRef();
}

IManagerItem* CPartitionItem::GetParent()
{
    VessmarGuard guard(VessmarLock());
    return disk_;
}

unsigned long long CPartitionItem::GetStartSector()
{
    VessmarGuard guard(VessmarLock());
    return partition_.start;
}

unsigned long long CPartitionItem::GetSectorCount()
{
    VessmarGuard guard(VessmarLock());
    return partition_.count;
}

unsigned long long CPartitionItem::GetHiddenSectors()
{
    VessmarGuard guard(VessmarLock());
    return free_ ? 0 : partition_.start - partition_.slotStart;
}

bool CPartitionItem::IsActive()
{
    VessmarGuard guard(VessmarLock());
    return !free_ && partition_.active;
}

bool CPartitionItem::IsPrimary()
{
    VessmarGuard guard(VessmarLock());
    return partition_.primary;
}

unsigned int CPartitionItem::GetPartitionType()
{
    VessmarGuard guard(VessmarLock());
    return free_ ? 0 : partition_.type;
}

unsigned long CPartitionItem::SetActive(bool active)
{
    VessmarGuard guard(VessmarLock());
    return disk_->SetActive(this, active);
}

unsigned long CPartitionItem::SetPartitionType(unsigned int id)
{
    VessmarGuard guard(VessmarLock());
    return disk_->SetPartitionType(this, id);
}

const char* CPartitionItem::GetVolumeLabel()
{
    VessmarGuard guard(VessmarLock());
    return fileSystem_.label.c_str();
}

enumFILE_SYSTEM_TYPE CPartitionItem::GetFileSystemType()
{
    VessmarGuard guard(VessmarLock());
    return fileSystem_.kind;
}

unsigned long long CPartitionItem::GetVolumeSerial()
{
    VessmarGuard guard(VessmarLock());
    return fileSystem_.serial;
}

unsigned long long CPartitionItem::GetUsedSectors()
{
    VessmarGuard guard(VessmarLock());
    return useCallerUsed_ ? usedFromCaller_ : fileSystem_.usedSectors;
}

int CPartitionItem::GetSectorsPerCluster()
{
    VessmarGuard guard(VessmarLock());
    return fileSystem_.sectorsPerCluster;
}

uint32_t CPartitionItem::GetReservedSectors()
{
    VessmarGuard guard(VessmarLock());
    return fileSystem_.reservedSectors;
}

unsigned long CPartitionItem::SetUsedSectors(unsigned long long used)
{
    VessmarGuard guard(VessmarLock());
    if (used > partition_.count)
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    usedFromCaller_ = used;
    haveCallerUsed_ = true;
    useCallerUsed_ = true;
    return 0;
}

unsigned long CPartitionItem::SetUsedSectorsSource(unsigned long source)
{
    VessmarGuard guard(VessmarLock());
    if (source == USED_SECTORS_FROM_CALLER) {
        // Without a figure of the caller's (none set, or the one set was refused) the
        // measured one stands: answering 0 used sectors would pass any size check.
        if (!haveCallerUsed_)
            return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
        useCallerUsed_ = true;
        return 0;
    }
    if (source == USED_SECTORS_MEASURED) {
        useCallerUsed_ = false;
        return 0;
    }
    return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
}

// The two boot answers say whether the partition cannot be locked because the running
// machine works from it; a boot sector alone locks nothing.
bool CPartitionItem::HasBootRecord()
{
    VessmarGuard guard(VessmarLock());
    return RunningSystemMounts().RoleOf(disk_->Entry(), partition_.start).system;
}

bool CPartitionItem::IsSystemPartition()
{
    VessmarGuard guard(VessmarLock());
    return RunningSystemMounts().RoleOf(disk_->Entry(), partition_.start).bootFiles;
}

unsigned long CPartitionItem::ReadBootSector(void* buffer, unsigned long count)
{
    VessmarGuard guard(VessmarLock());
    if (buffer == nullptr || count == 0 || count > partition_.count)
        return 0;
    const int fd = open(disk_->Path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const ssize_t got = pread(fd, buffer, static_cast<size_t>(count) * 512, static_cast<off_t>(partition_.start * 512));
    close(fd);
    return got > 0 ? static_cast<unsigned long>(got / 512) : 0;
}

unsigned long CPartitionItem::WriteBootSector(const void* buffer, unsigned long count)
{
    VessmarGuard guard(VessmarLock());
    // Only a partition that is on the disk as it is now may have its sectors written.
    if (buffer == nullptr || count == 0 || count > partition_.count || !disk_->IsWrittenAsListed(this))
        return 0;
    const int fd = open(disk_->Path().c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const ssize_t put = pwrite(fd, buffer, static_cast<size_t>(count) * 512, static_cast<off_t>(partition_.start * 512));
    fsync(fd);
    close(fd);
    return put > 0 ? static_cast<unsigned long>(put / 512) : 0;
}

char CPartitionItem::GetDriveLetter()
{
    VessmarGuard guard(VessmarLock());
    // A volume that the platform's drive table names has that letter; otherwise the
    // letter recorded for a planned partition, if any.
    if (!free_) {
        const char fromTable = KSPlatformDriveLetterOfPath(disk_->Path(), partition_.start);
        if (fromTable != 0)
            return fromTable;
    }
    return letter_;
}

unsigned long CPartitionItem::SetDriveLetter(char letter)
{
    VessmarGuard guard(VessmarLock());
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter != 0 && (letter < 'A' || letter > 'Z'))
        return KS_RESULT(0, KS_KIND_BAD_ARGUMENT);
    letter_ = letter;
    return 0;
}

bool CPartitionItem::MapNumber(unsigned& disk) const
{
    // Only a partition that is on the disk as it is now has a volume.
    if (free_ || !disk_->IsWrittenAsListed(this))
        return false;
    for (const DiskMapEntry& entry : CDiskMap().Disks())
        if (entry.path == disk_->Path()) {
            disk = entry.number;
            return true;
        }
    return false;
}

unsigned long CPartitionItem::MountVolume()
{
    VessmarGuard guard(VessmarLock());
    unsigned disk = 0;
    if (!MapNumber(disk))
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    KSPlatformSetVolumeMounted(disk, partition_.start, true);
    return 0;
}

bool CPartitionItem::IsVolumeMounted(char)
{
    VessmarGuard guard(VessmarLock());
    unsigned disk = 0;
    return MapNumber(disk) && KSPlatformIsVolumeMounted(disk, partition_.start);
}

unsigned long CPartitionItem::UnmountVolume()
{
    VessmarGuard guard(VessmarLock());
    unsigned disk = 0;
    if (!MapNumber(disk))
        return KS_RESULT(0, KS_KIND_WRONG_OBJECT);
    KSPlatformSetVolumeMounted(disk, partition_.start, false);
    return 0;
}
