// The checker over a set split into several files, on hard disk and as a disc set
// whose files are asked for one at a time.
#include <gtest/gtest.h>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "FixtureSetWriter.h"
#include "IKSCheck.h"
#include "KSResult.h"
#include "ModuleChecker.h"

namespace {

// About 57 MB of incompressible clusters, stored as they are: two files at the
// smallest split size of 50 MiB.
class SplitSetTest : public ::testing::Test {
protected:
    static std::string folder_;
    static FixtureSet set_;
    static FixtureSet discSet_; // the same, written with one disc label per file

    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/provane-split-XXXXXX";
        folder_ = std::string(mkdtemp(pattern)) + "/";
        FixtureVolume filler;
        filler.syntheticClusters = 14000;
        FixtureSetOptions options;
        options.level = 0;
        options.splitMiB = 50;
        std::string error;
        if (mkdir((folder_ + "written").c_str(), 0755) != 0)
            return;
        const unsigned long rc =
            WriteFixtureSet(WidePath(folder_ + "written/split.rvd"), {filler}, options, &set_, &error);
        if (rc != 0)
            std::fprintf(stderr, "split set not written: %s (0x%lx)\n", error.c_str(), rc);
        // Moved away from where it was written, as a set burnt to discs is: the paths
        // its files record of each other lead nowhere.
        if (rename((folder_ + "written").c_str(), (folder_ + "stash").c_str()) != 0)
            set_.files.clear();
        for (std::wstring& file : set_.files)
            file = WidePath(folder_ + "stash/" + BaseName(file));

        options.discSet = true;
        if (mkdir((folder_ + "discs").c_str(), 0755) != 0 ||
            WriteFixtureSet(WidePath(folder_ + "discs/labelled.rvd"), {filler}, options, &discSet_, &error) != 0) {
            std::fprintf(stderr, "disc set not written: %s\n", error.c_str());
            discSet_.files.clear();
        }
        if (rename((folder_ + "discs").c_str(), (folder_ + "burnt").c_str()) != 0)
            discSet_.files.clear();
        for (std::wstring& file : discSet_.files)
            file = WidePath(folder_ + "burnt/" + BaseName(file));
    }
    static void TearDownTestSuite()
    {
        const std::string cmd = "rm -rf '" + folder_ + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", folder_.c_str());
    }

    static void Copy(const std::string& from, const std::string& to)
    {
        const std::string cmd = "cp '" + from + "' '" + to + "'";
        ASSERT_EQ(0, std::system(cmd.c_str()));
    }

    static std::string BaseName(const std::wstring& path)
    {
        const std::string p = NarrowPath(path);
        return p.substr(p.rfind('/') + 1);
    }
};

std::string SplitSetTest::folder_;
FixtureSet SplitSetTest::set_;
FixtureSet SplitSetTest::discSet_;

struct SplitSetChecker : ModuleChecker {

    void Prepare(std::wstring path)
    {
        EXPECT_EQ(0u, p->IsPwdProtect(&path[0]));
        _KS_VERSION version;
        int count = 1;
        ASSERT_EQ(0u, p->GetImageVersions(&version, 1, &count, &path[0]));
        _KS_VOLUME volume;
        ASSERT_EQ(0u, p->GetImgVolumes(&volume, 1, &count, &version));
        ASSERT_EQ(1, count);
        ASSERT_EQ(0u, p->SetImgInfo(&version, &path[0]));
        ASSERT_EQ(0u, p->AddCheck(&volume));
    }

    _KS_PROGRESS_INFO Run()
    {
        EXPECT_EQ(0u, p->Execute());
        _KS_PROGRESS_INFO record;
        do {
            usleep(5000);
            p->GetCheckProgress(&record);
        } while (record.State != KS_CHECK_STATE_FINISH && record.State != KS_CHECK_STATE_USER_CANCEL);
        return record;
    }
};

// The prompt side of a disc drive: files asked for are copied from the stash into
// the drive's folder.
struct DiscDrive {
    std::string stash;
    std::string drive;
    IKSCheck* check = nullptr;
    bool cancelOnAsk = false;
    std::vector<std::string> asked;
    std::vector<std::string> texts; // each request's text as the checker wrote it
    int other = 0;

