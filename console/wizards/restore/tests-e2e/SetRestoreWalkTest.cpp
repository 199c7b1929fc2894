// Image sets that need more than a path: a protected set opened on the image
// selection page (a wrong password refused, the right one accepted) and restored; a
// set split into files with one in the middle moved away, asked for through the disc
// change hand-over as the progress page serves it: put back, the run completes;
// refused, the run ends with the result code's own text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "BackupRunner.h"
#include "CDiscChangeServer.h"
#include "CImageSelectionLogic.h"
#include "CRecordingMessages.h"
#include "CRecordingWizard.h"
#include "CRestoreDiscChange.h"
#include "CRestoreRunMonitor.h"
#include "CRestoreRunPreparer.h"
#include "ChannelFixture.h"
#include "IRestoreDiskTables.h"
#include "MsgLib.h"
#include "SourceVolumeFacts.h"
#include "WalkSupport.h"

namespace {

// The progress page's request for one source partition onto the same place of a
// copy of the source's table (made active, so the old entry goes exactly).
RestoreRunRequest SamePlaceRequest(ITasque* tasque, IManagerItem* disk, _KS_VOLUME& v, const FixturePartition& p)
{
    RestoreRunRequest r;
    r.tasque = tasque;
    r.targetDisk = 1;
    r.makeActive = true;
    r.volumes = {&v};
    r.targetPartition.StartSector = p.start;
    r.targetPartition.SectorCount = p.sectors;
    r.targetPartition.DriveLetter = ' ';
    r.newPartitionStart = static_cast<int64_t>(p.start);
    r.newPartitionSectors = static_cast<int64_t>(p.sectors);
    std::memset(&r.newParams, 0, sizeof r.newParams);
    r.newParams.FileSystem = SourceVolumeFacts::Kind(v);
    r.newParams.FirstSector = p.start;
    r.newParams.LastSector = p.start + p.sectors - 1;
    r.newParams.Primary = 1;
    r.newParams.SectorsPerCluster = v.SectorsPerCluster;
    r.newParams.DriveLetter = ' ';
    r.targetItem = disk;
    return r;
}

_KS_VOLUME* VolumeAt(OpenedSet& set, uint64_t start)
{
    for (_KS_VOLUME& v : set.volumes)
        if (v.PartitionStart == start)
            return &v;
    return nullptr;
}

std::string NarrowPath(const std::wstring& path)
{
    return std::string(path.begin(), path.end());
}

// The progress page's view of the run's end, recorded.
struct RecordedRunView : IRestoreRunView {
    std::string title, text;
    int results = 0;
    void UpdateProInfo(const std::string&, double, const std::string&, double) override {}
    void ShowItemDetails(int) override {}
    void EnableCancel(bool) override {}
    void EnableNext(bool) override {}
    void CloseCancelQuestion() override {}
    void ShowResult(const std::string& t, int, const std::string& body) override
    {
        title = t;
        text = body;
        ++results;
    }
    void RunCleanup() override {}
    void CloseWizard() override {}
    void TellEngineCancel() override {}
    void AnswerDiscRequestCancel() override {}
};

std::string LibraryText(uint32_t code)
{
    char text[2048] = {};
    return ZeFormatFullMessage(code, sizeof text, text) ? std::string(text) : std::string();
}

// The user at the disc change dialog: notes what was asked, puts the file back when
// told to, and answers OK or Cancel.
struct AnsweringUser : IDiscChangePrompt {
    std::string aside, inPlace;
    bool confirm = true;
    std::vector<std::string> asked;
    bool Ask(const std::string& displayName, bool fileMode, const std::string&) override
    {
        asked.push_back(displayName);
        EXPECT_TRUE(fileMode);
        if (confirm) {
            EXPECT_EQ(0, std::rename(aside.c_str(), inPlace.c_str()));
        }
        return confirm;
    }
};

} // namespace

TEST(SetRestoreWalk, AProtectedSetRefusesAWrongPasswordAndRestoresWithTheRightOne)
{
    const ImageSet locked = BackUpFixture("walk-locked", L"secret");
    const std::string target = MakeRestoreTarget(locked.folder);
    const std::string before = SectorsMd5(target, 0, 76 * 2048);
    Tasque tasque = NewTasque();
    CRecordingWizard wizard;
    wizard.info.pTasque = tasque.get();
    CRecordingMessages messages;
    CImageSelectionLogic page(wizard, messages);
    ASSERT_EQ(CImageSelectionLogic::Outcome::Shown,
              page.Accept(NarrowPath(locked.firstFile), CImageSelectionLogic::Source::Entry));
    ASSERT_EQ(CImageSelectionLogic::State::Protected, page.GetState());

    EXPECT_FALSE(page.Confirm(L"guess"));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(CImageSelectionLogic::kWrongPassword, messages.shown[0].text);
    EXPECT_FALSE(page.PasswordAccepted());
    unsigned long count = 0;
    std::wstring path = locked.firstFile;
    EXPECT_NE(0u, tasque->RestoreGetImageVersions(nullptr, 0, &count, &path[0])) << "the set stays closed";
    EXPECT_EQ(before, SectorsMd5(target, 0, 76 * 2048));

    ASSERT_TRUE(page.Confirm(L"secret"));
    EXPECT_TRUE(page.PasswordAccepted());
    OpenedSet set = OpenSetForRestore(*tasque, locked.firstFile);
    const BackupDisk& disk = BackupDisk::Get();
    _KS_VOLUME* ntfs = VolumeAt(set, disk.ntfs.start);
    ASSERT_NE(nullptr, ntfs);
    IManagerItem* item = nullptr;
    ASSERT_EQ(0u, tasque->GetDiskItem(1, &item));
    CVessmarDiskTables tables;
    CRestoreRunPreparer preparer(tables, nullptr, nullptr);
    const RestoreRunOutcome out = preparer.Prepare(SamePlaceRequest(tasque.get(), item, *ntfs, disk.ntfs));
    ASSERT_TRUE(out.ready) << std::hex << out.failedCode;
    const KSProgressInfoT<wchar_t> end = FollowRunToEnd(*tasque);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    ExpectSameNtfsFiles(CutSectors(target, disk.ntfs.start, disk.ntfs.sectors, locked.folder + "/restored.ntfs"),
                        CutSectors(disk.Path(), disk.ntfs.start, disk.ntfs.sectors, locked.folder + "/source.ntfs"));
}

