#include "CFSSupportNtfs.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "CFileRunListBuilder.h"
#include "CRecordAttributeReader.h"
#include "NtfsLayout.h"
#include "NtfsResultCodes.h"

namespace {
// Metadata moves to the write callback in chunks of at most this many sectors
// (10 MiB).
constexpr uint64_t kCopySectors = 20480;
constexpr uint64_t kSectorSize = 512;
} // namespace

CFSSupportNtfs::CFSSupportNtfs()
{
    std::memset(&volumeRecord_, 0, sizeof(volumeRecord_));
}

CFSSupportNtfs::~CFSSupportNtfs()
{
    Clear();
}

unsigned long CFSSupportNtfs::Release()
{
    delete this;
    return 0;
}

void CFSSupportNtfs::Clear()
{
    read_ = nullptr;
    write_ = nullptr;
    context_ = nullptr;
    initialised_ = false;
    fileSystem_ = KS_FS_OTHER;
    driveIO_.CloseDisk();
    driveIO_.LoadSetting(CHardDriveIOSetting());
    findFile_ = CFindFile();
    device_.reset();
    workingBitmap_.Free();
}

unsigned long CFSSupportNtfs::ReadSectors(unsigned long long firstSector, unsigned long count, void* buffer)
{
    if (read_ == nullptr)
        return NTFS_E_READ_NOT_INITIALISED;
    return read_(context_, firstSector, count, buffer);
}

unsigned long CFSSupportNtfs::WriteSectors(unsigned long long firstSector, unsigned long count, void* buffer,
                                           unsigned long)
{
    if (!initialised_ || write_ == nullptr)
        return NTFS_E_WRITE_NOT_INITIALISED;
    return write_(context_, firstSector, count, buffer, 0);
}

unsigned long CFSSupportNtfs::InitFileSystem(KS_READ_SECTORS_CALLBACK read, KS_WRITE_SECTORS_CALLBACK write,
                                             void* context)
{
    if (read == nullptr || write == nullptr || context == nullptr)
        return NTFS_E_INIT_ARGUMENT;
    Clear();
    read_ = read;
    write_ = write;
    context_ = context;

    unsigned long result = 0;
    device_.reset(new (std::nothrow) CVirtualDevice(read, context));
    if (device_ == nullptr) {
        result = NTFS_E_INIT_DEVICE;
    } else {
        driveIO_.LoadSetting(CHardDriveIOSetting(nullptr, device_.get()));
        if (!driveIO_.OpenDisk(driveNumber_))
            result = NTFS_E_INIT_DEVICE;
    }
    if (result == 0) {
        if (volume_.LoadNtfsVolume(&driveIO_, driveNumber_, 0))
            PrepareVolumeRecord();
        else
            result = NTFS_E_INIT_VOLUME;
    }
    CRecordAttributeReader attributes(&driveIO_, &volume_, &mft_);
    if (result == 0 && (!mft_.InitMFT(volume_) || !sourceMftBitmap_.Init(attributes)))
        result = NTFS_E_INIT_MFT;
    if (result == 0 &&
        (!sourceBitmap_.Init(attributes) ||
         !workingBitmap_.Init(sourceBitmap_.GetBitmap(), volume_.GetVolumeClusterCount())))
        result = NTFS_E_INIT_BITMAPS;
    if (result == 0 && (!badClusters_.Init(mft_) || !badClusters_.CheckValid(volume_)))
        result = NTFS_E_INIT_BAD_CLUSTERS;
    if (result != 0) {
        Clear();
        return result;
    }
    initialised_ = true;
    fileSystem_ = KS_FS_NTFS;
    return 0;
}

void CFSSupportNtfs::PrepareVolumeRecord()
{
    std::memset(&volumeRecord_, 0, sizeof(volumeRecord_));
    volumeRecord_.Magic = KS_VOLUME_MAGIC;
    volumeRecord_.Size = KS_VOLUME_SIZE;
    volumeRecord_.SectorsPerCluster = static_cast<uint16_t>(volume_.GetSectorsPerCluster());
    volumeRecord_.FileSystem = KS_FS_NTFS;
    volumeRecord_.BytesPerSector = 512;
    volumeRecord_.BitmapSize = static_cast<uint32_t>((volume_.GetVolumeClusterCount() + 7) / 8);
    volumeRecord_.TotalSectors = volume_.GetVolumeTotalSectorNumber();
}

unsigned long CFSSupportNtfs::GetFileSystem()
{
    return initialised_ ? fileSystem_ : static_cast<unsigned long>(KS_FS_OTHER);
}

unsigned long CFSSupportNtfs::GetBitMap(void* destination, unsigned long long* firstBit, unsigned long* bitCount)
{
    if (!initialised_)
        return NTFS_E_BITMAP_NOT_INITIALISED;
    if (firstBit == nullptr || bitCount == nullptr ||
        !workingBitmap_.CopyOut(destination, *firstBit, *bitCount))
        return NTFS_E_BITMAP_ARGUMENT;
    return 0;
}

