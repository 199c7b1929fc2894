// Disc sets read at random: index chunks evicted from the cache go to the index
// temp file, and a file missing from a set without labels is asked for by path.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "TestSet.h"

namespace {

// One file per piece of 4 clusters, so that every file holds one index chunk.
struct ManyFileSet {
    ScratchFolder dir;
    std::vector<std::wstring> files;
    std::vector<unsigned char> data;

    ManyFileSet(int pieces, unsigned long beginMode) : data(PatternBytes(size_t(pieces) * 4 * 4096, 5))
    {
        for (size_t i = 0; i < data.size(); i += 4096)
            data[i] = static_cast<unsigned char>(i / 4096); // every cluster differs
        CofranPtr c;
        files.push_back(dir.WPath("many.rvd"));
        EXPECT_EQ(0u, c->OpenCofran(files[0].c_str(), KS_OPEN_BACKUP, nullptr, 0));
        EXPECT_EQ(0u, c->BeginBackup(files[0].c_str(), beginMode, nullptr, nullptr, 1, 0));
        const _KS_VOLUME v = NtfsVolume(8, 100000);
        EXPECT_EQ(0u, c->WriteVolumeInfo(&v, 256));
        for (int i = 0; i < pieces; ++i) {
            if (i > 0) {
                EXPECT_EQ(0u, c->EndBackup(1));
                wchar_t next[300];
                EXPECT_EQ(0u, c->GetAvailableCofranName(next, 300));
                files.push_back(next);
                EXPECT_EQ(0u, c->BeginBackup(next, beginMode | KS_BEGIN_SAME_DISC, nullptr, nullptr, 1, 0));
            }
            EXPECT_EQ(0u, c->WriteData(i * 4, data.data() + size_t(i) * 4 * 4096, 4, 0));
        }
        EXPECT_EQ(0u, c->EndBackup(0));
    }
};

unsigned long AlwaysGoOn(void*, unsigned long, void*) { return 0; }

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(ReaderDiscCache, EvictedChunksComeBackFromTheIndexTempFile)
{
    ManyFileSet s(70, KS_BEGIN_DISC_SET);
    ScratchFolder temp;
    CofranPtr c;
    ASSERT_EQ(0u, c->SetTempPath(Widen(temp.Path()).c_str()));
    ASSERT_EQ(0u, c->SetCallBack(&AlwaysGoOn, nullptr));
    ASSERT_EQ(0u, c->OpenCofran(s.files.back().c_str(), KS_OPEN_RANDOM | KS_OPEN_DISC_SET, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(s.data.size());
    // Twice over the whole volume: the second pass needs chunks evicted in the first.
    for (int pass = 0; pass < 2; ++pass) {
        std::memset(buf.data(), 0, buf.size());
        for (uint32_t at = 0; at < 280;) {
            unsigned long got = 0;
            ASSERT_EQ(0u, c->ReadData(at, buf.data() + size_t(at) * 4096, 280 - at, &got)) << pass << " " << at;
            at += got;
        }
        EXPECT_EQ(s.data, buf) << pass;
    }
    EXPECT_TRUE(Exists(temp.Path() + "Ind0.tmp"));
    EXPECT_EQ(0u, c->CloseVolume());
    EXPECT_FALSE(Exists(temp.Path() + "Ind0.tmp")) << "the temp file goes with the volume";
}

unsigned long g_locateCalls = 0;
std::wstring g_discAway, g_discHome;

unsigned long PutFileBack(void*, unsigned long message, void* data)
{
    EXPECT_EQ(KS_IMG_MSG_LOCATE_FILE, message);
    const _KS_IMG_MSG_FILE* file = static_cast<const _KS_IMG_MSG_FILE*>(data);
    EXPECT_EQ(0u, file->Kind);
    EXPECT_EQ(1u, file->FileNumber);
    EXPECT_EQ(g_discHome, std::wstring(file->Path));
    ++g_locateCalls;
    std::rename(std::string(g_discAway.begin(), g_discAway.end()).c_str(), std::string(g_discHome.begin(), g_discHome.end()).c_str());
    return 0;
}

unsigned long Refuse(void*, unsigned long, void*) { return 0x3059; }

TEST(ReaderDiscCache, AMissingFileOfASetWithoutLabelsIsAskedForByItsPath)
{
    ManyFileSet s(3, 0);
    g_discHome = s.files[1];
    g_discAway = s.files[1] + L".away";
    std::rename(std::string(g_discHome.begin(), g_discHome.end()).c_str(), std::string(g_discAway.begin(), g_discAway.end()).c_str());

    {
        CofranPtr c;
        ASSERT_EQ(0u, c->SetCallBack(&Refuse, nullptr));
        ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_RANDOM | KS_OPEN_DISC_SET, nullptr, 0));
        _KS_VOLUME v;
        ASSERT_EQ(0u, c->GetVolumes(&v, 1));
        ASSERT_EQ(0u, c->OpenVolume(&v));
        std::vector<unsigned char> buf(4 * 4096);
        unsigned long got = 0;
        EXPECT_EQ(0x3059u, c->ReadData(4, buf.data(), 4, &got)) << "the caller's code stops the read";
    }
    g_locateCalls = 0;
    CofranPtr c;
    ASSERT_EQ(0u, c->SetCallBack(&PutFileBack, nullptr));
    ASSERT_EQ(0u, c->OpenCofran(s.files[2].c_str(), KS_OPEN_RANDOM | KS_OPEN_DISC_SET, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    std::vector<unsigned char> buf(4 * 4096);
    unsigned long got = 0;
    ASSERT_EQ(0u, c->ReadData(4, buf.data(), 4, &got));
    EXPECT_EQ(4u, got);
    EXPECT_EQ(0, memcmp(s.data.data() + 4 * 4096, buf.data(), 4 * 4096));
    EXPECT_EQ(1u, g_locateCalls);
}

} // namespace