class SplitSetWalk : public ::testing::Test {
protected:
    std::string folder, target, inPlace, aside, middle;
    Tasque tasque;
    OpenedSet set;

    // Five stored copies of the FAT32 volume in files of 50 MiB: the third copy lies
    // in the second and third files, and the second (a middle one) is put aside.
    void SetUp() override
    {
        const BackupDisk& disk = BackupDisk::Get();
        // A folder whose path alone fills the request's 63 characters: the dialog must
        // still name the file.
        folder = MakeWorkFolder("walk-split") + "/" + std::string(64, 'f');
        ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
        BackupRequest request;
        request.imagePath = Wide(folder + "/split.rvd");
        request.partitions.assign(5, disk.fat32.index);
        request.sectorBySector = 1;
        request.level = 0;
        request.splitMiB = 50;
        ASSERT_EQ(0u, RunBackup(request).last.Result);
        const std::vector<std::string> files = FilesIn(folder);
        ASSERT_GE(files.size(), 4u);
        target = MakeRestoreTarget(folder);
        tasque = NewTasque();
        set = OpenSetForRestore(*tasque, Wide(folder + "/" + files.back()));
        ASSERT_EQ(5u, set.volumes.size());
        middle = files[1];
        inPlace = folder + "/" + middle;
        aside = folder + "/aside.bin";
        ASSERT_EQ(0, std::rename(inPlace.c_str(), aside.c_str()));
    }

    void TearDown() override
    {
        if (!aside.empty())
            std::rename(aside.c_str(), inPlace.c_str());
    }

    // The third copy onto the target's FAT32 partition, the user answering requests
    // as told; the run's end as the progress page's monitor shows it.
    KSProgressInfoT<wchar_t> Run(AnsweringUser& user, RecordedRunView& view)
    {
        user.aside = aside;
        user.inPlace = inPlace;
        const BackupDisk& disk = BackupDisk::Get();
        CRestoreDiscChange discs(nullptr, &user, false);
        IManagerItem* item = nullptr;
        EXPECT_EQ(0u, tasque->GetDiskItem(1, &item));
        CVessmarDiskTables tables;
        CRestoreRunPreparer preparer(tables, CRestoreDiscChange::Callback(), discs.Context());
        RestoreRunRequest r = SamePlaceRequest(tasque.get(), item, set.volumes[2], disk.fat32);
        r.makeActive = false;
        r.makePrimary = true;
        const RestoreRunOutcome out = preparer.Prepare(r);
        EXPECT_TRUE(out.ready) << std::hex << out.failedCode;
        if (!out.ready)
            return {};
        CRestoreRunMonitor monitor(view, false, &LibraryText);
        KSProgressInfoT<wchar_t> end = FollowRunToEnd(*tasque, [&] { discs.Serve(); });
        monitor.OnProgress(end);
        return end;
    }
};

TEST_F(SplitSetWalk, TheMissingFileIsNamedAndPutBackTheRunCompletes)
{
    AnsweringUser user;
    RecordedRunView view;
    const KSProgressInfoT<wchar_t> end = Run(user, view);
    EXPECT_EQ(uint32_t(RESTORE_STATE_FINISH), end.State);
    EXPECT_EQ(0u, end.Result) << std::hex << end.Result;
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_NE(std::string::npos, user.asked[0].find(middle)) << user.asked[0];
    EXPECT_EQ(CRestoreRunMonitor::kSuccessText, view.text);
    const BackupDisk& disk = BackupDisk::Get();
    ExpectSameFatFiles(CutSectors(target, disk.fat32.start, disk.fat32.sectors, folder + "/restored.fat"),
                       CutSectors(disk.Path(), disk.fat32.start, disk.fat32.sectors, folder + "/source.fat"));
}

TEST_F(SplitSetWalk, RefusingTheRequestEndsTheRunWithTheCodesText)
{
    AnsweringUser user;
    user.confirm = false;
    RecordedRunView view;
    const KSProgressInfoT<wchar_t> end = Run(user, view);
    ASSERT_EQ(1u, user.asked.size());
    EXPECT_NE(std::string::npos, user.asked[0].find(middle)) << user.asked[0];
    if (end.State == RESTORE_STATE_FINISH) {
        ASSERT_NE(0u, end.Result);
        EXPECT_EQ("Error", view.title);
        EXPECT_FALSE(view.text.empty());
        EXPECT_EQ(LibraryText(end.Result), view.text) << std::hex << end.Result;
    } else {
        EXPECT_EQ(uint32_t(RESTORE_STATE_USER_CANCEL), end.State);
    }
}
