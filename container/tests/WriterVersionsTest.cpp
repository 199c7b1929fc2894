// New versions appended to a complete set, in the same session and after reopening.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "TestSet.h"
#include "VersionChain.h"

namespace {

void WriteOneVolume(IKSCofran* c, uint32_t seed)
{
    const _KS_VOLUME v = NtfsVolume(8);
    const std::vector<unsigned char> data = PatternBytes(16 * 4096, seed);
    ASSERT_EQ(0u, c->WriteVolumeInfo(&v, 256));
    ASSERT_EQ(0u, c->WriteData(0, data.data(), 16, 0));
}

TEST(WriterVersions, EndBackupThenBeginBackupAppendsAVersionWithNewFileNumbers)
{
    ScratchFolder dir;
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("ver.rvd")));
    WriteOneVolume(c.p, 1);
    ASSERT_EQ(0u, c->EndBackup(0));

    wchar_t next[300];
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    EXPECT_EQ(dir.WPath("ver1.RVD"), std::wstring(next));
    ASSERT_EQ(0u, c->BeginBackup(next, 0, nullptr, nullptr, 6, 0));
    WriteOneVolume(c.p, 2);
    ASSERT_EQ(0u, c->EndBackup(0));

    const InspectedFile first = Inspect(dir.Path() + "ver.rvd");
    const InspectedFile second = Inspect(dir.Path() + "ver1.RVD");
    ASSERT_TRUE(second.headSumOk && second.tailSumOk);
    EXPECT_EQ(1u, second.head.FileNumber);
    EXPECT_EQ(1u, second.head.VersionIndex);
    EXPECT_EQ(1u, second.head.NameNumber);
    EXPECT_EQ(0, memcmp(first.head.SetId, second.head.SetId, 16));
    EXPECT_EQ(first.tail.DataLength, second.head.Base);
    EXPECT_EQ(-1, second.tail.EndState);
    const std::vector<unsigned char> versions = second.Blob(KS_GROUP_DIR, second.tail.VersionListPos,
                                                            second.tail.VersionListRaw, second.tail.VersionListStored);
    ASSERT_EQ(64u, versions.size());
    _KS_VERSION v0, v1;
    KSVersionFromBytes(versions.data(), v0);
    KSVersionFromBytes(versions.data() + 32, v1);
    EXPECT_EQ(0u, v0.Index);
    EXPECT_EQ(0u, v0.FirstFile);
    EXPECT_EQ(1u, v0.FileCount);
    EXPECT_EQ(1u, v1.Index);
    EXPECT_EQ(1u, v1.FirstFile);
    EXPECT_EQ(1u, v1.FileCount);
    EXPECT_EQ(32u, second.tail.NameListRaw);
}