    static unsigned long Prompt(void* context, unsigned long message, void* data)
    {
        DiscDrive* d = static_cast<DiscDrive*>(context);
        if (message != KS_IMG_MSG_LOCATE_FILE) {
            ++d->other;
            return KSMakeResult(1, KS_MODULE_CONSOLE, 0x607);
        }
        const _KS_IMG_MSG_FILE* file = static_cast<const _KS_IMG_MSG_FILE*>(data);
        const std::string wanted = NarrowPath(file->Path);
        d->texts.push_back(wanted);
        const std::string name = wanted.substr(wanted.rfind('/') + 1);
        d->asked.push_back(name);
        // The set's naming rule and the name the file was written under may differ
        // in case, as on a disc; the user puts in the file that matches.
        std::string found;
        if (DIR* dir = opendir(d->stash.c_str())) {
            while (dirent* entry = readdir(dir))
                if (strcasecmp(entry->d_name, name.c_str()) == 0)
                    found = entry->d_name;
            closedir(dir);
        }
        if (found.empty())
            return KSMakeResult(3, KS_MODULE_CONSOLE, 0x607);
        const std::string cmd = "cp '" + d->stash + found + "' '" + d->drive + found + "'";
        if (std::system(cmd.c_str()) != 0)
            return KSMakeResult(2, KS_MODULE_CONSOLE, 0x607);
        if (d->cancelOnAsk)
            d->check->UserCancel();
        return 0;
    }
};

} // namespace

TEST_F(SplitSetTest, EveryFileOfASplitSetIsRead)
{
    ASSERT_GE(set_.files.size(), 2u);
    SplitSetChecker check;
    check.Prepare(set_.files.back());
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    EXPECT_EQ(100u, end.OverallPercent);
}

TEST_F(SplitSetTest, ADiscSetAsksForTheFilesItNeeds)
{
    ASSERT_GE(set_.files.size(), 2u);
    const std::string drive = folder_ + "disc/mnt/CD/";
    ASSERT_EQ(0, std::system(("mkdir -p '" + drive + "'").c_str()));
    // Only the last file is in the drive.
    Copy(NarrowPath(set_.files.back()), drive + BaseName(set_.files.back()));

    SplitSetChecker check;
    DiscDrive disc;
    disc.stash = folder_ + "stash/";
    disc.drive = drive;
    disc.check = check.p;
    check.Prepare(WidePath(drive + BaseName(set_.files.back())));
    ASSERT_EQ(0u, check.p->SetPromptCall(&DiscDrive::Prompt, &disc));
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    ASSERT_FALSE(disc.asked.empty());
    EXPECT_EQ(0, strcasecmp(BaseName(set_.files.front()).c_str(), disc.asked.front().c_str()));
    EXPECT_EQ(0, disc.other);
    ASSERT_EQ(0, std::system(("rm -rf '" + folder_ + "disc'").c_str()));
}

