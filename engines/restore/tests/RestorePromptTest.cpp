// A file of a split set that is not where the set lies: the engine asks for it by
// name and number (message 3); a refusal ends the restore with 0x607, and an answer
// given once the file is back completes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "KSResult.h"
#include "PeerBitmap.h"
#include "RestoreFixture.h"

namespace {
struct FileAsker {
    std::vector<_KS_RESTORE_REQUEST> requests;
    std::string missing, stash; // moved back before the answer when answer is 0
    unsigned long answer = 0;
};

unsigned long AskForFile(void* context, unsigned long message, void* data)
{
    auto& asker = *static_cast<FileAsker*>(context);
    if (message != KS_RESTORE_MSG_FILE || data == nullptr)
        return 0;
    asker.requests.push_back(*static_cast<_KS_RESTORE_REQUEST*>(data));
    if (asker.answer == 0)
        std::rename(asker.stash.c_str(), asker.missing.c_str());
    return asker.answer;
}

_KS_PROGRESS_INFO RestoreAsking(const std::wstring& set, _KS_VERSION version, const _KS_VOLUME& volume,
                                const FixturePartition& partition, FileAsker& asker)
{
    void* object = nullptr;
    EXPECT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine engine(static_cast<IKSRestore*>(object));
    std::wstring path = set;
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    engine->SetCallBack(AskForFile, &asker);
    _KS_VOLUME source = volume;
    _KS_RESTORE_TARGET target = TargetOf(partition);
    EXPECT_EQ(0u, engine->AddRestore(&source, &target, 0));
    _KS_PROGRESS_INFO record = ExecuteAndWait(engine.get());
    return record;
}

TEST(RestorePrompt, AMissingMiddleFileIsAskedForRefusedThenRestoredOnceBack)
{
    // Five copies of the FAT32 volume stored as they are in files of 50 MiB: the fourth
    // copy lies wholly in the third of four files.
    const BackupDisk& disk = BackupDisk::Get();
    const std::string folder = MakeWorkFolder("restore-prompt");
    const std::vector<std::string> files = BackUpSplitCopies(folder, disk.fat32.index);
    ASSERT_EQ(files.size(), 4u);
    const std::string target = MakeTargetDisk(folder);
    const std::wstring set = Wide(folder + "/" + files.back());

    void* object = nullptr;
    ASSERT_EQ(0u, KSCreateObjectRt(0, KS_RESTORE_KIND, &object));
    RestoreEngine lister(static_cast<IKSRestore*>(object));
    std::wstring path = set;
    unsigned long count = 0;
    _KS_VERSION version{};
    ASSERT_EQ(0u, lister->GetImageVersions(&version, 1, &count, &path[0]));
    ASSERT_EQ(0u, lister->SetImgInfo(&version, &path[0]));
    _KS_VOLUME volumes[5];
    ASSERT_EQ(0u, lister->GetImgVolumes(volumes, 5, &count, &version));

    FileAsker asker;
    asker.missing = folder + "/" + files[2];
    asker.stash = folder + "/moved-away";
    ASSERT_EQ(0, std::rename(asker.missing.c_str(), asker.stash.c_str()));
    asker.answer = KS_RESULT(KS_MODULE_CONSOLE, 0x607);
    _KS_PROGRESS_INFO record = RestoreAsking(set, version, volumes[3], disk.fat32, asker);
    EXPECT_EQ(KSResultKind(record.Result), 0x607u) << std::hex << record.Result;
    ASSERT_EQ(asker.requests.size(), 1u);
    EXPECT_EQ(asker.requests[0].Kind, KS_RESTORE_REQUEST_FILE);
    EXPECT_EQ(asker.requests[0].Number, 2u); // files count from 0
    const std::wstring name(asker.requests[0].Text);
    EXPECT_NE(name.find(Wide(files[2])), std::wstring::npos) << std::string(name.begin(), name.end());

    asker.requests.clear();
    asker.answer = 0;
    record = RestoreAsking(set, version, volumes[3], disk.fat32, asker);
    ASSERT_EQ(record.Result, 0u) << std::hex << record.Result;
    EXPECT_EQ(asker.requests.size(), 1u);
    const std::string a = folder + "/a", b = folder + "/b";
    ASSERT_FALSE(ExtractPartition(target, disk.fat32.start, disk.fat32.sectors, a).empty());
    ASSERT_FALSE(ExtractPartition(disk.Path(), disk.fat32.start, disk.fat32.sectors, b).empty());
    EXPECT_EQ(0, std::system(("cmp -s '" + a + "' '" + b + "'").c_str()));
}
}
