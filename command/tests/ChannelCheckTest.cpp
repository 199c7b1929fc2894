// Image checks and file-system checks through the command channel with the real
// checker and Tillory.mo.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "CommandOutput.h"
#include "KSResult.h"

namespace {

// As the check progress page: the password of a protected set (its length in bytes),
// versions, the chosen version, its volumes, each added, CheckExecute,
// CheckGetProgress until the run ends.
_KS_PROGRESS_INFO CheckThroughChannel(ITasque& tasque, const std::wstring& setPath,
                                      const std::wstring& password = std::wstring())
{
    std::wstring path = setPath;
    _KS_PROGRESS_INFO progress{};
    int count = 0;
    EXPECT_EQ(password.empty() ? 0u : 1u, tasque.CheckIsPwdProtect(&path[0]));
    if (!password.empty()) {
        std::wstring text = password;
        EXPECT_EQ(1u, tasque.CheckSetPassword(&text[0], text.size() * sizeof(wchar_t)));
    }
    EXPECT_EQ(0u, tasque.CheckGetImageVersions(nullptr, 0, &count, &path[0]));
    std::vector<_KS_VERSION> versions(static_cast<size_t>(count));
    EXPECT_EQ(0u, tasque.CheckGetImageVersions(versions.data(), versions.size(), &count, &path[0]));
    if (versions.empty())
        return progress;
    _KS_VERSION version = versions.back();
    EXPECT_EQ(0u, tasque.CheckSetImgInfo(&version, &path[0]));
    std::vector<_KS_VOLUME> volumes(8);
    EXPECT_EQ(0u, tasque.CheckGetImgVolumes(volumes.data(), volumes.size(), &count, &version));
    EXPECT_EQ(2, count);
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(0u, tasque.AddCheck(&volumes[static_cast<size_t>(i)]));
    EXPECT_EQ(0u, tasque.CheckExecute());
    do {
        EXPECT_EQ(0u, tasque.CheckGetProgress(&progress));
    } while (progress.State != KS_CHECK_STATE_FINISH && progress.State != KS_CHECK_STATE_USER_CANCEL &&
             (usleep(20000), true));
    return progress;
}

void Damage(const std::string& file, off_t offset, size_t bytes)
{
    const int fd = open(file.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    std::vector<uint8_t> data(bytes);
    ASSERT_EQ(static_cast<ssize_t>(bytes), pread(fd, data.data(), bytes, offset));
    for (uint8_t& b : data)
        b ^= 0x5A;
    ASSERT_EQ(static_cast<ssize_t>(bytes), pwrite(fd, data.data(), bytes, offset));
    close(fd);
}

TEST(ChannelCheck, ASoundSetPassesAndADamagedOneFailsWithItsCode)
{
    const ImageSet set = BackUpFixture("channel-check");
    ASSERT_EQ(1u, set.files.size());
    {
        Tasque tasque = NewTasque();
        const _KS_PROGRESS_INFO sound = CheckThroughChannel(*tasque, set.firstFile);
        EXPECT_EQ(KS_CHECK_STATE_FINISH, sound.State);
        EXPECT_EQ(0u, sound.Result);
        EXPECT_EQ(100u, sound.OverallPercent);
    }
    const std::string file = set.folder + "/" + set.files[0];
    const off_t size = static_cast<off_t>(std::stoll(CommandOutput("stat -c %s '" + file + "'")));
    Damage(file, size / 2, 4096);
    Tasque tasque = NewTasque();
    const _KS_PROGRESS_INFO damaged = CheckThroughChannel(*tasque, set.firstFile);
    EXPECT_EQ(KS_CHECK_STATE_FINISH, damaged.State);
    EXPECT_TRUE(KSFailed(damaged.Result)) << std::hex << damaged.Result;
    // The container finds the stored block that no longer decompresses.
    EXPECT_EQ(KS_MODULE_CONTAINER, KSResultModule(damaged.Result)) << std::hex << damaged.Result;
}

// The password travels from the command object through the executor to the checker
// with its length in bytes; a length counted otherwise is no password.
TEST(ChannelCheck, AProtectedSetTakesItsPasswordWithTheLengthInBytes)
{
    const ImageSet set = BackUpFixture("channel-check-locked", L"Geheim-42");
    const unsigned long c = sizeof(wchar_t);
    const struct Case {
        const char* what;
        std::wstring text;
        unsigned long bytes;
        unsigned long answer;
    } cases[] = {
        {"the length in characters", L"Geheim-42", 9, 0},
        {"a byte short", L"Geheim-42", 9 * c - 1, 0},
        {"the terminator counted", L"Geheim-42", 10 * c, 0},
        {"past the 64-character field", std::wstring(65, L'x'), 65 * c, 0},
        {"a wrong password", L"Geheim-43", 9 * c, 0},
        {"the right password in bytes", L"Geheim-42", 9 * c, 1},
    };
    Tasque tasque = NewTasque();
    std::wstring path = set.firstFile;
    ASSERT_EQ(1u, tasque->CheckIsPwdProtect(&path[0]));
    for (const Case& k : cases) {
        std::wstring text = k.text;
        EXPECT_EQ(k.answer, tasque->CheckSetPassword(&text[0], k.bytes)) << k.what;
    }
    const _KS_PROGRESS_INFO checked = CheckThroughChannel(*tasque, set.firstFile, L"Geheim-42");
    EXPECT_EQ(KS_CHECK_STATE_FINISH, checked.State);
    EXPECT_EQ(0u, checked.Result) << std::hex << checked.Result;
}

TEST(ChannelFileSystem, CleanVolumesPassAndDamagedOnesFail)
{
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("channel-fsck");
    const std::string copy = folder + "/disk.img";
    ASSERT_EQ(0, std::system(("cp --sparse=always '" + disk.Path() + "' '" + copy + "'").c_str()));
    NameDisks({copy});
    Tasque tasque = NewTasque();
    for (const FixturePartition* p : {&disk.ntfs, &disk.fat32, &disk.fat16})
        EXPECT_EQ(0u, tasque->CheckFileSystem(0, static_cast<unsigned long>(p->start), 0, 0)) << p->start;
    EXPECT_EQ(0x04827652u, tasque->CheckFileSystem(0, static_cast<unsigned long>(disk.ntfs.start + 1), 0, 0));

    // FAT32: clusters 3000 and 3001 chain into each other in every FAT.
    const auto read16 = [&](uint64_t at) { return std::stoul(CommandOutput(
        "od -An -tu2 -j" + std::to_string(at) + " -N2 '" + copy + "'")); };
    const uint64_t fat32 = disk.fat32.start * 512;
    const uint64_t reserved = read16(fat32 + 14);
    const uint64_t perFat = read16(fat32 + 36) | (read16(fat32 + 38) << 16);
    const unsigned fats = static_cast<unsigned>(std::stoul(CommandOutput("od -An -tu1 -j" + std::to_string(fat32 + 16) +
                                                                         " -N1 '" + copy + "'")));
    const int fd = open(copy.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    for (unsigned i = 0; i < fats; ++i) {
        const uint64_t table = fat32 + (reserved + i * perFat) * 512;
        const uint32_t to3001 = 3001, to3000 = 3000;
        ASSERT_EQ(4, pwrite(fd, &to3001, 4, static_cast<off_t>(table + 4 * 3000)));
        ASSERT_EQ(4, pwrite(fd, &to3000, 4, static_cast<off_t>(table + 4 * 3001)));
    }
    // NTFS: the end of the second file record is broken.
    const uint64_t ntfs = disk.ntfs.start * 512;
    const uint64_t cluster = read16(ntfs + 11) * std::stoul(CommandOutput("od -An -tu1 -j" + std::to_string(ntfs + 13) +
                                                                          " -N1 '" + copy + "'"));
    const uint64_t mft = ntfs + std::stoull(CommandOutput("od -An -tu8 -j" + std::to_string(ntfs + 48) + " -N8 '" +
                                                          copy + "'")) * cluster;
    const uint32_t junk = 0xEFBEADDE;
    ASSERT_EQ(4, pwrite(fd, &junk, 4, static_cast<off_t>(mft + 1024 + 0x38)));
    close(fd);

    EXPECT_EQ(0x04827652u, tasque->CheckFileSystem(0, static_cast<unsigned long>(disk.fat32.start), 0, 0));
    EXPECT_EQ(0x04827652u, tasque->CheckFileSystem(0, static_cast<unsigned long>(disk.ntfs.start), 0, 0));
    EXPECT_EQ(0u, tasque->CheckFileSystem(0, static_cast<unsigned long>(disk.fat16.start), 0, 0));
}

} // namespace
