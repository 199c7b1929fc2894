// Runs over the fixture disk that exercise the set's options and the run's ends:
// split files, a password, a second version, filters, cancelling and a full disk.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "KSResult.h"
#include "KSWin32ScopedPosixCalls.h"
#include "SetChecks.h"

namespace {
struct OpenedSet {
    std::unique_ptr<IKSCofran, CofranDeleter> random, sequential;
};

// The set's last file, opened both ways.
OpenedSet OpenLast(const std::string& folder, const std::wstring& password = L"")
{
    const std::vector<std::string> files = FilesIn(folder);
    OpenedSet set;
    if (files.empty())
        return set;
    const std::wstring last = Wide(folder + "/" + files.back());
    set.random.reset(OpenSet(last, password));
    set.sequential.reset(OpenSet(last, password, KS_OPEN_SEQUENTIAL));
    return set;
}

// The set's file that holds the volume's run index, opened both ways.
OpenedSet OpenHolding(const std::string& folder, const _KS_VOLUME& volume)
{
    for (const std::string& file : FilesIn(folder)) {
        OpenedSet set;
        set.random.reset(OpenSet(Wide(folder + "/" + file), L""));
        _KS_VOLUME copy = volume;
        if (!set.random || set.random->OpenVolume(&copy) != 0)
            continue;
        set.random->CloseVolume();
        set.sequential.reset(OpenSet(Wide(folder + "/" + file), L"", KS_OPEN_SEQUENTIAL));
        return set;
    }
    return OpenedSet();
}

void ExpectFinished(const BackupOutcome& outcome, unsigned long kind)
{
    EXPECT_EQ(KS_BACKUP_STATE_FINISHED, outcome.last.State);
    EXPECT_EQ(kind, KSResultKind(outcome.last.Result)) << std::hex << outcome.last.Result;
    if (kind == 0) {
        EXPECT_EQ(0u, outcome.last.Result);
    }
}

// Writes fail with ENOSPC once this many bytes have gone to image files.
std::atomic<long long> g_roomLeft{-1};
KSWin32PosixCalls g_real;

ssize_t WriteUntilFull(int fd, const void* data, size_t size)
{
    if (g_roomLeft.load() >= 0 && static_cast<long long>(size) > g_roomLeft.load()) {
        errno = ENOSPC;
        return -1;
    }
    const ssize_t n = g_real.Write(fd, data, size);
    if (n > 0 && g_roomLeft.load() >= 0)
        g_roomLeft -= n;
    return n;
}

BackupRequest Fat32WholeStored(const std::string& folder)
{
    BackupRequest request;
    request.imagePath = Wide(folder + "/big.rvd");
    request.partitions = {BackupDisk::Get().fat32.index};
    request.sectorBySector = 1; // 34 MiB through the writer's buffer
    request.level = 0;
    return request;
}
}

TEST(BackupRun, SplitSetCrossesIntoNewFilesAndReadsBack)
{
    // 170 MiB stored as they are in files of 50 MiB: the full file is switched three times.
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("split");
    BackupRequest request = Fat32WholeStored(folder);
    request.partitions.assign(5, disk.fat32.index);
    request.partitions[2] = disk.ntfs.index;
    request.splitMiB = 50;
    const BackupOutcome outcome = RunBackup(request);
    ExpectFinished(outcome, 0);
    EXPECT_EQ(4u, FilesIn(folder).size());
    OpenedSet set = OpenLast(folder);
    ASSERT_TRUE(set.random && set.sequential);
    _KS_VOLUME volumes[5];
    ASSERT_EQ(0u, set.random->GetVolumes(volumes, 5));
    for (int i : {2, 4}) {
        OpenedSet holder = OpenHolding(folder, volumes[i]);
        ASSERT_TRUE(holder.random) << i;
        std::vector<std::unique_ptr<IKSCofran, CofranDeleter>> files;
        std::vector<IKSCofran*> sequential, others;
        for (const std::string& file : FilesIn(folder)) {
            files.emplace_back(OpenSet(Wide(folder + "/" + file), L"", KS_OPEN_SEQUENTIAL));
            sequential.push_back(files.back().get());
            files.emplace_back(OpenSet(Wide(folder + "/" + file), L""));
            others.push_back(files.back().get());
        }
        CheckVolume(holder.random.get(), sequential, volumes[i], i == 2 ? disk.ntfs : disk.fat32,
                    i == 2 ? KS_FS_NTFS : KS_FS_FAT32, i == 2 ? 0x07 : 0x0C, true, others);
    }
}

