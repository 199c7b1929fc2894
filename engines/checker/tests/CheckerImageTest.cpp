// The checker over sets that our writer made from real FAT and NTFS volumes.
#include <gtest/gtest.h>

#include <sys/stat.h>
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

std::string Fat16Image()
{
    return MakeFixtureImage("fat/fat16-f0.sh", "fat16-f0.img");
}

std::string NtfsImage()
{
    return MakeFixtureImage("ntfs/ntfs-4k.sh", "ntfs-4k.img");
}

// A fresh folder per test.
struct Scratch {
    std::string path;
    Scratch()
    {
        char pattern[] = "/tmp/provane-XXXXXX";
        path = mkdtemp(pattern);
        path += "/";
    }
    ~Scratch()
    {
        const std::string cmd = "rm -rf '" + path + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", path.c_str());
    }
    std::wstring W(const std::string& name) const { return WidePath(path + name); }
};

struct ImageSetChecker : ModuleChecker {

    // The command executor's order up to AddCheck, for every volume of the set's
    // only version. Returns the volumes added.
    std::vector<_KS_VOLUME> Prepare(std::wstring path, const wchar_t* password = nullptr)
    {
        if (p->IsPwdProtect(&path[0]) == 1) {
            std::wstring pw = password != nullptr ? password : L"";
            EXPECT_EQ(1u, p->SetPassword(&pw[0], static_cast<int>(pw.size() * sizeof(wchar_t))));
        }
        _KS_VERSION versions[4];
        int count = 4;
        EXPECT_EQ(0u, p->GetImageVersions(versions, 4, &count, &path[0]));
        EXPECT_EQ(1, count);
        int volumes = 0;
        EXPECT_EQ(0u, p->GetImgVolumes(nullptr, 0, &volumes, &versions[0]));
        std::vector<_KS_VOLUME> list(static_cast<size_t>(volumes > 0 ? volumes : 1));
        EXPECT_EQ(0u, p->GetImgVolumes(list.data(), static_cast<unsigned long>(list.size()), &volumes, &versions[0]));
        EXPECT_EQ(0u, p->SetImgInfo(&versions[0], &path[0]));
        for (int i = 0; i < volumes; ++i)
            EXPECT_EQ(0u, p->AddCheck(&list[static_cast<size_t>(i)]));
        return list;
    }

    // Runs and polls until the end; samples holds every record seen.
    _KS_PROGRESS_INFO Run(std::vector<_KS_PROGRESS_INFO>* samples = nullptr)
    {
        EXPECT_EQ(0u, p->Execute());
        _KS_PROGRESS_INFO record;
        for (;;) {
            EXPECT_EQ(0u, p->GetCheckProgress(&record));
            if (samples != nullptr)
                samples->push_back(record);
            if (record.State == KS_CHECK_STATE_FINISH || record.State == KS_CHECK_STATE_USER_CANCEL)
                return record;
            usleep(2000);
        }
    }
};

void WriteSetOrFail(const std::wstring& path, const std::vector<FixtureVolume>& volumes,
                    const FixtureSetOptions& options, FixtureSet* set)
{
    std::string error;
    ASSERT_EQ(0u, WriteFixtureSet(path, volumes, options, set, &error)) << error;
}

FixtureVolume FromImage(const std::string& image)
{
    FixtureVolume v;
    v.image = image;
    return v;
}

} // namespace

TEST(CheckerImage, FatAndNtfsVolumesCheckClean)
{
    const std::string fat = Fat16Image(), ntfs = NtfsImage();
    ASSERT_FALSE(fat.empty());
    ASSERT_FALSE(ntfs.empty());
    Scratch dir;
    FixtureSet set;
    WriteSetOrFail(dir.W("two.rvd"), {FromImage(fat), FromImage(ntfs)}, FixtureSetOptions(), &set);

    ImageSetChecker check;
    const std::vector<_KS_VOLUME> volumes = check.Prepare(set.files.back());
    ASSERT_EQ(2u, volumes.size());
    EXPECT_EQ(KS_FS_FAT16, volumes[0].FileSystem);
    EXPECT_EQ(KS_FS_NTFS, volumes[1].FileSystem);
    std::vector<_KS_PROGRESS_INFO> samples;
    const _KS_PROGRESS_INFO end = check.Run(&samples);
    EXPECT_EQ(0u, end.Result);
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    EXPECT_EQ(100u, end.OverallPercent);
    EXPECT_EQ(100u, end.ItemPercent);
    EXPECT_EQ(2u, end.ItemCount);
    EXPECT_EQ(1u, end.CurrentItem);
    uint32_t last = 0;
    for (const _KS_PROGRESS_INFO& r : samples) {
        EXPECT_GE(r.OverallPercent, last) << "progress never goes back";
        last = r.OverallPercent;
        if (r.State == KS_CHECK_STATE_FINISH)
            continue;
        if (r.CurrentItem == 0)
            EXPECT_LE(r.OverallPercent, 52u);
        else
            EXPECT_GE(r.OverallPercent, 52u);
        EXPECT_EQ(0, r.Text[0]);
    }
}

