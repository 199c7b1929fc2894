#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "COptionController.h"
#include "CPartitionScheme.h"
#include "CPartitionSchemeManager.h"
#include "LittleEndian.h"

namespace {
class SchemeFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/scheme-test-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    // A scheme file whose every byte is set (reserved ones too); records get a type.
    std::string WriteBytes(const std::string& name, size_t size, const std::vector<size_t>& zeroTypes = {})
    {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<uint8_t>(i * 7 + 3);
        for (size_t r = 0; 2100 + 284 * (r + 1) <= size; ++r)
            StoreLE32(&bytes[2100 + 284 * r + 4], 1 + static_cast<uint32_t>(r % 2));
        for (size_t r : zeroTypes)
            StoreLE32(&bytes[2100 + 284 * r + 4], 0);
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return Path(name);
    }

    std::string folder_;
};

TEST_F(SchemeFolder, RewritesAFileByteForByte)
{
    const std::string original = WriteBytes("plan.psc", 2100 + 284 * 3);
    CPartitionScheme scheme;
    ASSERT_TRUE(scheme.ReadFrom(original));
    EXPECT_EQ(3, scheme.GetPartitionCount());
    ASSERT_TRUE(scheme.WriteTo(Path("copy.psc")));
    CPartitionScheme again;
    ASSERT_TRUE(again.ReadFrom(Path("copy.psc")));
    ASSERT_TRUE(again.WriteTo(Path("copy2.psc")));
    EXPECT_EQ(0, std::system(("cmp -s '" + original + "' '" + Path("copy.psc") + "'").c_str()));
    EXPECT_EQ(0, std::system(("cmp -s '" + original + "' '" + Path("copy2.psc") + "'").c_str()));
}

TEST_F(SchemeFolder, ReadsWhatTheFileHoldsAndNoMore)
{
    struct Case { const char* what; size_t size; std::vector<size_t> zeroTypes; int records; };
    const Case cases[] = {
        {"block only", 2100, {}, 0},
        {"end record after three", 2100 + 284 * 5, {3}, 3},
        {"shorter than the block", 100, {}, 0},
        {"partial record at the end", 2100 + 284 * 2 + 100, {}, 2},
        {"more records than a scheme holds", 2100 + 284 * 300, {}, 256},
    };
    for (const Case& c : cases) {
        CPartitionScheme scheme;
        ASSERT_TRUE(scheme.ReadFrom(WriteBytes("case.psc", c.size, c.zeroTypes))) << c.what;
        EXPECT_EQ(c.records, scheme.GetPartitionCount()) << c.what;
        tagSCHEME_INFO info;
        EXPECT_TRUE(scheme.GetSchemeInfo(info)) << c.what;
        tagSCHEME_PARTITION record;
        EXPECT_FALSE(scheme.GetSchemePartition(c.records, record)) << c.what;
        if (c.size < 2100) {
            EXPECT_EQ(0u, info.u32MinimalDiskMB) << c.what;  // padded with zeros
        }
    }
    CPartitionScheme missing;
    EXPECT_FALSE(missing.ReadFrom(Path("none.psc")));
}

TEST_F(SchemeFolder, NameFillingItsFieldIsHandedOutTerminated)
{
    CPartitionScheme scheme;
    const std::string path = WriteBytes("name.psc", 2100);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4);
        file.write(std::string(260, 'N').data(), 260);  // no zero byte in the name
    }
    ASSERT_TRUE(scheme.ReadFrom(path));
    tagSCHEME_INFO info;
    ASSERT_TRUE(scheme.GetSchemeInfo(info));
    COptionController::Instance().SetOptionInfo(info);
    EXPECT_EQ(260u, std::strlen(COptionController::Instance().GetSchemeName()));
}

TEST_F(SchemeFolder, RefusesWhatWouldNotComeBack)
{
    CPartitionScheme scheme;
    EXPECT_FALSE(scheme.WriteTo(Path("noinfo.psc")));  // no information block
    EXPECT_NE(0, access(Path("noinfo.psc").c_str(), F_OK));
    tagSCHEME_PARTITION record{};
    EXPECT_FALSE(scheme.SetSchemePartition(0, record));  // type 0 would end the list
    record.u32Type = SCHEME_PARTITION_LOGICAL;
    EXPECT_FALSE(scheme.SetSchemePartition(-1, record));
    EXPECT_TRUE(scheme.SetSchemePartition(0, record));
    tagSCHEME_INFO info{};
    std::strcpy(info.szSchemeName, "Office");
    info.u32MinimalDiskMB = 4096;
    scheme.SetSchemeInfo(info);
    ASSERT_TRUE(scheme.WriteTo(Path("one.psc")));
    CPartitionScheme back;
    ASSERT_TRUE(back.ReadFrom(Path("one.psc")));
    EXPECT_EQ(1, back.GetPartitionCount());
    EXPECT_TRUE(back.GetSchemeInfo(info));
    EXPECT_STREQ("Office", info.szSchemeName);
    EXPECT_EQ(4096u, info.u32MinimalDiskMB);
    std::string segment = "[partition]";
    EXPECT_EQ(1, back.GetSegmentType(segment));
    segment = "VERSION";
    EXPECT_EQ(-1, back.GetSegmentType(segment));
    EXPECT_EQ(-1, back.GetKeyWordsType(segment));
}

TEST_F(SchemeFolder, LoadsOnlyFilesEndingInPsc)
{
    for (const char* name : {"a.psc", "a.b.psc", "x.PSC", "x.psc.bak"})
        WriteBytes(name, 2100 + 284);
    CPartitionSchemeManager manager;  // its destructor releases what it loaded
    ASSERT_TRUE(manager.LoadScheme(folder_ + "/"));
    ASSERT_EQ(1, manager.GetSchemeCount());
    EXPECT_EQ(1, manager.GetScheme(0)->GetPartitionCount());
    EXPECT_EQ(nullptr, manager.GetScheme(1));
    ASSERT_TRUE(manager.LoadScheme(folder_));
    EXPECT_EQ(1, manager.GetSchemeCount());
    EXPECT_FALSE(manager.LoadScheme(Path("missing")));
    EXPECT_EQ(0, manager.GetSchemeCount());
}

TEST_F(SchemeFolder, WorkingFolderThatIsGoneLoadsNothing)
{
    char here[4096];
    ASSERT_NE(nullptr, getcwd(here, sizeof(here)));
    WriteBytes("a.psc", 2100);
    ASSERT_EQ(0, chdir(folder_.c_str()));
    CPartitionSchemeManager manager;
    EXPECT_TRUE(manager.LoadScheme());
    EXPECT_EQ(1, manager.GetSchemeCount());
    std::system(("rm -rf '" + folder_ + "'").c_str());
    EXPECT_FALSE(manager.LoadScheme());
    EXPECT_EQ(0, manager.GetSchemeCount());
    ASSERT_EQ(0, chdir(here));
}
}  // namespace
