// Restores that cannot be done end with their codes, never with success, and leave
// the target's first sector zeroed (or the target untouched when they stop before
// any write).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMapRestoreDisks.h"
#include "CRestore.h"
#include "CommandOutput.h"
#include "KSResult.h"
#include "RestoreFixture.h"

namespace {
// The disk map's disks, but every file of the set lies on the target disk.
class ImageOnTargetDisks : public CDiskMapRestoreDisks {
public:
    ImageOnTargetDisks(uint64_t first, uint64_t count) : start(first), sectors(count) {}
    uint64_t start, sectors;
    RestoreFilePlace PlaceOfFile(const std::wstring&) override
    {
        RestoreFilePlace place;
        place.onDisk = true;
        place.disk = kTargetDisk;
        place.start = start;
        place.sectors = sectors;
        return place;
    }
};

// The NTFS partition of the target holds nothing.
bool NtfsPartitionUntouched(const std::string& target)
{
    const FixturePartition& p = BackupDisk::Get().ntfs;
    return CommandOutput("dd if='" + target + "' bs=512 skip=" + std::to_string(p.start) + " count=" +
                         std::to_string(p.sectors) + " status=none | tr -d '\\000' | wc -c") == "0\n";
}

std::vector<uint8_t> FirstSector(const std::string& path, uint64_t sector)
{
    std::vector<uint8_t> bytes(512);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_EQ(512, pread(fd, bytes.data(), 512, static_cast<off_t>(sector * 512)));
    close(fd);
    return bytes;
}

struct Set {
    std::string folder;
    std::wstring path;
};

Set BackUp(const std::string& name, const std::wstring& password)
{
    const BackupDisk& disk = BackupDisk::Get();
    Set set;
    set.folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(set.folder + "/set.rvd");
    request.password = password;
    request.partitions = {disk.ntfs.index};
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    const std::vector<std::string> files = FilesIn(set.folder);
    EXPECT_EQ(files.size(), 1u);
    set.path = Wide(set.folder + "/" + (files.empty() ? std::string() : files[0]));
    return set;
}

// Queues the NTFS volume and runs; prepare may change the engine before Execute.
_KS_PROGRESS_INFO RunPrepared(IKSRestore* engine, const Set& set, const std::wstring& password,
                              const std::function<void(IKSRestore*)>& prepare, bool cancel = false)
{
    std::wstring path = set.path;
    if (!password.empty())
        engine->SetPassword(const_cast<wchar_t*>(password.c_str()),
                            static_cast<unsigned long>(password.size() * sizeof(wchar_t)));
    unsigned long count = 0;
    _KS_VERSION version{};
    EXPECT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volume{};
    EXPECT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));
    _KS_RESTORE_TARGET target = TargetOf(BackupDisk::Get().ntfs);
    EXPECT_EQ(0u, engine->AddRestore(&volume, &target, 0));
    if (prepare)
        prepare(engine);
    EXPECT_EQ(0u, engine->Execute());
    if (cancel)
        engine->UserCancel();
    _KS_PROGRESS_INFO record{};
    for (;;) {
        engine->GetRestoreProgress(&record);
        if (record.State == RESTORE_STATE_FINISH || record.State == RESTORE_STATE_USER_CANCEL)
            return record;
        usleep(2000);
    }
}

RestoreEngine NewEngine()
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    return RestoreEngine(static_cast<IKSRestore*>(object));
}

TEST(RestoreFailure, AWrongPasswordStopsBeforeAnyWrite)
{
    const Set set = BackUp("restore-password", L"right one");
    const std::string target = MakeTargetDisk(set.folder);
    RestoreEngine engine = NewEngine();
    std::wstring path = set.path;
    EXPECT_EQ(engine->IsPwdProtect(&path[0]), 1u);
    wchar_t wrong[] = L"wrong one";
    EXPECT_EQ(engine->SetPassword(wrong, 9 * sizeof(wchar_t)), 0u);
    unsigned long count = 0;
    EXPECT_EQ(KSResultKind(engine->GetImageVersions(nullptr, 0, &count, &path[0])), KS_KIND_WRONG_PASSWORD);
    // Queued under the right password, run under a wrong one.
    const _KS_PROGRESS_INFO record = RunPrepared(engine.get(), set, L"right one", [](IKSRestore* e) {
        wchar_t again[] = L"wrong one";
        e->SetPassword(again, 9 * sizeof(wchar_t));
    });
    EXPECT_EQ(record.State, RESTORE_STATE_FINISH);
    EXPECT_EQ(KSResultKind(record.Result), KS_KIND_WRONG_PASSWORD);
    EXPECT_TRUE(NtfsPartitionUntouched(target));
}

