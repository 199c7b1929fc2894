// A set's files found whatever the case of their ".RVD", as on Windows, and
// reported under the names they have on disk.
#include <gtest/gtest.h>

#include <cstdio>

#include "TestSet.h"

namespace {

// Three files of one set, then renamed: "three.RVD", "three1.rvd", "three2.rvd".
struct RenamedSet {
    ScratchFolder dir;
    std::vector<unsigned char> data = PatternBytes(30 * 4096, 6);

    RenamedSet()
    {
        CofranPtr c;
        const std::wstring first = dir.WPath("three.rvd");
        EXPECT_EQ(0u, StartSet(c.p, first));
        const _KS_VOLUME v = NtfsVolume(8, 100000);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        for (int part = 0; part < 3; ++part) {
            if (part > 0) {
                EXPECT_EQ(0u, c->EndBackup(1));
                wchar_t next[300];
                EXPECT_EQ(0u, c->GetAvailableCofranName(next, 300));
                EXPECT_EQ(0u, c->BeginBackup(next, 0, nullptr, nullptr, 6, 0));
            }
            EXPECT_EQ(0u, c->WriteData(part * 10, data.data() + part * 10 * 4096, 10, 0));
        }
        EXPECT_EQ(0u, c->EndBackup(0));
        EXPECT_EQ(0, std::rename((dir.Path() + "three.rvd").c_str(), (dir.Path() + "three.RVD").c_str()));
        EXPECT_EQ(0, std::rename((dir.Path() + "three1.RVD").c_str(), (dir.Path() + "three1.rvd").c_str()));
        EXPECT_EQ(0, std::rename((dir.Path() + "three2.RVD").c_str(), (dir.Path() + "three2.rvd").c_str()));
    }
};

TEST(SetFileSpelling, TheSetIsFoundWhateverTheCaseOfItsExtensions)
{
    RenamedSet s;
    CofranPtr c;
    wchar_t out[300] = {};
    ASSERT_EQ(0u, c->SearchLastCofran(s.dir.WPath("three.rvd").c_str(), out, 300, 0));
    EXPECT_EQ(s.dir.WPath("three2.rvd"), std::wstring(out)) << "the last file, by the name it has";

    _KS_IMG files[4];
    unsigned long count = 4;
    ASSERT_EQ(0u, c->GetBackupImg(GUID{}, s.dir.WPath("three.rvd").c_str(), files, &count, KS_SEARCH_SET));
    ASSERT_EQ(3u, count);
    EXPECT_EQ(s.dir.WPath("three2.rvd"), std::wstring(files[0].Path));
    EXPECT_EQ(s.dir.WPath("three1.rvd"), std::wstring(files[1].Path));
    EXPECT_EQ(s.dir.WPath("three.RVD"), std::wstring(files[2].Path));

}

TEST(SetFileSpelling, ANewFileSkipsANumberTakenInAnyCase)
{
    ScratchFolder dir;
    FILE* stray = std::fopen((dir.Path() + "other1.rvd").c_str(), "wb");
    ASSERT_NE(nullptr, stray);
    std::fclose(stray);
    CofranPtr c;
    ASSERT_EQ(0u, StartSet(c.p, dir.WPath("other.rvd")));
    ASSERT_EQ(0u, c->EndBackup(1));
    wchar_t next[300] = {};
    ASSERT_EQ(0u, c->GetAvailableCofranName(next, 300));
    EXPECT_EQ(dir.WPath("other2.RVD"), std::wstring(next));
}

} // namespace