TEST(WriterVersions, ReopeningACompleteSetAppendsAndAnUnfinishedOneIsRefused)
{
    ScratchFolder dir;
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("app.rvd")));
        WriteOneVolume(c.p, 1);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(dir.WPath("app.rvd").c_str(), KS_OPEN_BACKUP, nullptr, 0));
    wchar_t next[300];
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    EXPECT_EQ(dir.WPath("app1.RVD"), std::wstring(next));
    ASSERT_EQ(0u, c->BeginBackup(next, 0, nullptr, L"second", 6, 0));
    WriteOneVolume(c.p, 2);
    ASSERT_EQ(0u, c->EndBackup(1)); // this version goes on in a third file
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    ASSERT_EQ(0u, c->BeginBackup(next, 0, nullptr, L"second", 6, 0));
    ASSERT_EQ(0u, c->EndBackup(0));

    const InspectedFile second = Inspect(dir.Path() + "app1.RVD");
    EXPECT_EQ(1u, second.head.FileNumber);
    EXPECT_EQ(1u, second.head.VersionIndex);
    EXPECT_EQ(dir.WPath("app.rvd"), std::wstring(second.head.PrevPath, second.head.PrevPath + dir.WPath("app.rvd").size()));
    const InspectedFile third = Inspect(dir.Path() + "app2.RVD");
    EXPECT_EQ(2u, third.head.FileNumber);
    EXPECT_EQ(1u, third.head.VersionIndex);
    EXPECT_EQ(0, memcmp(second.head.SetId, third.head.SetId, 16));

    CofranPtr r;
    ASSERT_EQ(0u, r->OpenCofran(dir.WPath("app2.RVD").c_str(), 0, nullptr, 0));
    _KS_IMG_FILE_INFO info;
    ASSERT_EQ(0u, r->GetCofranInfo(&info));
    EXPECT_EQ(2u, info.VersionCount);
    EXPECT_EQ(1u, info.LastVersion);
    EXPECT_EQ(2u, info.NeededFiles) << "versions without chain bits need only their own files";
    _KS_VERSION versions[2];
    ASSERT_EQ(0u, r->GetBackupVer(versions, 2));
    EXPECT_EQ(2u, versions[1].FileCount);
    EXPECT_EQ(0u, r->CheckCofranVer(&versions[1]));
    _KS_VERSION missing = versions[1];
    missing.Index = 7;
    EXPECT_EQ(0x054u, Kind(r->CheckCofranVer(&missing))) << "a version that does not exist";
    _KS_IMG imgs[2];
    unsigned long count = 2;
    ASSERT_EQ(0u, r->GetBackupImg(imgs, &count));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(2u, imgs[0].FileNumber);
    EXPECT_EQ(1u, imgs[1].FileNumber);

    // The middle file does not end the set: it cannot be appended to.
    CofranPtr a;
    EXPECT_EQ(0x016u, Kind(a->OpenCofran(dir.WPath("app1.RVD").c_str(), KS_OPEN_BACKUP, nullptr, 0)));
}

