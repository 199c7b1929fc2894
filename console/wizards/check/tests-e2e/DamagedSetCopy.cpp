#include "DamagedSetCopy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "KSImageFormat.h"

namespace {

// The file's tail: where its data area starts in the file and which stream offset
// that is.
bool ReadTail(const std::string& file, _KS_IMG_TAIL* tail)
{
    const int fd = open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat st {};
    unsigned char bytes[KS_IMG_TAIL_SIZE];
    const bool ok = fstat(fd, &st) == 0 && st.st_size >= KS_IMG_TAIL_SIZE &&
                    pread(fd, bytes, sizeof bytes, st.st_size - KS_IMG_TAIL_SIZE) == KS_IMG_TAIL_SIZE;
    close(fd);
    if (ok)
        KSImgTailFromBytes(bytes, *tail);
    return ok;
}

} // namespace

StoredBlockPlace LocateStoredBlock(const std::string& file, size_t volumeIndex)
{
    StoredBlockPlace place;
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(file), L"", KS_OPEN_SEQUENTIAL));
    if (!set)
        return place;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    EXPECT_EQ(0u, set->GetCofranInfo(&info));
    EXPECT_LT(volumeIndex, info.VolumeCount);
    if (volumeIndex >= info.VolumeCount)
        return place;
    std::vector<_KS_VOLUME> volumes(info.VolumeCount);
    EXPECT_EQ(0u, set->GetVolumes(volumes.data(), info.VolumeCount));
    EXPECT_EQ(0u, set->OpenVolume(&volumes[volumeIndex]));
    std::vector<_KS_BLOCK> blocks;
    _KS_BLOCK block{};
    while (set->GetNextBlockInfo(&block, 0) == 0)
        if (KSBlockStored(block) > 0)
            blocks.push_back(block);
    set->CloseVolume();
    set->CloseCofran();
    EXPECT_FALSE(blocks.empty()) << "volume " << volumeIndex << " lists no stored block";
    _KS_IMG_TAIL tail{};
    EXPECT_TRUE(ReadTail(file, &tail)) << file;
    if (blocks.empty())
        return place;
    const _KS_BLOCK& middle = blocks[blocks.size() / 2];
    place.filePos = middle.Offset - tail.Base + tail.DataStart;
    place.stored = KSBlockStored(middle);
    place.firstCluster = middle.FirstCluster;
    place.blocks = blocks.size();
    return place;
}

void FlipByte(const std::string& file, uint64_t pos)
{
    const int fd = open(file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0) << file;
    unsigned char byte = 0;
    ASSERT_EQ(1, pread(fd, &byte, 1, static_cast<off_t>(pos)));
    byte ^= 0xFF;
    ASSERT_EQ(1, pwrite(fd, &byte, 1, static_cast<off_t>(pos)));
    close(fd);
}

void CutToHalf(const std::string& file)
{
    struct stat st {};
    ASSERT_EQ(0, stat(file.c_str(), &st)) << file;
    ASSERT_EQ(0, truncate(file.c_str(), st.st_size / 2)) << file;
}

std::string BackUpSplitSet(const std::string& name, std::vector<std::string>* files)
{
    const std::string folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(folder + "/split.rvd");
    request.partitions.assign(3, BackupDisk::Get().fat32.index);
    request.sectorBySector = 1;
    request.level = 0;
    request.splitMiB = 50;
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    *files = FilesIn(folder);
    return folder;
}

std::string CopySet(const std::string& folder, const std::string& name)
{
    const std::string copy = MakeWorkFolder(name);
    EXPECT_EQ(0, std::system(("cp '" + folder + "'/*.* '" + copy + "/'").c_str()));
    return copy;
}
