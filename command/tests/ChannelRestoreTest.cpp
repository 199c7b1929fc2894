// Restores through the command object, its real executor and the real engines, on
// disk-image files: as the restore progress page drives them, cancelled, from a
// protected set, with a file missing, and from two command objects at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "KSRestoreRecords.h"
#include "KSResult.h"
#include "SetDamage.h"

namespace {

// The sectors of one partition of a disk-image file, to tell a written one apart.
std::string PartitionBytes(const std::string& disk, uint64_t start, uint64_t sectors)
{
    std::string bytes(sectors * 512, '\0');
    FILE* f = std::fopen(disk.c_str(), "rb");
    if (f == nullptr)
        return {};
    const bool read = fseeko(f, static_cast<off_t>(start * 512), SEEK_SET) == 0 &&
                      std::fread(&bytes[0], 1, bytes.size(), f) == bytes.size();
    std::fclose(f);
    return read ? bytes : std::string();
}

bool EndsWith(const std::vector<uint32_t>& states, uint32_t last)
{
    return !states.empty() && states.back() == last;
}

TEST(ChannelRestore, EveryFileComesBackAsTheProgressPageDrivesIt)
{
    const ImageSet set = BackUpFixture("channel-restore");
    const std::string target = MakeRestoreTarget(set.folder);
    Tasque tasque = NewTasque();
    const BackupDisk& disk = BackupDisk::Get();
    const ChannelRun run = RestoreThroughChannel(*tasque, set.firstFile, {&disk.ntfs, &disk.fat32});
    EXPECT_TRUE(EndsWith(run.states, RESTORE_STATE_FINISH));
    EXPECT_EQ(0u, run.last.Result);
    EXPECT_EQ(100u, run.last.OverallPercent);
    EXPECT_EQ(2u, run.last.ItemCount);
    ExpectSameVolume(target, disk.Path(), disk.ntfs, true, set.folder);
    ExpectSameVolume(target, disk.Path(), disk.fat32, false, set.folder);
}

// A block of a set kept without compression damaged after it was written: the run
// through the channel ends with the image's own code for that block, as the engine
// does, and the target partition is left without its first sector.
TEST(ChannelRestore, ADamagedStoredBlockEndsTheRunWithTheImagesCode)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("channel-damaged");
    BackupRequest request;
    request.imagePath = Wide(folder + "/set.rvd");
    request.level = 0;
    request.partitions = {disk.fat32.index};
    ASSERT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(1u, files.size());
    const std::string file = folder + "/" + files[0];
    StoredPlace place;
    ASSERT_TRUE(FindVolumeBlock(file, disk.fat32.start, false, place));
    ASSERT_TRUE(FlipMiddleByte(file, place));
    const unsigned long expected = FirstBlockFailure(file, disk.fat32.start);
    ASSERT_EQ(0x00Cu, KSResultKind(expected)) << std::hex << expected;

    const std::string target = MakeRestoreTarget(folder);
    Tasque tasque = NewTasque();
    const ChannelRun run = RestoreThroughChannel(*tasque, Wide(file), {&disk.fat32});
    EXPECT_TRUE(EndsWith(run.states, RESTORE_STATE_FINISH));
    EXPECT_EQ(expected, run.last.Result) << std::hex << run.last.Result;
    EXPECT_EQ(std::string(512, '\0'), PartitionBytes(target, disk.fat32.start, 1));
}

TEST(ChannelRestore, ACancelledRunEndsInStateFour)
{
    const ImageSet set = BackUpFixture("channel-cancel");
    MakeRestoreTarget(set.folder);
    Tasque tasque = NewTasque();
    const ChannelRun run = RestoreThroughChannel(*tasque, set.firstFile, {&BackupDisk::Get().ntfs}, nullptr, true);
    EXPECT_TRUE(EndsWith(run.states, RESTORE_STATE_USER_CANCEL));
    EXPECT_EQ(KS_KIND_CANCELLED, KSResultKind(run.last.Result));
}

