// Which files a set is read from when it was copied or renamed: the files beside the
// file opened come first, under that file's own name and then under the set's
// recorded name; the folder the set records for its files is looked in only for a
// file that is not there at all. A copy is never checked or restored from its
// originals.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "TestSet.h"

namespace {

std::string DiscoveryNarrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// A set of three files written by hand into folder (the way a full disc or file ends).
std::vector<std::string> DiscoveryThreeFiles(const std::string& folder, const std::vector<unsigned char>& data)
{
    std::vector<std::string> files;
    CofranPtr c;
    const std::wstring first = Widen(folder + "set.rvd");
    files.push_back(DiscoveryNarrow(first));
    EXPECT_EQ(0u, c->OpenCofran(first.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    EXPECT_EQ(0u, c->BeginBackup(first.c_str(), 0, nullptr, nullptr, 6, 0));
    const _KS_VOLUME v = NtfsVolume(8, 100000);
    EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            EXPECT_EQ(0u, c->EndBackup(1));
            wchar_t next[300];
            EXPECT_EQ(0u, c->GetAvailableCofranName(next, 300));
            files.push_back(DiscoveryNarrow(next));
            EXPECT_EQ(0u, c->BeginBackup(next, 0, nullptr, nullptr, 6, 0));
        }
        EXPECT_EQ(0u, c->WriteData(part * 100, data.data() + part * 100 * 4096, 100, 0));
    }
    EXPECT_EQ(0u, c->EndBackup(0));
    return files;
}

void DiscoveryCopy(const std::string& from, const std::string& to)
{
    ASSERT_EQ(0, std::system(("cp '" + from + "' '" + to + "'").c_str()));
}

// The file name after the last '/'.
std::string DiscoveryNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::vector<std::string> DiscoveryListed(const std::wstring& last)
{
    std::vector<std::string> paths;
    CofranPtr c;
    EXPECT_EQ(0u, c->OpenCofran(last.c_str(), KS_OPEN_RANDOM, nullptr, 0));
    unsigned long count = 0;
    EXPECT_EQ(0u, c->GetBackupImg(nullptr, &count));
    std::vector<_KS_IMG> files(count + 1);
    EXPECT_EQ(0u, c->GetBackupImg(files.data(), &count));
    for (unsigned long i = 0; i < count; ++i)
        paths.push_back(DiscoveryNarrow(files[i].Path));
    return paths;
}

// Reads the whole volume; the first failure, or 0.
unsigned long DiscoveryReadAll(const std::wstring& last, std::vector<unsigned char>& out)
{
    CofranPtr c;
    unsigned long rc = c->OpenCofran(last.c_str(), KS_OPEN_RANDOM, nullptr, 0);
    _KS_VOLUME v;
    if (rc == 0)
        rc = c->GetVolumes(&v, 1);
    if (rc == 0)
        rc = c->OpenVolume(&v);
    out.assign(300 * 4096, 0);
    for (uint32_t at = 0; rc == 0 && at < 300;) {
        unsigned long got = 0;
        rc = c->ReadData(at, out.data() + at * 4096, 300 - at, &got);
        if (rc == 0 && got == 0)
            return 0xFFFFFFFFul;
        at += got;
    }
    return rc;
}

// A byte of a file's head changed: its checksum no longer holds.
void DiscoverySpoilHead(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(nullptr, f);
    std::fseek(f, 100, SEEK_SET);
    const int c = std::fgetc(f);
    std::fseek(f, 100, SEEK_SET);
    std::fputc(c ^ 0x5A, f);
    std::fclose(f);
}

TEST(SetDiscovery, ARenamedCopyBesideTheOriginalIsReadFromItsOwnFiles)
{
    ScratchFolder dir;
    const std::vector<unsigned char> data = RandomBytes(300 * 4096, 31);
    const std::vector<std::string> set = DiscoveryThreeFiles(dir.Path(), data);
    ASSERT_EQ(3u, set.size());
    // "set.rvd", "set1.RVD", "set2.RVD" copied as "copy.rvd", "copy1.rvd", "copy2.rvd".
    std::vector<std::string> copies;
    for (size_t i = 0; i < set.size(); ++i) {
        copies.push_back(dir.Path() + "copy" + (i == 0 ? std::string() : std::to_string(i)) + ".rvd");
        DiscoveryCopy(set[i], copies.back());
    }
    wchar_t last[300] = {};
    ASSERT_EQ(0u, CofranPtr()->SearchLastCofran(Widen(copies[0]).c_str(), last, 300, 0));
    EXPECT_EQ(DiscoveryNameOf(copies[2]), DiscoveryNameOf(DiscoveryNarrow(last))) << "the copy's last file, not the original's";
    const std::vector<std::string> listed = DiscoveryListed(Widen(copies[2]));
    ASSERT_EQ(3u, listed.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(copies[2 - i], listed[i]);

    // The copy's middle file damaged: reading the copy fails, whatever stands beside it.
    DiscoverySpoilHead(copies[1]);
    std::vector<unsigned char> read;
    EXPECT_NE(0u, DiscoveryReadAll(Widen(copies[2]), read));
    for (const std::string& path : DiscoveryListed(Widen(copies[2])))
        EXPECT_EQ(0u, DiscoveryNameOf(path).compare(0, 4, "copy")) << path;
    EXPECT_EQ(0u, DiscoveryReadAll(Widen(set[2]), read)) << "the original is whole";
    EXPECT_EQ(data, read);
}

TEST(SetDiscovery, ASingleFileCopyUnderAnotherNameIsCheckedAsItselfNotAsItsOriginal)
{
    ScratchFolder dir;
    CofranPtr c;
    const std::wstring original = dir.WPath("alone.rvd");
    ASSERT_EQ(0u, c->OpenCofran(original.c_str(), KS_OPEN_BACKUP, nullptr, 0));
    ASSERT_EQ(0u, c->BeginBackup(original.c_str(), 0, nullptr, nullptr, 6, 0));
    const _KS_VOLUME v = NtfsVolume(8, 100000);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    const std::vector<unsigned char> data = RandomBytes(300 * 4096, 32);
    ASSERT_EQ(0u, c->WriteData(0, data.data(), 300, 0));
    ASSERT_EQ(0u, c->EndBackup(0));
    // Two copies on either side of the original in any folder order.
    for (const char* name : {"a-copy.rvd", "z-copy.rvd"}) {
        SCOPED_TRACE(name);
        DiscoveryCopy(DiscoveryNarrow(original), dir.Path() + name);
        wchar_t last[300] = {};
        ASSERT_EQ(0u, c->SearchLastCofran(dir.WPath(name).c_str(), last, 300, 0));
        EXPECT_EQ(DiscoveryNarrow(dir.WPath(name)), DiscoveryNarrow(last));
        const std::vector<std::string> listed = DiscoveryListed(dir.WPath(name));
        ASSERT_EQ(1u, listed.size());
        EXPECT_EQ(dir.Path() + name, listed[0]);
    }
    wchar_t last[300] = {};
    ASSERT_EQ(0u, c->SearchLastCofran(original.c_str(), last, 300, 0));
    EXPECT_EQ(DiscoveryNarrow(original), DiscoveryNarrow(last));
}

TEST(SetDiscovery, TheRecordedFolderIsLookedInOnlyForAFileThatIsNotBesideTheOpenedOne)
{
    ScratchFolder dir;
    const std::vector<unsigned char> data = RandomBytes(300 * 4096, 33);
    ASSERT_EQ(0, mkdir((dir.Path() + "written").c_str(), 0755));
    ASSERT_EQ(0, mkdir((dir.Path() + "copy").c_str(), 0755));
    const std::vector<std::string> set = DiscoveryThreeFiles(dir.Path() + "written/", data);
    ASSERT_EQ(3u, set.size());
    std::vector<std::string> copies;
    for (const std::string& file : set) {
        copies.push_back(dir.Path() + "copy/" + DiscoveryNameOf(file));
        DiscoveryCopy(file, copies.back());
    }
    const struct {
        const char* change;
        bool readable;
        size_t listed;
    } cases[] = {
        {"whole", true, 3},
        {"first file gone", true, 3},  // found where the set says it was written
        {"first file another set's", true, 3}, // not this set's file: as if gone
        {"middle file spoilt", false, 1},
    };
    const std::string stranger = dir.Path() + "stranger.rvd";
    {
        CofranPtr c;
        const std::wstring path = Widen(stranger);
        ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_BACKUP, nullptr, 0));
        ASSERT_EQ(0u, c->BeginBackup(path.c_str(), 0, nullptr, nullptr, 6, 0));
        const _KS_VOLUME v = NtfsVolume(8, 100000);
        ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, c->WriteData(0, data.data(), 10, 0));
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        for (size_t i = 0; i < set.size(); ++i)
            DiscoveryCopy(set[i], copies[i]);
        if (std::strcmp(c.change, "first file gone") == 0) {
            ASSERT_EQ(0, std::remove(copies[0].c_str()));
        }
        if (std::strcmp(c.change, "first file another set's") == 0)
            DiscoveryCopy(stranger, copies[0]);
        if (std::strcmp(c.change, "middle file spoilt") == 0)
            DiscoverySpoilHead(copies[1]);
        const std::vector<std::string> listed = DiscoveryListed(Widen(copies[2]));
        ASSERT_EQ(c.listed, listed.size());
        EXPECT_EQ(copies[2], listed[0]);
        if (c.listed > 1) {
            EXPECT_EQ(copies[1], listed[1]) << "the copy's own middle file";
        }
        if (c.listed > 2) {
            EXPECT_EQ(std::strcmp(c.change, "whole") == 0 ? copies[0] : set[0], listed[2]);
        }
        std::vector<unsigned char> read;
        const unsigned long rc = DiscoveryReadAll(Widen(copies[2]), read);
        EXPECT_EQ(c.readable, rc == 0) << std::hex << rc;
        if (c.readable) {
            EXPECT_EQ(data, read);
        }
    }
}

} // namespace