// In a plain folder a file of the set that is not there is asked for by its name,
// without its folder, before the version's files are checked: refused, the run ends
// with the refusal's code; put back, the check passes. Without a callback nobody is
// asked and the run ends with the broken chain of files.
TEST_F(SplitSetTest, APlainFolderAsksForAMissingFileByItsName)
{
    ASSERT_GE(set_.files.size(), 2u);
    const std::string plain = folder_ + "plain/";
    ASSERT_EQ(0, mkdir(plain.c_str(), 0755));
    for (size_t i = 1; i < set_.files.size(); ++i)
        Copy(NarrowPath(set_.files[i]), plain + BaseName(set_.files[i]));
    const std::wstring last = WidePath(plain + BaseName(set_.files.back()));
    {
        SplitSetChecker check;
        check.Prepare(last);
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(0x054u, KSResultKind(end.Result)) << std::hex << end.Result;
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_CONTAINER), KSResultModule(end.Result));
    }
    {
        SplitSetChecker check;
        DiscDrive user;
        user.stash = folder_ + "nowhere/"; // the user has no such file and refuses
        user.drive = plain;
        check.Prepare(last);
        ASSERT_EQ(0u, check.p->SetPromptCall(&DiscDrive::Prompt, &user));
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(KSMakeResult(3, KS_MODULE_CONSOLE, 0x607), end.Result) << std::hex << end.Result;
        EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
        ASSERT_EQ(1u, user.texts.size());
        EXPECT_EQ(0, strcasecmp(BaseName(set_.files.front()).c_str(), user.texts[0].c_str())) << user.texts[0];
    }
    SplitSetChecker check;
    DiscDrive user;
    user.stash = folder_ + "stash/";
    user.drive = plain;
    check.Prepare(last);
    ASSERT_EQ(0u, check.p->SetPromptCall(&DiscDrive::Prompt, &user));
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    // The name alone, spelt by the set's naming rule, which may differ in case from
    // the name the file was written under.
    ASSERT_EQ(1u, user.texts.size());
    EXPECT_EQ(0, strcasecmp(BaseName(set_.files.front()).c_str(), user.texts[0].c_str())) << user.texts[0];
    EXPECT_EQ(0, user.other);

    // There, but cut short (under a name whose case differs from the naming rule's):
    // asking would not help, and the run reports the damage instead.
    const std::string putBack = plain + BaseName(set_.files.front());
    struct stat info;
    ASSERT_EQ(0, stat(putBack.c_str(), &info));
    ASSERT_EQ(0, truncate(putBack.c_str(), info.st_size / 2));
    SplitSetChecker damaged;
    DiscDrive asked;
    asked.stash = folder_ + "stash/";
    asked.drive = plain;
    damaged.Prepare(last);
    ASSERT_EQ(0u, damaged.p->SetPromptCall(&DiscDrive::Prompt, &asked));
    const _KS_PROGRESS_INFO broken = damaged.Run();
    EXPECT_NE(0u, broken.Result);
    EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_CONTAINER), KSResultModule(broken.Result)) << std::hex << broken.Result;
    EXPECT_TRUE(asked.texts.empty());
    ASSERT_EQ(0, std::system(("rm -rf '" + plain + "'").c_str()));
}

TEST_F(SplitSetTest, CancelDuringTheBlocksEndsCancelled)
{
    ASSERT_GE(set_.files.size(), 2u);
    const std::string drive = folder_ + "cancel/mnt/CD/";
    ASSERT_EQ(0, std::system(("mkdir -p '" + drive + "'").c_str()));
    Copy(NarrowPath(set_.files.back()), drive + BaseName(set_.files.back()));

    SplitSetChecker check;
    DiscDrive disc;
    disc.stash = folder_ + "stash/";
    disc.drive = drive;
    disc.check = check.p;
    disc.cancelOnAsk = true; // the user cancels while the second file is read
    check.Prepare(WidePath(drive + BaseName(set_.files.back())));
    ASSERT_EQ(0u, check.p->SetPromptCall(&DiscDrive::Prompt, &disc));
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0x059u, KSResultKind(end.Result)) << std::hex << end.Result;
    EXPECT_EQ(0xAu, KSResultModule(end.Result));
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_USER_CANCEL), end.State);
    ASSERT_EQ(0, std::system(("rm -rf '" + folder_ + "cancel'").c_str()));
}

namespace {

// A drive that holds one disc at a time: disc n (from 1) holds file n - 1 of the set.
struct DiscChanger {
    std::vector<std::string> files; // the set's files in the order written
    std::string drive;
    std::vector<std::string> asked;

    void Insert(size_t disc)
    {
        const std::string cmd = "rm -f '" + drive + "'* && cp '" + files[disc - 1] + "' '" + drive + "'";
        if (std::system(cmd.c_str()) != 0)
            std::fprintf(stderr, "could not change the disc\n");
    }

    static unsigned long Prompt(void* context, unsigned long message, void* data)
    {
        DiscChanger* d = static_cast<DiscChanger*>(context);
        if (message != KS_IMG_MSG_INSERT_DISC)
            return KSMakeResult(1, KS_MODULE_CONSOLE, 0x607);
        const _KS_IMG_MSG_DISC* request = static_cast<const _KS_IMG_MSG_DISC*>(data);
        EXPECT_EQ(2u, request->Kind);
        EXPECT_EQ(-1, request->Drive) << "a path without a drive letter names no drive";
        const std::string number = NarrowPath(request->DiscNumber);
        d->asked.push_back(number);
        const size_t disc = static_cast<size_t>(std::atoi(number.c_str()));
        if (disc < 1 || disc > d->files.size())
            return KSMakeResult(2, KS_MODULE_CONSOLE, 0x607);
        d->Insert(disc);
        return 0;
    }
};

} // namespace

