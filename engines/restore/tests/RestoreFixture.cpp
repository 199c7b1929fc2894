#include "RestoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "KSResult.h"

// A fresh sparse disk of the fixture's size and partition table, named as disk 1.
std::string MakeTargetDisk(const std::string& folder)
{
    const std::string source = BackupDisk::Get().Path();
    const std::string target = folder + "/target.img";
    // A fresh file each time: truncating an old one would keep what an earlier
    // restore wrote, and a restore that skips clusters would still compare equal.
    EXPECT_EQ(0, std::system(("rm -f '" + target + "' && truncate -s 76M '" + target + "' && sfdisk -d '" + source + "' | sfdisk --quiet '" +
                              target + "' >/dev/null 2>&1").c_str()));
    setenv(CDiskMap::kImagesVariable, (source + ":" + target).c_str(), 1);
    return target;
}

_KS_RESTORE_TARGET TargetOf(const FixturePartition& p)
{
    _KS_RESTORE_TARGET t{};
    t.DiskNumber = kTargetDisk;
    t.FirstSector = p.start;
    t.SectorCount = p.sectors;
    t.HiddenSectors = p.start;
    return t;
}

// Lists the set, queues each wanted volume onto its partition, runs and polls.
RestoreOutcome RunRestore(IKSRestore* engine, const std::wstring& setPath, const std::vector<FixturePartition>& parts,
                          const std::wstring& password, bool cancel, size_t versionIndex)
{
    RestoreOutcome outcome;
    std::wstring path = setPath;
    if (!password.empty()) {
        EXPECT_EQ(1u, engine->IsPwdProtect(&path[0]));
        engine->SetPassword(const_cast<wchar_t*>(password.c_str()),
                            static_cast<unsigned long>(password.size() * sizeof(wchar_t)));
    }
    unsigned long count = 0;
    EXPECT_EQ(0u, engine->GetImageVersions(nullptr, 0, &count, &path[0]));
    std::vector<_KS_VERSION> versions(count);
    EXPECT_EQ(0u, engine->GetImageVersions(versions.data(), count, &count, &path[0]));
    if (versions.empty() || (versionIndex != SIZE_MAX && versionIndex >= versions.size())) {
        ADD_FAILURE() << "the set lists " << versions.size() << " versions";
        return outcome;
    }
    _KS_VERSION version = versions[versionIndex == SIZE_MAX ? versions.size() - 1 : versionIndex];
    EXPECT_EQ(0u, engine->SetImgInfo(&version, &path[0]));
    EXPECT_EQ(0u, engine->GetImgVolumes(nullptr, 0, &count, &version));
    outcome.volumes.resize(count);
    EXPECT_EQ(0u, engine->GetImgVolumes(outcome.volumes.data(), count, &count, &version));
    for (const FixturePartition& p : parts) {
        for (_KS_VOLUME& v : outcome.volumes) {
            if (v.PartitionStart != p.start)
                continue;
            _KS_RESTORE_TARGET target = TargetOf(p);
            EXPECT_EQ(0u, engine->AddRestore(&v, &target, 0));
        }
    }
    EXPECT_EQ(0u, engine->Execute());
    for (;;) {
        EXPECT_EQ(0u, engine->GetRestoreProgress(&outcome.last));
        if (outcome.last.State == RESTORE_STATE_FINISH || outcome.last.State == RESTORE_STATE_USER_CANCEL)
            break;
        if (cancel && outcome.last.State == RESTORE_STATE_RUNNING)
            engine->UserCancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return outcome;
}

std::string Md5Of(const std::string& command) { return CommandOutput(command + " | md5sum"); }

// Every file of the restored NTFS volume but the page and hibernation files.
void ExpectSameNtfs(const std::string& restored, const std::string& original)
{
    EXPECT_EQ(0, std::system(("ntfsfix -n '" + restored + "' >/dev/null 2>&1").c_str()));
    const std::string list = CommandOutput("ntfsls -R '" + original + "' 2>/dev/null");
    EXPECT_FALSE(list.empty());
    EXPECT_EQ(list, CommandOutput("ntfsls -R '" + restored + "' 2>/dev/null"));
    for (const char* name : {"/file1.bin", "/file2.bin", "/file3.bin"}) {
        const std::string a = Md5Of("ntfscat '" + restored + "' " + name + " 2>/dev/null");
        EXPECT_EQ(a, Md5Of("ntfscat '" + original + "' " + name + " 2>/dev/null")) << name;
    }
    // The last sector of the partition holds the boot sector's copy.
    EXPECT_EQ(CommandOutput("head -c 512 '" + restored + "' | md5sum"),
              CommandOutput("tail -c 512 '" + restored + "' | md5sum"));
}

void ExpectSameFat(const std::string& restored, const std::string& original, const std::string& folder)
{
    EXPECT_EQ(0, std::system(("fsck.fat -n '" + restored + "' >/dev/null 2>&1").c_str()));
    const std::string a = folder + "/files-a", b = folder + "/files-b";
    const std::string copy = "rm -rf '%1' && mkdir -p '%1' && MTOOLS_SKIP_CHECK=1 mcopy -s -n -i '%2' '::*' '%1' 2>/dev/null";
    auto run = [&](const std::string& to, const std::string& image) {
        std::string c = copy;
        for (size_t at; (at = c.find("%1")) != std::string::npos;)
            c.replace(at, 2, to);
        c.replace(c.find("%2"), 2, image);
        return std::system(c.c_str());
    };
    EXPECT_EQ(0, run(a, restored));
    EXPECT_EQ(0, run(b, original));
    EXPECT_EQ(0, std::system(("diff -r '" + a + "' '" + b + "' >/dev/null").c_str()));
    EXPECT_EQ(0, std::system(("test -s '" + a + "/BIG.BIN'").c_str()));
}

_KS_PROGRESS_INFO ExecuteAndWait(IKSRestore* engine)
{
    _KS_PROGRESS_INFO record{};
    const unsigned long started = engine->Execute();
    EXPECT_EQ(started, 0u) << std::hex << started;
    if (started != 0) {
        record.Result = started;
        return record;
    }
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        engine->GetRestoreProgress(&record);
    } while (record.State != RESTORE_STATE_FINISH && record.State != RESTORE_STATE_USER_CANCEL);
    return record;
}
