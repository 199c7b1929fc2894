#include "ChannelFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "BackupRunner.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "KSResult.h"
#include "MomPtr.h"
#include "vessmar/IVessmarModule.h"

Tasque NewTasque()
{
    ITasque* tasque = CreateTasqueObj();
    EXPECT_NE(nullptr, tasque);
    return Tasque(tasque);
}

void NameDisks(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& p : paths)
        list += (list.empty() ? "" : ":") + p;
    setenv(CDiskMap::kImagesVariable, list.c_str(), 1);
    // The executor's device manager is the one module loaded from bin/.
    IModule* root = OpenModuleFromFile(VESSMAR_MODULE_FILE);
    ASSERT_NE(nullptr, root);
    IVessmarModule* vessmar = root->GetInterfaceT<IVessmarModule>("IVessmarModule");
    ASSERT_NE(nullptr, vessmar);
    vessmar->Refresh(0);
}

ImageSet BackUpFixture(const std::string& name, const std::wstring& password, uint32_t splitMiB)
{
    const BackupDisk& disk = BackupDisk::Get();
    ImageSet set;
    set.folder = MakeWorkFolder(name);
    BackupRequest request;
    request.imagePath = Wide(set.folder + "/set.rvd");
    request.password = password;
    request.splitMiB = splitMiB;
    request.partitions = {disk.ntfs.index, disk.fat32.index};
    EXPECT_EQ(0u, RunBackup(request).last.Result);
    set.files = FilesIn(set.folder);
    EXPECT_FALSE(set.files.empty());
    set.firstFile = Wide(set.folder + "/" + (set.files.empty() ? std::string() : set.files[0]));
    return set;
}

std::string MakeRestoreTarget(const std::string& folder)
{
    const std::string source = BackupDisk::Get().Path();
    const std::string target = folder + "/target.img";
    EXPECT_EQ(0, std::system(("truncate -s 76M '" + target + "' && sfdisk -d '" + source + "' | sfdisk --quiet '" +
                              target + "' >/dev/null 2>&1").c_str()));
    NameDisks({source, target});
    return target;
}

_RESTORE_INFO RestoreItemFor(const FixturePartition& p, uint16_t volumeType)
{
    _RESTORE_INFO item{};
    item.DiskNumber = 1;
    item.FirstSector = p.start;
    item.SectorCount = p.sectors;
    item.VolumeType = volumeType;
    item.DriveLetter = '*';
    item.Primary = 1;
    item.HiddenSectors = p.start;
    return item;
}

namespace {

struct PageContext {
    const std::function<unsigned long(unsigned long, void*)>* onMessage;
    std::vector<unsigned long> messages;
};

unsigned long PageCallback(void* context, unsigned long message, void* data)
{
    auto* page = static_cast<PageContext*>(context);
    page->messages.push_back(message);
    if (message == 1 || message == 3)
        return *page->onMessage ? (*page->onMessage)(message, data) : 0x01121607;
    return 0;
}

} // namespace

ChannelRun RestoreThroughChannel(ITasque& tasque, const std::wstring& setPath,
                                 const std::vector<const FixturePartition*>& partitions,
                                 const std::function<unsigned long(unsigned long, void*)>& onMessage, bool cancel)
{
    ChannelRun run;
    PageContext page{&onMessage, {}};
    std::wstring path = setPath;
    EXPECT_EQ(0u, tasque.RestoreSetCallBack(&PageCallback, &page));
    unsigned long count = 0;
    EXPECT_EQ(0u, tasque.RestoreGetImageVersions(nullptr, 0, &count, &path[0]));
    std::vector<_KS_VERSION> versions(count);
    EXPECT_EQ(0u, tasque.RestoreGetImageVersions(versions.data(), count, &count, &path[0]));
    if (versions.empty())
        return run;
    _KS_VERSION version = versions.back();
    EXPECT_EQ(0u, tasque.RestoreSetImgInfo(&version, &path[0]));
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(nullptr, 0, &count, &version));
    std::vector<_KS_VOLUME> volumes(count);
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(volumes.data(), count, &count, &version));
    for (const FixturePartition* p : partitions)
        for (_KS_VOLUME& v : volumes)
            if (v.PartitionStart == p->start) {
                const _RESTORE_INFO item = RestoreItemFor(*p, v.FileSystem);
                EXPECT_EQ(0u, tasque.AddRestore(&v, &item, 0));
            }
    EXPECT_EQ(0u, tasque.RestoreExecute());
    for (;;) {
        EXPECT_EQ(0u, tasque.RestoreGetProgress(&run.last));
        if (run.states.empty() || run.states.back() != run.last.State)
            run.states.push_back(run.last.State);
        if (run.last.State == RESTORE_STATE_FINISH || run.last.State == RESTORE_STATE_USER_CANCEL)
            break;
        if (cancel && run.last.State == RESTORE_STATE_RUNNING)
            tasque.RestoreUserCancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(cancel ? 5 : 200));
    }
    run.messages = page.messages;
    return run;
}

namespace {

std::string CutVolume(const std::string& disk, const FixturePartition& p, const std::string& out)
{
    EXPECT_EQ(0, std::system(("dd if='" + disk + "' of='" + out + "' bs=512 skip=" + std::to_string(p.start) +
                              " count=" + std::to_string(p.sectors) + " status=none").c_str()));
    return out;
}

std::string Md5(const std::string& command) { return CommandOutput(command + " | md5sum"); }

} // namespace

void ExpectSameVolume(const std::string& target, const std::string& source, const FixturePartition& p, bool ntfs,
                      const std::string& folder)
{
    const std::string restored = CutVolume(target, p, folder + "/restored.vol");
    const std::string original = CutVolume(source, p, folder + "/original.vol");
    if (ntfs) {
        EXPECT_EQ(0, std::system(("ntfsfix -n '" + restored + "' >/dev/null 2>&1").c_str()));
        const std::string list = CommandOutput("ntfsls -R '" + original + "' 2>/dev/null");
        EXPECT_FALSE(list.empty());
        EXPECT_EQ(list, CommandOutput("ntfsls -R '" + restored + "' 2>/dev/null"));
        for (const char* name : {"/file1.bin", "/file2.bin", "/file3.bin"})
            EXPECT_EQ(Md5("ntfscat '" + original + "' " + name), Md5("ntfscat '" + restored + "' " + name)) << name;
        return;
    }
    EXPECT_EQ(0, std::system(("fsck.fat -n '" + restored + "' >/dev/null 2>&1").c_str()));
    const std::string a = folder + "/files-restored", b = folder + "/files-original";
    for (const auto& [to, image] : {std::pair{a, restored}, std::pair{b, original}})
        EXPECT_EQ(0, std::system(("rm -rf '" + to + "' && mkdir -p '" + to + "' && MTOOLS_SKIP_CHECK=1 mcopy -s -n -i '" +
                                  image + "' '::*' '" + to + "' 2>/dev/null").c_str()));
    EXPECT_EQ(0, std::system(("diff -r '" + a + "' '" + b + "' >/dev/null").c_str()));
    EXPECT_EQ(0, std::system(("test -s '" + a + "/BIG.BIN'").c_str()));
}