unsigned long CFSSupportNtfs::GetVolumeInfo(_KS_VOLUME* volume)
{
    if (!initialised_)
        return NTFS_E_VOLUME_NOT_INITIALISED;
    if (volume == nullptr)
        return NTFS_E_VOLUME_ARGUMENT;
    std::memcpy(volume, &volumeRecord_, sizeof(_KS_VOLUME));
    return 0;
}

unsigned long CFSSupportNtfs::WalkThroughVolume(_KS_FILTERS_HEAD*)
{
    if (!initialised_)
        return NTFS_E_WALK_NOT_INITIALISED;
    const unsigned long result = LeaveOutRootFile(u"PAGEFILE.SYS");
    if (result != 0)
        return result;
    return LeaveOutRootFile(u"HIBERFIL.SYS");
}

unsigned long CFSSupportNtfs::LeaveOutRootFile(const std::u16string& name)
{
    unsigned long result = findFile_.InitDir(NTFS_FILE_ROOT, &volume_, &mft_, this);
    if (result != 0)
        return result;
    uint64_t reference = 0;
    bool found = false;
    result = findFile_.GetFileRecordNO(name, reference, found);
    if (result != 0 || !found)
        return result;
    // Only the file's contents are left out: its attribute list and any other
    // attribute in clusters describe the file and must come back with the volume.
    CNtfsRunList runs;
    if (!CFileRunListBuilder::Build(mft_, NtfsRecordNumber(reference), CFileRunListBuilder::UnnamedDataOnly, runs))
        return 0;
    for (const tagDataRun& run : runs.GetRuns()) {
        if (run.LCN != NTFS_SPARSE_LCN)
            workingBitmap_.FixOutBitmap(run.LCN, false, run.Length);
    }
    return 0;
}

unsigned long CFSSupportNtfs::WriteSpecialInfo()
{
    if (!initialised_)
        return NTFS_E_SPECIAL_NOT_INITIALISED;
    for (uint64_t record : {uint64_t(NTFS_FILE_BOOT), uint64_t(NTFS_FILE_MFT), uint64_t(NTFS_FILE_BITMAP)}) {
        const unsigned long result = CopySpecialFile(record);
        if (result != 0)
            return result;
    }
    return 0;
}

unsigned long CFSSupportNtfs::CopySpecialFile(uint64_t recordNumber)
{
    CNtfsRunList runs;
    if (!CFileRunListBuilder::Build(mft_, recordNumber, CFileRunListBuilder::AllAttributes, runs))
        return NTFS_E_SPECIAL_RUN_LIST;
    if (runs.IsEmpty())
        return NTFS_E_SPECIAL_EMPTY_RUN_LIST;
    const uint64_t sectorsPerCluster = volume_.GetSectorsPerCluster();
    for (const tagDataRun& run : runs.GetRuns()) {
        if (run.LCN == NTFS_SPARSE_LCN)
            continue;
        const uint64_t first = static_cast<uint64_t>(run.LCN) * sectorsPerCluster;
        const uint64_t total = static_cast<uint64_t>(run.Length) * sectorsPerCluster;
        std::vector<unsigned char> buffer;
        try {
            buffer.resize(static_cast<size_t>(std::min(total, kCopySectors) * kSectorSize));
        } catch (const std::bad_alloc&) {
            return KS_RESULT(KS_MODULE_FSSUPPORT, KS_KIND_NO_MEMORY);
        }
        for (uint64_t done = 0; done < total;) {
            const unsigned long count = static_cast<unsigned long>(std::min(total - done, kCopySectors));
            // Callbacks may report success with a code whose kind is 0 but whose
            // other bits are not; only a failure stops the copy.
            unsigned long result = ReadSectors(first + done, count, buffer.data());
            if (KSFailed(result))
                return result;
            result = write_(context_, first + done, count, buffer.data(), 0);
            if (KSFailed(result))
                return result;
            done += count;
        }
        if (!workingBitmap_.FixOutBitmap(run.LCN, false, run.Length))
            return NTFS_E_SPECIAL_RUN_OUTSIDE;
    }
    return 0;
}

unsigned long CFSSupportNtfs::CheckFileSystem()
{
    if (!initialised_)
        return NTFS_E_CHECK_NOT_INITIALISED;
    for (uint64_t record = 0; record <= 11; ++record) {
        CNtfsRunList runs;
        if (!CFileRunListBuilder::Build(mft_, record, CFileRunListBuilder::AllAttributes, runs))
            return NTFS_E_CHECK_RUN_LIST;
        for (const tagDataRun& run : runs.GetRuns()) {
            if (run.LCN != NTFS_SPARSE_LCN && !workingBitmap_.CheckBitmap(run.LCN, run.Length, true))
                return NTFS_E_CHECK_NOT_MARKED;
        }
    }
    return 0;
}
