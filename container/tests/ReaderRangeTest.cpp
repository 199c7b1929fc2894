// Sector reads are bounded by the volume's sector count: nothing past the end of
// the volume is handed out as if it were there.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "TestSet.h"

namespace {

TEST(ReaderRange, SectorsPastTheVolumesEndAreOutOfRange)
{
    ScratchFolder dir;
    const std::wstring path = dir.WPath("range.rvd");
    const uint64_t total = 4096; // 512 clusters of 4 KiB
    const std::vector<unsigned char> last = PatternBytes(8 * 4096, 5);
    {
        CofranPtr w;
        ASSERT_EQ(0u, StartSet(w.p, path));
        const _KS_VOLUME v = NtfsVolume(8, total);
        ASSERT_EQ(0u, w->WriteVolumeInfo(&v, 256));
        ASSERT_EQ(0u, w->WriteData(504, last.data(), 8, 0));
        ASSERT_EQ(0u, w->EndBackup(0));
    }
    CofranPtr c;
    ASSERT_EQ(0u, c->OpenCofran(path.c_str(), KS_OPEN_RANDOM, nullptr, 0));
    _KS_VOLUME v;
    ASSERT_EQ(0u, c->GetVolumes(&v, 1));
    ASSERT_EQ(0u, c->OpenVolume(&v));
    const struct {
        long long first;
        unsigned long count;
        unsigned long kind;
    } cases[] = {
        {static_cast<long long>(total) - 64, 64, 0},
        {static_cast<long long>(total) - 1, 1, 0},
        {static_cast<long long>(total), 1, 0x009},
        {static_cast<long long>(total) - 1, 2, 0x009},
        {static_cast<long long>(total) + 100000, 1, 0x009},
        {1ll << 40, 8, 0x009},
        {LLONG_MAX, 1, 0x009},
        {0, 0xFFFFFFFFul, 0x009},
    };
    std::vector<unsigned char> buf(64 * 512);
    for (const auto& k : cases) {
        unsigned long got = 12345;
        EXPECT_EQ(k.kind, Kind(c->ReadSector(k.first, buf.data(), k.count, &got, 0))) << k.first << "+" << k.count;
        EXPECT_EQ(k.kind == 0 ? k.count : 0ul, got) << k.first;
        if (k.kind == 0) {
            EXPECT_EQ(0, memcmp(last.data() + last.size() - k.count * 512, buf.data(), k.count * 512)) << k.first;
        }
    }
}

} // namespace