// Each FAT flavour on its own: FAT32 is compared through its reader (its root
// directory lives in data clusters), FAT12 is read but not compared.
TEST(CheckerImage, EveryFatFlavourChecksClean)
{
    const struct {
        const char* script;
        const char* name;
        bool partitioned;
        uint8_t kind;
    } cases[] = {
        {"fat/fat32.sh", "fat32.img", true, KS_FS_FAT32},
        {"fat/fat32-f0.sh", "fat32-f0.img", false, KS_FS_FAT32},
        {"fat/fat12.sh", "fat12.img", false, KS_FS_FAT12},
    };
    for (const auto& k : cases) {
        const std::string image = MakeFixtureImage(k.script, k.name);
        ASSERT_FALSE(image.empty()) << k.script;
        Scratch dir;
        FixtureSet set;
        FixtureVolume volume = FromImage(image);
        volume.partitioned = k.partitioned;
        WriteSetOrFail(dir.W("fat.rvd"), {volume}, FixtureSetOptions(), &set);

        ImageSetChecker check;
        const std::vector<_KS_VOLUME> volumes = check.Prepare(set.files.back());
        ASSERT_EQ(1u, volumes.size()) << k.script;
        EXPECT_EQ(k.kind, volumes[0].FileSystem) << k.script;
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(0u, end.Result) << k.script << " " << std::hex << end.Result;
        EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State) << k.script;
        EXPECT_EQ(100u, end.OverallPercent) << k.script;
        EXPECT_EQ(static_cast<uint32_t>(KS_STAGE_CHECK_BITMAP), end.Stage) << k.script;
    }
}

TEST(CheckerImage, AFlippedByteInADataBlockFails)
{
    const std::string ntfs = NtfsImage();
    ASSERT_FALSE(ntfs.empty());
    Scratch dir;
    FixtureSet set;
    FixtureSetOptions stored;
    stored.level = 0; // blocks stored as they are, so the flipped byte reaches the CRC check
    WriteSetOrFail(dir.W("flip.rvd"), {FromImage(ntfs)}, stored, &set);

    const std::string file = NarrowPath(set.files.back());
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(-static_cast<std::streamoff>(KS_IMG_TAIL_SIZE), std::ios::end);
    unsigned char tailBytes[KS_IMG_TAIL_SIZE];
    f.read(reinterpret_cast<char*>(tailBytes), sizeof tailBytes);
    _KS_IMG_TAIL tail;
    KSImgTailFromBytes(tailBytes, tail);
    // The first data block starts right after the directory lists.
    const std::streamoff inside = static_cast<std::streamoff>(tail.DataStart) + 700;
    f.seekg(inside);
    char byte = 0;
    f.read(&byte, 1);
    byte = static_cast<char>(byte ^ 0x5A);
    f.seekp(inside);
    f.write(&byte, 1);
    f.close();

    ImageSetChecker check;
    check.Prepare(set.files.back());
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0x00Cu, KSResultKind(end.Result)) << std::hex << end.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
}

TEST(CheckerImage, ClustersMissingFromTheImageFailTheBitmapComparison)
{
    for (const std::string& fat : {Fat16Image(), MakeFixtureImage("fat/fat32.sh", "fat32.img")}) {
        ASSERT_FALSE(fat.empty());
        Scratch dir;
        FixtureSet set;
        FixtureVolume lacking = FromImage(fat);
        lacking.omitLastUsedCluster = true;
        WriteSetOrFail(dir.W("gap.rvd"), {lacking}, FixtureSetOptions(), &set);

        ImageSetChecker check;
        check.Prepare(set.files.back());
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(0x60Bu, KSResultKind(end.Result)) << fat << " " << std::hex << end.Result;
        EXPECT_EQ(0xAu, KSResultModule(end.Result)) << fat;
        EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State) << fat;
    }
}

TEST(CheckerImage, EncryptedSetNeedsTheRightPassword)
{
    const std::string fat = Fat16Image();
    ASSERT_FALSE(fat.empty());
    Scratch dir;
    FixtureSet set;
    FixtureSetOptions secret;
    secret.password = L"Tiger7";
    WriteSetOrFail(dir.W("locked.rvd"), {FromImage(fat)}, secret, &set);

    ImageSetChecker check;
    std::wstring path = set.files.back();
    ASSERT_EQ(1u, check->IsPwdProtect(&path[0]));
    std::wstring wrong = L"tiger7";
    EXPECT_EQ(0u, check->SetPassword(&wrong[0], 6 * sizeof(wchar_t)));
    int count = 0;
    EXPECT_EQ(0x0163A005u, check->GetImageVersions(nullptr, 0, &count, &path[0]));
    check.Prepare(path, L"Tiger7");
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
}
