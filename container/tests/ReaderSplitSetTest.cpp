// Sets of several files read back: random reads move from file to file, sequential
// reading stops at the end of the open file, and a disc set asks for its discs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "TestSet.h"

namespace {

// A set continued by hand into two more files (the way a full disc or file ends).
struct ThreeFileSet {
    ScratchFolder dir;
    std::vector<std::wstring> files;
    std::vector<unsigned char> data = PatternBytes(300 * 4096, 9);

    explicit ThreeFileSet(unsigned long beginMode = 0)
    {
        CofranPtr c;
        files.push_back(dir.WPath("three.rvd"));
        EXPECT_EQ(0u, c->OpenCofran(files[0].c_str(), KS_OPEN_BACKUP, nullptr, 0));
        EXPECT_EQ(0u, c->BeginBackup(files[0].c_str(), beginMode, nullptr, nullptr, 6, 0));
        const _KS_VOLUME v = NtfsVolume(8, 100000);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        for (int part = 0; part < 3; ++part) {
            if (part > 0) {
                EXPECT_EQ(0u, c->EndBackup(1));
                wchar_t next[300];
                EXPECT_EQ(0u, c->GetAvailableCofranName(next, 300));
                files.push_back(next);
                EXPECT_EQ(0u, c->BeginBackup(next, beginMode, nullptr, nullptr, 6, 0));
            }
            EXPECT_EQ(0u, c->WriteData(part * 100, data.data() + part * 100 * 4096, 100, 0));
        }
        EXPECT_EQ(0u, c->EndBackup(0));
    }
};

TEST(ReaderRoundTrip, RandomReadsMoveThroughTheFilesOfASplitSet)
{
    ThreeFileSet s;
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(300 * 4096);
    uint32_t at = 0;
    while (at < 300) {
        unsigned long got = 0;
        ASSERT_EQ(0u, c->ReadData(at, buf.data() + at * 4096, 300 - at, &got)) << at;
        ASSERT_GT(got, 0u);
        at += got;
    }
    EXPECT_EQ(s.data, buf);
}

TEST(ReaderRoundTrip, SequentialReadingStopsAtTheEndOfTheOpenFile)
{
    ThreeFileSet s;
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    // The first file: only its own blocks, then "another file".
    ASSERT_EQ(0u, c->OpenCofran(s.files[0].c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    ASSERT_EQ(0u, c->OpenVolume(&v)) << "the run index is found through the file's own volume list";
    _KS_BLOCK b;
    ASSERT_EQ(0u, c->GetNextBlockInfo(&b, 0));
    EXPECT_EQ(0u, b.FirstCluster);
    EXPECT_EQ(100u, KSBlockClusters(b));
    EXPECT_EQ(0x108u, Kind(c->GetNextBlockInfo(&b, 0)));

    // Cluster names from offsets tell the caller which file to open next.
    ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_SEQUENTIAL, nullptr, 0));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    int blocks = 0;
    while (c->GetNextBlockInfo(&b, 0) == 0)
        ++blocks;
    EXPECT_EQ(1, blocks) << "only the last file's block lies in the last file";
}

unsigned long g_messages[8];
std::wstring g_hidden, g_home;

unsigned long PutDiscBack(void*, unsigned long message, void* data)
{
    if (message < 8)
        ++g_messages[message];
    if (message == KS_IMG_MSG_INSERT_DISC) {
        const _KS_IMG_MSG_DISC* disc = static_cast<const _KS_IMG_MSG_DISC*>(data);
        EXPECT_EQ(2u, disc->Kind);
        EXPECT_STREQ(L"1", disc->DiscNumber);
        std::rename(std::string(g_hidden.begin(), g_hidden.end()).c_str(),
                    std::string(g_home.begin(), g_home.end()).c_str());
    }
    return 0;
}

TEST(ReaderRoundTrip, ADiscSetAsksForTheDiscThatHoldsTheData)
{
    ThreeFileSet s(KS_BEGIN_DISC_SET);
    // The first file's disc is not in the drive.
    g_home = s.files[0];
    g_hidden = s.files[0] + L".away";
    std::rename(std::string(g_home.begin(), g_home.end()).c_str(), std::string(g_hidden.begin(), g_hidden.end()).c_str());
    std::memset(g_messages, 0, sizeof g_messages);

    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_RANDOM | KS_OPEN_DISC_SET, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(100 * 4096);
    unsigned long got = 0;
    EXPECT_EQ(0x005u, Kind(c->ReadData(0, buf.data(), 100, &got))) << "a disc set needs the callback";
    ASSERT_EQ(0u, c->SetCallBack(&PutDiscBack, nullptr));
    ASSERT_EQ(0u, c->ReadData(0, buf.data(), 100, &got));
    EXPECT_EQ(100u, got);
    EXPECT_EQ(0, memcmp(s.data.data(), buf.data(), 100 * 4096));
    EXPECT_EQ(1u, g_messages[KS_IMG_MSG_INSERT_DISC]);
}

} // namespace