TEST(BackupRun, PasswordEncryptsTheSet)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("password");
    BackupRequest request;
    request.imagePath = Wide(folder + "/secret.rvd");
    request.password = L"s3cr\u00e9t";
    request.partitions = {disk.fat16.index};
    ExpectFinished(RunBackup(request), 0);
    const std::vector<std::string> files = FilesIn(folder);
    ASSERT_EQ(1u, files.size());
    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectImg(1, 1, &object));
    std::unique_ptr<IKSCofran, CofranDeleter> wrong(static_cast<IKSCofran*>(object));
    const std::wstring bad = L"secret";
    EXPECT_EQ(KS_KIND_WRONG_PASSWORD,
              KSResultKind(wrong->OpenCofran(Wide(folder + "/" + files[0]).c_str(), KS_OPEN_RANDOM, bad.c_str(),
                                             static_cast<unsigned long>(bad.size() * sizeof(wchar_t)))));
    OpenedSet set = OpenLast(folder, request.password);
    ASSERT_TRUE(set.random && set.sequential);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set.random->GetCofranInfo(&info));
    _KS_VOLUME volume;
    ASSERT_EQ(0u, set.random->GetVolumes(&volume, 1));
    CheckVolume(set.random.get(), {set.sequential.get()}, volume, disk.fat16, KS_FS_FAT16, 0x06, true);
}

TEST(BackupRun, SetModesOneAndTwoAppendVersionsAndBothFiltersAreStored)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("append");
    BackupRequest request;
    request.imagePath = Wide(folder + "/versions.RVD");
    request.partitions = {disk.fat16.index};
    ExpectFinished(RunBackup(request), 0);
    request.setMode = 1;
    request.partitions = {disk.fat12.index};
    request.filters = {{'A', 'A', 'A', 'A', 16, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, {'B', 'B', 'B', 'B', 12, 0, 0, 0, 9, 9, 9, 9}};
    ExpectFinished(RunBackup(request), 0);
    EXPECT_EQ(2u, FilesIn(folder).size());
    OpenedSet set = OpenLast(folder);
    ASSERT_TRUE(set.random);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set.random->GetCofranInfo(&info));
    EXPECT_EQ(2u, info.VersionCount);
    ASSERT_EQ(28u, info.FiltersLength);
    std::vector<uint8_t> blob(28);
    ASSERT_EQ(0u, set.random->GetFilters(reinterpret_cast<_KS_FILTERS_HEAD*>(blob.data()), 28));
    const std::vector<uint8_t> expected = {'A', 'A', 'A', 'A', 28, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8,
                                           'B', 'B', 'B', 'B', 12, 0, 0, 0, 9, 9, 9, 9};
    EXPECT_EQ(expected, blob);
    set.random.reset();
    set.sequential.reset();

    // Set mode 2 reopens the set and appends once more.
    request.setMode = 2;
    request.filters.clear();
    ExpectFinished(RunBackup(request), 0);
    EXPECT_EQ(3u, FilesIn(folder).size());
    OpenedSet third = OpenLast(folder);
    ASSERT_TRUE(third.random);
    ASSERT_EQ(0u, third.random->GetCofranInfo(&info));
    EXPECT_EQ(3u, info.VersionCount);
}

TEST(BackupRun, CancelWhileCopyingLeavesNoFile)
{
    const std::string folder = MakeWorkFolder("cancel");
    BackupRequest request = Fat32WholeStored(folder);
    request.cancelWhen = [](const _KS_PROGRESS_INFO& p) {
        return p.State == KS_BACKUP_STATE_BITMAP && p.DoneBytes > 0;
    };
    const BackupOutcome outcome = RunBackup(request);
    ExpectFinished(outcome, KS_KIND_CANCELLED);
    EXPECT_TRUE(FilesIn(folder).empty());
}