TEST(ChannelRestore, AProtectedSetOpensWithTheRightPasswordOnly)
{
    const ImageSet open = BackUpFixture("channel-open");
    const ImageSet locked = BackUpFixture("channel-locked", L"secret");
    const std::string target = MakeRestoreTarget(locked.folder);
    Tasque tasque = NewTasque();
    std::wstring openPath = open.firstFile, lockedPath = locked.firstFile;
    EXPECT_EQ(0u, tasque->RestoreIsPwdProtect(&openPath[0]));
    EXPECT_EQ(1u, tasque->RestoreIsPwdProtect(&lockedPath[0]));
    wchar_t wrong[] = L"guess";
    EXPECT_EQ(0u, tasque->RestoreSetPassword(wrong, 5 * sizeof(wchar_t)));
    unsigned long count = 0;
    EXPECT_EQ(KS_KIND_WRONG_PASSWORD, KSResultKind(tasque->RestoreGetImageVersions(nullptr, 0, &count, &lockedPath[0])));
    wchar_t right[] = L"secret";
    EXPECT_EQ(1u, tasque->RestoreSetPassword(right, 6 * sizeof(wchar_t)));
    const BackupDisk& disk = BackupDisk::Get();
    const ChannelRun run = RestoreThroughChannel(*tasque, locked.firstFile, {&disk.ntfs});
    EXPECT_TRUE(EndsWith(run.states, RESTORE_STATE_FINISH));
    EXPECT_EQ(0u, run.last.Result);
    ExpectSameVolume(target, disk.Path(), disk.ntfs, true, locked.folder);
}

TEST(ChannelRestore, AMissingFileIsAskedForThroughTheCallback)
{
    // Five copies of the FAT32 volume stored as they are in files of 50 MiB: the first
    // copy lies in the first file alone.
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("channel-missing");
    const std::vector<std::string> files = BackUpSplitCopies(folder, disk.fat32.index);
    ASSERT_EQ(4u, files.size());
    const std::string target = MakeRestoreTarget(folder);
    const std::wstring set = Wide(folder + "/" + files.back());

    Tasque tasque = NewTasque();
    std::wstring path = set;
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, tasque->RestoreGetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, tasque->RestoreSetImgInfo(&version, &path[0]));
    ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(nullptr, 0, &count, &version));
    _KS_VOLUME volumes[5];
    ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(volumes, 5, &count, &version));
    ASSERT_EQ(5u, count);

    // The first file is put aside; the answer to the request puts it back.
    const std::string inPlace = folder + "/" + files[0];
    const std::string aside = folder + "/aside.bin";
    ASSERT_EQ(0, std::rename(inPlace.c_str(), aside.c_str()));
    struct Asker {
        std::string inPlace, aside;
        std::vector<std::wstring> asked;
        static unsigned long Answer(void* context, unsigned long message, void* data)
        {
            auto* self = static_cast<Asker*>(context);
            if (message != KS_RESTORE_MSG_FILE)
                return message == KS_RESTORE_MSG_DONE ? 0 : 0x01191607;
            self->asked.push_back(static_cast<_KS_RESTORE_REQUEST*>(data)->Text);
            return std::rename(self->aside.c_str(), self->inPlace.c_str()) == 0 ? 0 : 0x01121607;
        }
    } asker{inPlace, aside, {}};
    ASSERT_EQ(0u, tasque->RestoreSetCallBack(&Asker::Answer, &asker));
    const _RESTORE_INFO item = RestoreItemFor(disk.fat32, volumes[0].FileSystem);
    ASSERT_EQ(0u, tasque->AddRestore(&volumes[0], &item, 0));
    ASSERT_EQ(0u, tasque->RestoreExecute());
    _KS_PROGRESS_INFO progress{};
    do {
        ASSERT_EQ(0u, tasque->RestoreGetProgress(&progress));
    } while (progress.State != RESTORE_STATE_FINISH && progress.State != RESTORE_STATE_USER_CANCEL &&
             (usleep(200000), true));
    EXPECT_EQ(0u, progress.Result) << std::hex << progress.Result;
    ASSERT_EQ(1u, asker.asked.size());
    EXPECT_NE(std::wstring::npos, asker.asked[0].find(Wide(files[0])));
    // Byte for byte would differ: the fix-ups after a restore write the target disk's
    // geometry into the boot sector and its backup copy.
    ExpectSameVolume(target, disk.Path(), disk.fat32, false, folder);
}

