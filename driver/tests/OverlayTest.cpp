// The write overlay against a plain byte array: whatever order and shape the
// writes come in, a read sees what the array holds, and the extents stay sorted,
// apart and no larger than the bytes written.
#include <gtest/gtest.h>

#include "CoreTestSet.h"
#include "WriteOverlay.h"

#include <cstring>
#include <random>

namespace {

class OverlayModel {
public:
    explicit OverlayModel(size_t size, uint64_t limit = zedisk::WriteOverlay::kDefaultLimit)
        : bytes_(size, 0), written_(size, false), overlay_(limit)
    {
    }
    ZdStatus Write(uint64_t offset, uint32_t length, uint32_t seed)
    {
        const std::vector<uint8_t> data = NoiseBytes(length, seed);
        const ZdStatus status = overlay_.Store(offset, data.data(), length);
        if (status == 0)
            for (uint32_t i = 0; i < length; ++i) {
                bytes_[offset + i] = data[i];
                written_[offset + i] = true;
            }
        return status;
    }
    void Check(const char* what) const
    {
        std::vector<uint8_t> read(bytes_.size(), 0);
        overlay_.LayOver(0, read.data(), static_cast<uint32_t>(read.size()));
        EXPECT_EQ(bytes_, read) << what;
        size_t written = 0;
        for (bool w : written_)
            written += w;
        EXPECT_EQ(written, overlay_.StoredBytes()) << what;
        // A read of a middle part sees the same bytes.
        std::vector<uint8_t> part(1000, 0);
        overlay_.LayOver(1234, part.data(), 1000);
        EXPECT_EQ(0, std::memcmp(bytes_.data() + 1234, part.data(), 1000)) << what;
    }
    const zedisk::WriteOverlay& Overlay() const { return overlay_; }

private:
    std::vector<uint8_t> bytes_;
    std::vector<bool> written_;
    zedisk::WriteOverlay overlay_;
};

TEST(WriteOverlay, ShapedWritesMatchAByteArray)
{
    struct Step {
        uint64_t offset;
        uint32_t length;
    };
    const struct Case {
        const char* what;
        std::vector<Step> steps;
        uint32_t extents;
    } cases[] = {
        {"adjacent after", {{1000, 100}, {1100, 100}}, 2},
        {"adjacent before", {{1100, 100}, {1000, 100}}, 2},
        {"inside", {{1000, 500}, {1100, 100}}, 1},
        {"overlapping start", {{1000, 500}, {900, 200}}, 2},
        {"overlapping end", {{1000, 500}, {1400, 200}}, 2},
        {"covering", {{1000, 100}, {900, 400}}, 3},
        {"spanning gaps", {{1000, 100}, {1300, 100}, {1600, 100}, {900, 1000}}, 7},
        {"same place twice", {{2000, 512}, {2000, 512}}, 1},
    };
    for (const Case& c : cases) {
        OverlayModel model(8192);
        uint32_t seed = 1;
        for (const Step& s : c.steps)
            ASSERT_EQ(0, model.Write(s.offset, s.length, seed++)) << c.what;
        model.Check(c.what);
        EXPECT_EQ(c.extents, model.Overlay().Extents()) << c.what;
    }
}

TEST(WriteOverlay, RandomWritesMatchAByteArray)
{
    std::mt19937 random(7);
    OverlayModel model(64 * 1024);
    for (uint32_t i = 0; i < 400; ++i) {
        const uint32_t length = 1 + random() % 3000;
        const uint64_t offset = random() % (64 * 1024 - length);
        ASSERT_EQ(0, model.Write(offset, length, i + 10));
        if (i % 50 == 0)
            model.Check("random");
    }
    model.Check("random, at the end");
}

TEST(WriteOverlay, TheLimitRefusesNewBytesButNotRewrites)
{
    OverlayModel model(16384, 4096);
    ASSERT_EQ(0, model.Write(0, 4096, 1));
    EXPECT_EQ(ZD_STATUS_INSUFFICIENT_RESOURCES, model.Write(4096, 1, 2));
    EXPECT_EQ(ZD_STATUS_INSUFFICIENT_RESOURCES, model.Write(4000, 200, 3)) << "partly new: refused whole";
    EXPECT_EQ(0, model.Write(100, 1000, 4)) << "rewriting stored bytes takes nothing new";
    model.Check("limit");
}

TEST(WriteOverlay, APoolFailureKeepsWhatWasPlaced)
{
    OverlayModel model(8192);
    ASSERT_EQ(0, model.Write(1000, 100, 1));
    wdk::FailAllocation(1);
    EXPECT_EQ(ZD_STATUS_INSUFFICIENT_RESOURCES, model.Write(2000, 100, 2));
    wdk::FailAllocation(0);
    model.Check("after a failed allocation");
}

} // namespace