// File names are taken back from the base name in the head when a set is
// appended to and when its files are listed: a character above U+FFFF in it must
// come back as it was, or the next file gets a wrong name and the first is lost.
TEST(WriterVersions, ABaseNameAboveTheBasicPlaneNamesAndFindsEveryFile)
{
    struct Utf8Paths { // paths reach the file system as UTF-8 while the test runs
        std::string old = std::setlocale(LC_CTYPE, nullptr);
        ~Utf8Paths() { std::setlocale(LC_CTYPE, old.c_str()); }
    } utf8;
    ASSERT_NE(nullptr, std::setlocale(LC_CTYPE, "C.UTF-8"));
    ScratchFolder dir;
    const std::wstring base = std::wstring(L"disk") + static_cast<wchar_t>(0x1F4BE);
    const std::wstring first = dir.WPath() + base + L".rvd";
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, first));
        WriteOneVolume(c.p, 1);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    {
        CofranPtr c;
        ASSERT_EQ(0u, c->OpenCofran(first.c_str(), KS_OPEN_BACKUP, nullptr, 0));
        wchar_t next[300];
        ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
        EXPECT_EQ(dir.WPath() + base + L"1.RVD", std::wstring(next));
        ASSERT_EQ(0u, c->BeginBackup(next, 1, nullptr, nullptr, 6, 0)); // use 1: builds on version 0
        WriteOneVolume(c.p, 2);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    CofranPtr r;
    ASSERT_EQ(0u, r->OpenCofran((dir.WPath() + base + L"1.RVD").c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    _KS_IMG imgs[2];
    unsigned long count = 2;
    ASSERT_EQ(0u, r->GetBackupImg(imgs, &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(first, std::wstring(imgs[1].Path));
}

// Listing a set by path while the object holds another set open: the files are
// named from the listed set's own head, also after the set was moved to another
// folder (so the previous paths in its heads lead nowhere).
TEST(WriterVersions, ASetListedByPathIsNamedFromItsOwnHead)
{
    ScratchFolder made, moved, other;
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, made.WPath("beta.rvd")));
        WriteOneVolume(c.p, 1);
        ASSERT_EQ(0u, c->EndBackup(0));
        wchar_t next[300];
        ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
        ASSERT_EQ(0u, c->BeginBackup(next, 1, nullptr, nullptr, 6, 0)); // use 1: builds on version 0
        WriteOneVolume(c.p, 2);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    for (const char* name : {"beta.rvd", "beta1.RVD"})
        ASSERT_EQ(0, std::rename((made.Path() + name).c_str(), (moved.Path() + name).c_str()));
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, other.WPath("alpha.rvd")));
        WriteOneVolume(c.p, 3);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(other.WPath("alpha.rvd").c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    GUID none;
    std::memset(&none, 0, sizeof none);
    _KS_IMG imgs[2];
    unsigned long count = 2;
    ASSERT_EQ(0u, c->GetBackupImg(none, moved.WPath("beta1.RVD").c_str(), imgs, &count, KS_SEARCH_SET));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(moved.WPath("beta1.RVD"), std::wstring(imgs[0].Path));
    EXPECT_EQ(moved.WPath("beta.rvd"), std::wstring(imgs[1].Path));
}

// The set's GUID travels by value: a caller that deletes a set passes an all-zero
// GUID, the path of one file, no list and flag 1, and gets the number of files.
TEST(WriterVersions, AZeroGuidByValueWithAPathCountsTheFilesOfTheFolder)
{
    using ListByGuid = unsigned long (IKSCofran::*)(GUID, const wchar_t*, _KS_IMG*, unsigned long*, unsigned long);
    const ListByGuid byValue = &IKSCofran::GetBackupImg;
    ScratchFolder dir;
    {
        CofranPtr c;
        ASSERT_EQ(0u, StartSet(c.p, dir.WPath("del.rvd")));
        WriteOneVolume(c.p, 1);
        ASSERT_EQ(0u, c->EndBackup(0));
        wchar_t next[300];
        ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
        ASSERT_EQ(0u, c->BeginBackup(next, 0, nullptr, nullptr, 6, 0));
        WriteOneVolume(c.p, 2);
        ASSERT_EQ(0u, c->EndBackup(0));
    }
    CofranPtr c; // nothing opened: the path alone names the set
    unsigned long count = 0;
    EXPECT_EQ(0u, (c.p->*byValue)(GUID{}, dir.WPath("del.rvd").c_str(), nullptr, &count, KS_SEARCH_FOLDER));
    EXPECT_EQ(2u, count);
}

TEST(VersionChainRule, BitsC000ReachBackToTheFirstVersionWithoutThem)
{
    auto make = [](std::vector<std::pair<uint32_t, uint16_t>> flagsAndFiles) {
        std::vector<_KS_VERSION> list;
        for (auto& p : flagsAndFiles) {
            _KS_VERSION v;
            std::memset(&v, 0, sizeof v);
            v.Flags = p.first;
            v.FileCount = p.second;
            list.push_back(v);
        }
        return list;
    };
    struct Case {
        std::vector<std::pair<uint32_t, uint16_t>> versions;
        size_t at, first;
        uint64_t files;
    } cases[] = {
        {{{0, 2}, {0, 3}}, 1, 1, 3},
        {{{0, 2}, {0x4000, 3}}, 1, 0, 5},
        {{{0, 2}, {0x8000, 3}, {0xC000, 4}}, 2, 0, 9},
        {{{0, 2}, {0, 3}, {0x4000, 4}}, 2, 1, 7},
        {{{0x4000, 2}}, 0, 0, 2},
    };
    for (const Case& k : cases) {
        const std::vector<_KS_VERSION> list = make(k.versions);
        EXPECT_EQ(k.first, VersionChain::First(list.data(), k.at));
        EXPECT_EQ(k.files, VersionChain::FileCount(list.data(), k.at));
    }
}

} // namespace