// Each command object has its own engines: one object's password, listing and
// release, in the middle of the other's run, leave that run and its password alone.
// A middle file of a split set put aside: the third copy began in it and ends in the
// next file, so the run must ask for it by name before reading the next one. Refused,
// the run ends with the refusal, never as a success, and the target stays unwritten.
TEST(ChannelRestore, AMissingMiddleFileIsAskedForBeforeTheNextIsRead)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("channel-middle");
    const std::vector<std::string> files = BackUpSplitCopies(folder, disk.fat32.index);
    ASSERT_EQ(4u, files.size());
    const std::string target = MakeRestoreTarget(folder);
    const std::string before = PartitionBytes(target, disk.fat32.start, disk.fat32.sectors);
    ASSERT_FALSE(before.empty());

    Tasque tasque = NewTasque();
    std::wstring path = Wide(folder + "/" + files.back());
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, tasque->RestoreGetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, tasque->RestoreSetImgInfo(&version, &path[0]));
    _KS_VOLUME volumes[5];
    ASSERT_EQ(0u, tasque->RestoreGetImgVolumes(volumes, 5, &count, &version));
    ASSERT_EQ(5u, count);

    const std::string inPlace = folder + "/" + files[1];
    const std::string aside = folder + "/aside.bin";
    ASSERT_EQ(0, std::rename(inPlace.c_str(), aside.c_str()));
    struct Refuser {
        std::vector<std::wstring> asked;
        static unsigned long Answer(void* context, unsigned long message, void* data)
        {
            if (message == KS_RESTORE_MSG_FILE)
                static_cast<Refuser*>(context)->asked.push_back(static_cast<_KS_RESTORE_REQUEST*>(data)->Text);
            return message == KS_RESTORE_MSG_FILE ? 0x01191607 : 0;
        }
    } refuser;
    ASSERT_EQ(0u, tasque->RestoreSetCallBack(&Refuser::Answer, &refuser));
    const _RESTORE_INFO item = RestoreItemFor(disk.fat32, volumes[2].FileSystem);
    ASSERT_EQ(0u, tasque->AddRestore(&volumes[2], &item, 0));
    ASSERT_EQ(0u, tasque->RestoreExecute());
    _KS_PROGRESS_INFO progress{};
    do {
        ASSERT_EQ(0u, tasque->RestoreGetProgress(&progress));
    } while (progress.State != RESTORE_STATE_FINISH && progress.State != RESTORE_STATE_USER_CANCEL &&
             (usleep(200000), true));
    std::rename(aside.c_str(), inPlace.c_str());
    ASSERT_EQ(1u, refuser.asked.size());
    EXPECT_NE(std::wstring::npos, refuser.asked[0].find(Wide(files[1])));
    EXPECT_EQ(0x607u, KSResultKind(progress.Result)) << "the refusal, no success: " << std::hex << progress.Result;
    EXPECT_TRUE(before == PartitionBytes(target, disk.fat32.start, disk.fat32.sectors)) << "the target stays unwritten";
}

TEST(ChannelRestore, TwoCommandObjectsAreIndependent)
{
    const ImageSet locked = BackUpFixture("channel-two", L"secret");
    const std::string target = MakeRestoreTarget(locked.folder);
    Tasque first = NewTasque();
    Tasque second = NewTasque();
    std::wstring path = locked.firstFile;
    wchar_t right[] = L"secret";
    wchar_t wrong[] = L"other";
    EXPECT_EQ(1u, first->RestoreIsPwdProtect(&path[0]));
    EXPECT_EQ(1u, first->RestoreSetPassword(right, 6 * sizeof(wchar_t)));
    EXPECT_EQ(1u, second->RestoreIsPwdProtect(&path[0]));
    EXPECT_EQ(0u, second->RestoreSetPassword(wrong, 5 * sizeof(wchar_t)));
    unsigned long count = 0;
    EXPECT_EQ(KS_KIND_WRONG_PASSWORD, KSResultKind(second->RestoreGetImageVersions(nullptr, 0, &count, &path[0])));

    // The first object lists and queues under its own password, and starts.
    const BackupDisk& disk = BackupDisk::Get();
    _KS_VERSION version{};
    ASSERT_EQ(0u, first->RestoreGetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, first->RestoreSetImgInfo(&version, &path[0]));
    std::vector<_KS_VOLUME> volumes(4);
    ASSERT_EQ(0u, first->RestoreGetImgVolumes(volumes.data(), 4, &count, &version));
    for (unsigned long i = 0; i < count; ++i)
        if (volumes[i].PartitionStart == disk.ntfs.start) {
            const _RESTORE_INFO item = RestoreItemFor(disk.ntfs, volumes[i].FileSystem);
            ASSERT_EQ(0u, first->AddRestore(&volumes[i], &item, 0));
        }
    ASSERT_EQ(0u, first->RestoreExecute());
    // The second goes while the first runs.
    second.reset();
    _KS_PROGRESS_INFO progress{};
    do {
        ASSERT_EQ(0u, first->RestoreGetProgress(&progress));
    } while (progress.State != RESTORE_STATE_FINISH && progress.State != RESTORE_STATE_USER_CANCEL &&
             (usleep(20000), true));
    EXPECT_EQ(RESTORE_STATE_FINISH, progress.State);
    EXPECT_EQ(0u, progress.Result) << std::hex << progress.Result;
    ExpectSameVolume(target, disk.Path(), disk.ntfs, true, locked.folder);
}

} // namespace