TEST_F(SplitSetTest, ADiscSetWithLabelsAsksForEachDisc)
{
    ASSERT_GE(discSet_.files.size(), 2u);
    DiscChanger changer;
    for (const std::wstring& file : discSet_.files)
        changer.files.push_back(NarrowPath(file));
    changer.drive = folder_ + "labels/mnt/CD/";
    ASSERT_EQ(0, std::system(("mkdir -p '" + changer.drive + "'").c_str()));
    changer.Insert(discSet_.files.size()); // the last disc is in the drive

    SplitSetChecker check;
    check.Prepare(WidePath(changer.drive + BaseName(discSet_.files.back())));
    ASSERT_EQ(0u, check.p->SetPromptCall(&DiscChanger::Prompt, &changer));
    const _KS_PROGRESS_INFO end = check.Run();
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
    // The first disc to list the set's files, the last one for the version, then the
    // first again for the blocks it holds.
    const std::vector<std::string> expected = {"1", "2", "1"};
    EXPECT_EQ(expected, changer.asked);
    ASSERT_EQ(0, std::system(("rm -rf '" + folder_ + "labels'").c_str()));
}

namespace {

// A byte of a file's head changed: the file no longer reads as a file of its set.
void SpoilFileHead(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(nullptr, f);
    std::fseek(f, 100, SEEK_SET);
    const int c = std::fgetc(f);
    std::fseek(f, 100, SEEK_SET);
    std::fputc(c ^ 0x5A, f);
    std::fclose(f);
}

} // namespace

// A copy of a split set in another folder, whose originals still stand in the folder
// the set records for its files: checking the copy reads the copy, and a damaged file
// of the copy is reported, never replaced by its original.
TEST(SplitSetCopy, ADamagedCopyIsReportedWhileItsOriginalStandsWhereTheSetWasWritten)
{
    char pattern[] = "/tmp/provane-copy-XXXXXX";
    const std::string folder = std::string(mkdtemp(pattern)) + "/";
    ASSERT_EQ(0, mkdir((folder + "written").c_str(), 0755));
    ASSERT_EQ(0, mkdir((folder + "copy").c_str(), 0755));
    FixtureVolume filler;
    filler.syntheticClusters = 14000;
    FixtureSetOptions options;
    options.level = 0;
    options.splitMiB = 50;
    FixtureSet set;
    std::string error;
    ASSERT_EQ(0u, WriteFixtureSet(WidePath(folder + "written/split.rvd"), {filler}, options, &set, &error)) << error;
    ASSERT_GE(set.files.size(), 2u);
    std::vector<std::string> copies;
    for (const std::wstring& file : set.files) {
        const std::string path = NarrowPath(file);
        copies.push_back(folder + "copy/" + path.substr(path.rfind('/') + 1));
        ASSERT_EQ(0, std::system(("cp '" + path + "' '" + copies.back() + "'").c_str()));
    }
    {
        SplitSetChecker check;
        check.Prepare(WidePath(copies.back()));
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(0u, end.Result) << "a whole copy checks clean " << std::hex << end.Result;
    }
    SpoilFileHead(copies.front());
    {
        SplitSetChecker check;
        check.Prepare(WidePath(copies.back()));
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(static_cast<uint32_t>(KS_CHECK_STATE_FINISH), end.State);
        EXPECT_NE(0u, end.Result) << "the copy's first file is damaged";
        EXPECT_EQ(static_cast<unsigned long>(KS_MODULE_CONTAINER), KSResultModule(end.Result)) << std::hex << end.Result;
    }
    {
        SplitSetChecker check;
        check.Prepare(set.files.back());
        const _KS_PROGRESS_INFO end = check.Run();
        EXPECT_EQ(0u, end.Result) << "the original is whole " << std::hex << end.Result;
    }
    ASSERT_EQ(0, std::system(("rm -rf '" + folder + "'").c_str()));
}
