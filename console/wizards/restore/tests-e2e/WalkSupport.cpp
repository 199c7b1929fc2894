#include "WalkSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "CommandOutput.h"

OpenedSet OpenSetForRestore(ITasque& tasque, const std::wstring& path)
{
    OpenedSet set;
    std::wstring p = path;
    unsigned long count = 0;
    EXPECT_EQ(0u, tasque.RestoreGetImageVersions(nullptr, 0, &count, &p[0]));
    std::vector<_KS_VERSION> versions(count);
    EXPECT_EQ(0u, tasque.RestoreGetImageVersions(versions.data(), count, &count, &p[0]));
    if (versions.empty() || count == 0)
        return set;
    set.version = versions[count - 1];
    EXPECT_EQ(0u, tasque.RestoreSetImgInfo(&set.version, &p[0]));
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(nullptr, 0, &count, &set.version));
    set.volumes.resize(count);
    EXPECT_EQ(0u, tasque.RestoreGetImgVolumes(set.volumes.data(), count, &count, &set.version));
    set.volumes.resize(count);
    return set;
}

KSProgressInfoT<wchar_t> FollowRunToEnd(ITasque& tasque, const std::function<void()>& eachPoll)
{
    KSProgressInfoT<wchar_t> p{};
    EXPECT_EQ(0u, tasque.RestoreExecute());
    // A bounded wait: a run that never ends fails the test instead of hanging it.
    for (int i = 0; i < 1500; ++i) {
        tasque.RestoreGetProgress(&p);
        if (p.State == RESTORE_STATE_FINISH || p.State == RESTORE_STATE_USER_CANCEL)
            return p;
        if (eachPoll)
            eachPoll();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "the run did not end";
    return p;
}

std::string CutSectors(const std::string& disk, uint64_t first, uint64_t count, const std::string& out)
{
    EXPECT_EQ(0, std::system(("dd if='" + disk + "' of='" + out + "' bs=512 skip=" + std::to_string(first) +
                              " count=" + std::to_string(count) + " status=none").c_str()));
    return out;
}

std::string SectorsMd5(const std::string& disk, uint64_t first, uint64_t count)
{
    return CommandOutput("dd if='" + disk + "' bs=512 skip=" + std::to_string(first) + " count=" +
                         std::to_string(count) + " status=none | md5sum");
}

void ExpectSameFatFiles(const std::string& restored, const std::string& original)
{
    for (const std::string& image : {restored, original})
        EXPECT_EQ(0, std::system(("fsck.fat -n '" + image + "' >/dev/null 2>&1").c_str()))
            << CommandOutput("fsck.fat -n '" + image + "' 2>&1");
    const std::string names = "MTOOLS_SKIP_CHECK=1 mdir -b -/ -i '";
    const std::string list = CommandOutput(names + original + "' :: 2>/dev/null");
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list, CommandOutput(names + restored + "' :: 2>/dev/null"));
    for (size_t at = 0; at < list.size();) {
        const size_t nl = list.find('\n', at);
        const std::string name = list.substr(at, nl - at);
        at = nl == std::string::npos ? list.size() : nl + 1;
        if (name.empty() || name.back() == '/')
            continue;
        const std::string read = "MTOOLS_SKIP_CHECK=1 mtype -i '";
        EXPECT_EQ(CommandOutput(read + original + "' '" + name + "' | md5sum"),
                  CommandOutput(read + restored + "' '" + name + "' | md5sum"))
            << name;
    }
}

void ExpectSameNtfsFiles(const std::string& restored, const std::string& original)
{
    EXPECT_EQ(0, std::system(("ntfsfix -n '" + restored + "' >/dev/null 2>&1").c_str()))
        << CommandOutput("ntfsfix -n '" + restored + "' 2>&1");
    const std::string files = CommandOutput("ntfsls '" + original + "'");
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files, CommandOutput("ntfsls '" + restored + "'"));
    for (size_t at = 0; at < files.size();) {
        const size_t nl = files.find('\n', at);
        const std::string name = files.substr(at, nl - at);
        at = nl == std::string::npos ? files.size() : nl + 1;
        // The backup leaves the contents of the paging and hibernation files out.
        if (name.empty() || name[0] == '$' || name == "pagefile.sys" || name == "hiberfil.sys")
            continue;
        EXPECT_EQ(CommandOutput("ntfscat '" + original + "' '" + name + "' | md5sum"),
                  CommandOutput("ntfscat '" + restored + "' '" + name + "' | md5sum"))
            << name;
    }
}

std::vector<TableRow> TableOf(const std::string& disk)
{
    std::vector<TableRow> rows;
    const std::string dump = CommandOutput("sfdisk --dump '" + disk + "' 2>/dev/null");
    for (size_t at = 0; at < dump.size();) {
        const size_t nl = dump.find('\n', at);
        const std::string line = dump.substr(at, nl - at);
        at = nl == std::string::npos ? dump.size() : nl + 1;
        const size_t start = line.find("start="), size = line.find("size="), type = line.find("type=");
        if (start == std::string::npos || size == std::string::npos || type == std::string::npos)
            continue;
        TableRow row;
        row.start = std::stoull(line.substr(start + 6));
        row.size = std::stoull(line.substr(size + 5));
        row.type = static_cast<unsigned>(std::stoul(line.substr(type + 5), nullptr, 16));
        row.bootable = line.find("bootable") != std::string::npos;
        rows.push_back(row);
    }
    return rows;
}
