// The checker's blocks checked on one worker and on eight: every set, sound or
// damaged, gives the same result either way, the first damage in the walk's
// order is the one reported, a cancel ends the run cancelled, and no thread of
// the run is left once the checker is released.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "FixtureImage.h"
#include "FixtureSetWriter.h"
#include "IKSCheck.h"
#include "KSImageFormat.h"
#include "KSResult.h"
#include "ModuleChecker.h"

namespace {

struct WorkersFolder {
    std::string path;
    WorkersFolder()
    {
        char pattern[] = "/tmp/provane-workers-XXXXXX";
        path = mkdtemp(pattern);
        path += "/";
    }
    ~WorkersFolder()
    {
        const std::string cmd = "rm -rf '" + path + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", path.c_str());
    }
};

size_t ThreadsNow()
{
    size_t n = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++n;
        closedir(dir);
    }
    return n;
}

// XORs count bytes of the set's last file at data offsets (from the start of its
// data area) with 0x5A.
void DamageData(const std::wstring& path, const std::vector<uint64_t>& offsets, size_t count)
{
    std::fstream f(NarrowPath(path), std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(-static_cast<std::streamoff>(KS_IMG_TAIL_SIZE), std::ios::end);
    unsigned char tailBytes[KS_IMG_TAIL_SIZE];
    f.read(reinterpret_cast<char*>(tailBytes), sizeof tailBytes);
    _KS_IMG_TAIL tail;
    KSImgTailFromBytes(tailBytes, tail);
    for (uint64_t offset : offsets) {
        const std::streamoff at = static_cast<std::streamoff>(tail.DataStart + offset);
        std::vector<char> bytes(count);
        f.seekg(at);
        f.read(bytes.data(), static_cast<std::streamsize>(count));
        for (char& b : bytes)
            b = static_cast<char>(b ^ 0x5A);
        f.seekp(at);
        f.write(bytes.data(), static_cast<std::streamsize>(count));
    }
}

// The data length of a file's data area, from its tail.
uint64_t DataLengthOf(const std::wstring& path)
{
    std::ifstream f(NarrowPath(path), std::ios::binary);
    f.seekg(-static_cast<std::streamoff>(KS_IMG_TAIL_SIZE), std::ios::end);
    unsigned char tailBytes[KS_IMG_TAIL_SIZE];
    f.read(reinterpret_cast<char*>(tailBytes), sizeof tailBytes);
    _KS_IMG_TAIL tail;
    KSImgTailFromBytes(tailBytes, tail);
    return tail.DataLength;
}

struct WorkersOutcome {
    unsigned long result = 0;
    uint32_t state = 0;
    uint32_t overall = 0;
};

// A whole run as the command executor makes it, with the worker count asked for
// through the environment; password null for a plain set, wrongPassword to give
// one the set refuses, cancel to cancel as soon as the run has started.
WorkersOutcome CheckWithWorkers(std::wstring path, const char* workers, const wchar_t* password, bool wrongPassword,
                                bool cancel)
{
    setenv("RVD_CHECK_WORKERS", workers, 1);
    const size_t threadsBefore = ThreadsNow();
    WorkersOutcome out;
    {
        ModuleChecker check;
        if (check->IsPwdProtect(&path[0]) == 1) {
            std::wstring pw = wrongPassword ? L"not-the-password" : password;
            check->SetPassword(&pw[0], static_cast<int>(pw.size() * sizeof(wchar_t)));
        }
        _KS_VERSION version{};
        int count = 1;
        check->GetImageVersions(&version, 1, &count, &path[0]);
        int volumes = 0;
        check->GetImgVolumes(nullptr, 0, &volumes, &version);
        std::vector<_KS_VOLUME> list(static_cast<size_t>(volumes > 0 ? volumes : 1));
        check->GetImgVolumes(list.data(), static_cast<unsigned long>(list.size()), &volumes, &version);
        check->SetImgInfo(&version, &path[0]);
        for (int i = 0; i < volumes; ++i)
            check->AddCheck(&list[static_cast<size_t>(i)]);
        if (check->Execute() != 0) {
            out.result = ~0ul;
        } else {
            if (cancel)
                check->UserCancel();
            _KS_PROGRESS_INFO record;
            do {
                usleep(2000);
                check->GetCheckProgress(&record);
            } while (record.State != KS_CHECK_STATE_FINISH && record.State != KS_CHECK_STATE_USER_CANCEL);
            out.result = record.Result;
            out.state = record.State;
            out.overall = record.OverallPercent;
        }
    }
    EXPECT_EQ(threadsBefore, ThreadsNow()) << "a thread of the run is left (" << workers << " workers)";
    unsetenv("RVD_CHECK_WORKERS");
    return out;
}

FixtureSet WriteWorkersSet(const std::string& folder, const std::string& name, const FixtureVolume& volume,
                           const FixtureSetOptions& options)
{
    FixtureSet set;
    std::string error;
    EXPECT_EQ(0u, WriteFixtureSet(WidePath(folder + name), {volume}, options, &set, &error)) << error;
    return set;
}

TEST(CheckerWorkers, OneWorkerAndEightGiveTheSameResults)
{
    const std::string ntfs = MakeFixtureImage("ntfs/ntfs-4k.sh", "ntfs-4k.img");
    const std::string fat = MakeFixtureImage("fat/fat16-f0.sh", "fat16-f0.img");
    ASSERT_FALSE(ntfs.empty());
    ASSERT_FALSE(fat.empty());
    WorkersFolder dir;
    FixtureVolume ntfsVolume;
    ntfsVolume.image = ntfs;
    FixtureVolume fatLacking;
    fatLacking.image = fat;
    fatLacking.omitLastUsedCluster = true;
    FixtureVolume filler;
    filler.syntheticClusters = 14000;
    FixtureSetOptions compressed, stored, locked, split;
    stored.level = 0;
    locked.password = L"Tiger7";
    split.level = 0;
    split.splitMiB = 50;

    const FixtureSet clean = WriteWorkersSet(dir.path, "clean.rvd", ntfsVolume, compressed);
    const FixtureSet damagedCompressed = WriteWorkersSet(dir.path, "dc.rvd", ntfsVolume, compressed);
    const FixtureSet twiceDamaged = WriteWorkersSet(dir.path, "d2.rvd", ntfsVolume, compressed);
    const FixtureSet damagedStored = WriteWorkersSet(dir.path, "ds.rvd", ntfsVolume, stored);
    const FixtureSet lacking = WriteWorkersSet(dir.path, "gap.rvd", fatLacking, compressed);
    const FixtureSet encrypted = WriteWorkersSet(dir.path, "locked.rvd", ntfsVolume, locked);
    const FixtureSet splitSet = WriteWorkersSet(dir.path, "split.rvd", filler, split);
    ASSERT_FALSE(HasFailure());
    ASSERT_GE(splitSet.files.size(), 2u);
    // The first data block damaged; in the second set a block far later as well.
    DamageData(damagedCompressed.files.back(), {700}, 32);
    DamageData(twiceDamaged.files.back(), {700, DataLengthOf(twiceDamaged.files.back()) / 2}, 32);
    DamageData(damagedStored.files.back(), {700}, 1);

    const uint32_t finished = KS_CHECK_STATE_FINISH, cancelled = KS_CHECK_STATE_USER_CANCEL;
    const struct {
        const char* what;
        std::wstring path;
        const wchar_t* password;
        bool wrongPassword;
        bool cancel;
        uint32_t state;
        unsigned long kind; // 0: succeeds; ~0: any failure
    } cases[] = {
        {"clean", clean.files.back(), nullptr, false, false, finished, 0},
        {"damaged compressed block", damagedCompressed.files.back(), nullptr, false, false, finished, ~0ul},
        {"damaged stored block", damagedStored.files.back(), nullptr, false, false, finished, 0x00C},
        {"missing cluster", lacking.files.back(), nullptr, false, false, finished, 0x60B},
        {"right password", encrypted.files.back(), L"Tiger7", false, false, finished, 0},
        {"wrong password", encrypted.files.back(), nullptr, true, false, finished, ~0ul},
        {"cancel", clean.files.back(), nullptr, false, true, cancelled, 0x059},
        {"split set", splitSet.files.back(), nullptr, false, false, finished, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const WorkersOutcome one = CheckWithWorkers(c.path, "1", c.password, c.wrongPassword, c.cancel);
        const WorkersOutcome eight = CheckWithWorkers(c.path, "8", c.password, c.wrongPassword, c.cancel);
        EXPECT_EQ(one.result, eight.result) << std::hex << one.result << " " << eight.result;
        EXPECT_EQ(c.state, one.state);
        EXPECT_EQ(c.state, eight.state);
        if (c.kind == 0) {
            EXPECT_EQ(0u, one.result) << std::hex << one.result;
            EXPECT_EQ(100u, one.overall);
            EXPECT_EQ(100u, eight.overall);
        } else if (c.kind == ~0ul) {
            EXPECT_NE(0u, one.result);
        } else {
            EXPECT_EQ(c.kind, KSResultKind(one.result)) << std::hex << one.result;
        }
    }
    // A block damaged later does not change what the first damaged block reports.
    const WorkersOutcome first = CheckWithWorkers(damagedCompressed.files.back(), "8", nullptr, false, false);
    for (const char* workers : {"1", "8"})
        EXPECT_EQ(first.result, CheckWithWorkers(twiceDamaged.files.back(), workers, nullptr, false, false).result)
            << workers << " workers";
}

} // namespace