TEST(RestoreFailure, ACancelledRestoreEndsInStateFourWithAZeroedFirstSector)
{
    const Set set = BackUp("restore-cancel", L"");
    const std::string target = MakeTargetDisk(set.folder);
    RestoreEngine engine = NewEngine();
    const _KS_PROGRESS_INFO record = RunPrepared(engine.get(), set, L"", nullptr, true);
    EXPECT_EQ(record.State, RESTORE_STATE_USER_CANCEL);
    EXPECT_EQ(KSResultKind(record.Result), KS_KIND_CANCELLED);
    EXPECT_EQ(FirstSector(target, BackupDisk::Get().ntfs.start), std::vector<uint8_t>(512, 0));
}

TEST(RestoreFailure, ATargetWhereTheImageLiesIsRefusedBeforeAnyWrite)
{
    const Set set = BackUp("restore-image-disk", L"");
    const std::string target = MakeTargetDisk(set.folder);
    const FixturePartition& ntfs = BackupDisk::Get().ntfs;
    // The image in the partition itself, in one overlapping it, on the whole disk.
    const struct {
        uint64_t start, sectors;
    } places[] = {{ntfs.start, ntfs.sectors}, {ntfs.start + ntfs.sectors - 8, 100}, {0, 0}};
    for (const auto& place : places) {
        ImageOnTargetDisks disks(place.start, place.sectors);
        RestoreServices services = DefaultRestoreServices();
        services.disks = &disks;
        RestoreEngine engine(new CRestore(services));
        const _KS_PROGRESS_INFO record = RunPrepared(engine.get(), set, L"", nullptr);
        EXPECT_EQ(KSResultKind(record.Result), 0x25Au) << place.start;
        EXPECT_TRUE(NtfsPartitionUntouched(target));
    }
    // A neighbour partition of the same disk may hold it.
    ImageOnTargetDisks disks(36864, 69632);
    RestoreServices services = DefaultRestoreServices();
    services.disks = &disks;
    RestoreEngine engine(new CRestore(services));
    EXPECT_EQ(RunPrepared(engine.get(), set, L"", nullptr).Result, 0u);
}

TEST(RestoreFailure, ADamagedBlockFailsTheRestoreAndLeavesTheFirstSectorZeroed)
{
    const Set set = BackUp("restore-damage", L"");
    const std::string target = MakeTargetDisk(set.folder);
    const std::string file(set.path.begin(), set.path.end());
    struct stat info;
    ASSERT_EQ(0, stat(file.c_str(), &info));
    // Bytes in the middle of the data area: compressed clusters of the volume.
    const int fd = open(file.c_str(), O_RDWR | O_CLOEXEC);
    std::vector<uint8_t> junk(4096, 0x5A);
    ASSERT_EQ(4096, pwrite(fd, junk.data(), junk.size(), info.st_size / 2));
    close(fd);
    RestoreEngine engine = NewEngine();
    const _KS_PROGRESS_INFO record = RunPrepared(engine.get(), set, L"", nullptr);
    EXPECT_EQ(record.State, RESTORE_STATE_FINISH);
    EXPECT_NE(KSResultKind(record.Result), 0u);
    EXPECT_EQ(FirstSector(target, BackupDisk::Get().ntfs.start), std::vector<uint8_t>(512, 0));
}
}

namespace {
TEST(RestoreFailure, AVolumeOfAnUnknownFileSystemIsRefusedNotPassedOver)
{
    const Set set = BackUp("restore-unknown-fs", L"");
    const std::string target = MakeTargetDisk(set.folder);
    for (const uint8_t fileSystem : {0, 10, 254}) {
        RestoreEngine engine = NewEngine();
        std::wstring path = set.path;
        unsigned long count = 0;
        _KS_VERSION version{};
        ASSERT_EQ(0u, engine->GetImageVersions(&version, 1, &count, &path[0]));
        ASSERT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
        _KS_VOLUME volume{};
        ASSERT_EQ(0u, engine->GetImgVolumes(&volume, 1, &count, &version));
        volume.FileSystem = fileSystem;
        _KS_RESTORE_TARGET t = TargetOf(BackupDisk::Get().ntfs);
        ASSERT_EQ(0u, engine->AddRestore(&volume, &t, 0));
        _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
        EXPECT_EQ(KSResultKind(record.Result), KS_KIND_BAD_ARGUMENT) << int(fileSystem);
        EXPECT_TRUE(NtfsPartitionUntouched(target));
    }
}
}