TEST(BackupRun, FullDiskGivenUpLeavesNoFileAndRetriedOnceThereIsRoom)
{
    g_real = KSWin32RealPosixCalls();
    KSWin32PosixCalls calls = g_real;
    calls.Write = WriteUntilFull;
    KSWin32ScopedPosixCalls fullDisk(calls);
    {
        const std::string folder = MakeWorkFolder("full-refused");
        BackupRequest request = Fat32WholeStored(folder);
        request.onMessage = [](unsigned long, void*) -> unsigned long { return 1; };
        g_roomLeft = 12 << 20;
        const BackupOutcome outcome = RunBackup(request);
        ExpectFinished(outcome, KS_KIND_TARGET_FULL);
        EXPECT_EQ(std::vector<unsigned long>{KS_BACKUP_MSG_TARGET_FULL}, outcome.messages);
        EXPECT_TRUE(FilesIn(folder).empty());
    }
    {
        const std::string folder = MakeWorkFolder("full-retried");
        BackupRequest request = Fat32WholeStored(folder);
        request.onMessage = [](unsigned long message, void*) -> unsigned long {
            if (message != KS_BACKUP_MSG_TARGET_FULL)
                return 2;
            g_roomLeft = -1; // room is made
            return 0;
        };
        g_roomLeft = 12 << 20;
        const BackupOutcome outcome = RunBackup(request);
        ExpectFinished(outcome, 0);
        EXPECT_EQ(std::vector<unsigned long>{KS_BACKUP_MSG_TARGET_FULL}, outcome.messages);
        OpenedSet set = OpenLast(folder);
        ASSERT_TRUE(set.random && set.sequential);
        _KS_VOLUME volume;
        ASSERT_EQ(0u, set.random->GetVolumes(&volume, 1));
        CheckVolume(set.random.get(), {set.sequential.get()}, volume, BackupDisk::Get().fat32, KS_FS_FAT32, 0x0C,
                    true);
    }
    g_roomLeft = -1;
}

TEST(BackupRun, AFreeSpaceItemIsRefusedBeforeAnyFileIsWritten)
{
    const BackupDisk& disk = BackupDisk::Get();
    ASSERT_NE(UINT32_MAX, disk.freeSpaceIndex) << "the fixture disk has free space the enumeration lists";
    const std::vector<std::vector<uint32_t>> sources = {
        {disk.freeSpaceIndex},
        {disk.fat16.index, disk.freeSpaceIndex},
    };
    for (const std::vector<uint32_t>& partitions : sources) {
        const std::string folder = MakeWorkFolder("free-space");
        BackupRequest request;
        request.imagePath = Wide(folder + "/free.rvd");
        request.partitions = partitions;
        const BackupOutcome outcome = RunBackup(request);
        ExpectFinished(outcome, KS_KIND_BAD_ARGUMENT);
        EXPECT_TRUE(FilesIn(folder).empty()) << partitions.size();
    }
}

TEST(BackupTool, BacksUpFromItsCommandLineOnlyOverDiskImages)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("tool");
    const std::string tool = BACKUP_TOOL_FILE;
    EXPECT_NE(0, std::system(("env -u RVD_DISK_IMAGES '" + tool + "' '" + folder + "/t.rvd' 0:" +
                              std::to_string(disk.fat16.index) + " >/dev/null 2>&1")
                                 .c_str()));
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_EQ(0, std::system(("RVD_DISK_IMAGES='" + disk.Path() + "' '" + tool + "' --comment demo '" + folder +
                              "/t.rvd' 0:" + std::to_string(disk.fat16.index) + " 0:" +
                              std::to_string(disk.fat12.index) + " >/dev/null 2>&1")
                                 .c_str()));
    OpenedSet set = OpenLast(folder);
    ASSERT_TRUE(set.random);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set.random->GetCofranInfo(&info));
    EXPECT_EQ(2u, info.VolumeCount);
}

TEST(BackupRun, ACancelledAppendLeavesTheEarlierVersionIntact)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("append-cancel");
    BackupRequest request;
    request.imagePath = Wide(folder + "/keep.RVD");
    request.partitions = {disk.fat16.index};
    ExpectFinished(RunBackup(request), 0);
    const std::vector<std::string> before = FilesIn(folder);

    BackupRequest append = Fat32WholeStored(folder);
    append.imagePath = request.imagePath;
    append.setMode = 1;
    append.cancelWhen = [](const _KS_PROGRESS_INFO& p) {
        return p.State == KS_BACKUP_STATE_BITMAP && p.DoneBytes > 0;
    };
    ExpectFinished(RunBackup(append), KS_KIND_CANCELLED);
    EXPECT_EQ(before, FilesIn(folder));
    OpenedSet set = OpenLast(folder);
    ASSERT_TRUE(set.random && set.sequential);
    _KS_IMG_FILE_INFO info{};
    ASSERT_EQ(0u, set.random->GetCofranInfo(&info));
    EXPECT_EQ(1u, info.VersionCount);
    _KS_VOLUME volume;
    ASSERT_EQ(0u, set.random->GetVolumes(&volume, 1));
    CheckVolume(set.random.get(), {set.sequential.get()}, volume, disk.fat16, KS_FS_FAT16, 0x06, true);
}
