// SCSI requests to a child disk: its sectors, the made-up boot record, capacity,
// mode pages, the queue and the worker, and what writes leave behind.
#include <gtest/gtest.h>

#include "BootRecord.h"
#include "CoreTestSet.h"
#include "Devices.h"
#include "DiskWorker.h"
#include "WriteOverlay.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

zedisk::ZdChild* ChildOf(const wdk::ChildDisk& disk)
{
    return static_cast<zedisk::ZdChild*>(ZdPortDeviceContext(disk.Device()));
}

ZdScsi Cdb6(uint8_t opcode, uint8_t byte2, uint8_t byte4, void* data, uint32_t length)
{
    ZdScsi srb{};
    srb.Length = 64;
    srb.CdbLength = 6;
    srb.SrbFlags = 0x40;
    srb.DataBuffer = data;
    srb.DataTransferLength = length;
    srb.Cdb[0] = opcode;
    srb.Cdb[2] = byte2;
    srb.Cdb[4] = byte4;
    return srb;
}

ZdScsi Cdb10(uint8_t opcode, uint32_t sector, uint16_t count, void* data, uint32_t length, uint32_t flags = 0x40)
{
    ZdScsi srb = wdk::ScsiTransfer(opcode, sector, count, data, flags);
    srb.DataTransferLength = length;
    return srb;
}

class ScsiTest : public CoreTest {
protected:
    void PlugSet(const SmallSet& s, uint8_t letter = 4)
    {
        ASSERT_EQ(0, Plug(s.Record(letter, 0x5A5A5A5F)));
        disk = Disk(pnp.Children().back());
        ASSERT_NE(nullptr, disk);
    }
    void TearDown() override
    {
        disk.reset();
        CoreTest::TearDown();
    }
    std::vector<uint8_t> ReadAll(uint64_t first, uint64_t count)
    {
        std::vector<uint8_t> out(count * 512);
        for (uint64_t done = 0; done < count;) {
            const uint16_t n = static_cast<uint16_t>(std::min<uint64_t>(count - done, 128));
            EXPECT_EQ(0, disk->Read(static_cast<uint32_t>(first + done), n, out.data() + done * 512));
            done += n;
        }
        return out;
    }
    std::shared_ptr<wdk::ChildDisk> disk;
};

TEST_F(ScsiTest, TheWholeDiskIsTrackZeroThenTheVolume)
{
    SmallSet set(16002);
    PlugSet(set);
    uint32_t last = 0, sectorSize = 0;
    ASSERT_EQ(0, disk->Capacity(last, sectorSize));
    EXPECT_EQ(16002u + 62, last);
    EXPECT_EQ(512u, sectorSize);
    const std::vector<uint8_t> got = ReadAll(0, set.DiskSectors());
    std::vector<uint8_t> expected = set.Expected(0, set.DiskSectors());
    // Sector 0: the image's boot code, one partition at 63, signature and 0x55AA.
    EXPECT_EQ(0, std::memcmp(expected.data(), got.data(), 440));
    EXPECT_EQ((0x5A5A5A5Fu & ~0x1Fu) | 1, LoadLE32(got.data() + 440));
    const uint8_t entry[16] = {0, 1, 1, 0, 0x04, 254, 63, 0, 63, 0, 0, 0, 0x82, 0x3E, 0, 0};
    EXPECT_EQ(0, std::memcmp(entry, got.data() + 446, 16));
    for (int i = 462; i < 510; ++i)
        EXPECT_EQ(0, got[i]) << i;
    EXPECT_EQ(0x55, got[510]);
    EXPECT_EQ(0xAA, got[511]);
    EXPECT_TRUE(std::equal(expected.begin() + 512, expected.end(), got.begin() + 512));
}

TEST(BootRecord, EndOfThePartitionInChsAndTheTypeByFileSystem)
{
    struct Case {
        uint64_t sectors;
        uint8_t head, sectorByte, cylinderByte;
    } cases[] = {
        {16002, 254, 63, 0},
        {16065, 0, 63, 1},
        // Bits 8 and 9 of the cylinder go into the sector byte; past 1023 nothing is clamped.
        {1000ull * 16065 - 62, 0, 1 | 0xC0, 1000 & 0xFF},
        {1100ull * 16065 - 62, 0, 1 | ((1100 >> 2) & 0xC0), 1100 & 0xFF},
    };
    for (const Case& c : cases) {
        uint8_t sector[512] = {};
        zedisk::WriteBootRecord(sector, {4, 0, c.sectors, 0xFFFFFFFF, 3});
        EXPECT_EQ(c.head, sector[446 + 5]) << c.sectors;
        EXPECT_EQ(c.sectorByte, sector[446 + 6]) << c.sectors;
        EXPECT_EQ(c.cylinderByte, sector[446 + 7]) << c.sectors;
        EXPECT_EQ(static_cast<uint32_t>(c.sectors), LoadLE32(sector + 446 + 12));
        EXPECT_EQ(0xFFFFFFE3u, LoadLE32(sector + 440));
    }
    const uint8_t types[][3] = {{1, 0, 0x01}, {2, 0, 0x04}, {3, 0, 0x0B}, {4, 0, 0x07}, {5, 0, 0x82},
                                {6, 0, 0x83}, {255, 0x8E, 0x8E}, {0, 0x8E, 0x63}, {7, 0, 0x63}};
    for (const auto& t : types)
        EXPECT_EQ(t[2], zedisk::PartitionTypeFor(t[0], t[1])) << int(t[0]);
}

TEST_F(ScsiTest, ModeSenseAnswersByPageAndLength)
{
    SmallSet fat(16002);
    PlugSet(fat);
    struct Case {
        uint8_t page;
        uint8_t a;
        uint32_t dataLength;
        ZdStatus status;
        uint32_t length;
        uint8_t deviceSpecific;
    } cases[] = {
        {0x3F, 255, 255, 0, 36, 0x80}, {0x08, 255, 255, 0, 24, 0}, {0x1C, 255, 255, 0, 24, 0},
        {0x3F, 24, 255, 0, 24, 0x80},  {0x3F, 20, 255, 0, 12, 0x80}, {0x3F, 11, 255, 0, 4, 0x80},
        {0x3F, 4, 255, 0, 4, 0x80},    {0x3F, 3, 255, ZD_STATUS_BUFFER_TOO_SMALL, 0, 0},
        {0x3F, 40, 39, ZD_STATUS_INVALID_PARAMETER, 0, 0}, {0x1C, 23, 255, 0, 12, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(256, 0xCC);
        ZdScsi srb = Cdb6(0x1A, c.page, c.a, out.data(), c.dataLength);
        EXPECT_EQ(c.status, disk->Scsi(srb)) << std::hex << int(c.page) << " " << std::dec << int(c.a);
        if (c.status != 0)
            continue;
        EXPECT_EQ(c.length, srb.DataTransferLength) << int(c.a);
        EXPECT_EQ(c.length - 1, out[0]) << int(c.a);
        EXPECT_EQ(c.deviceSpecific, out[2]) << int(c.a);
        EXPECT_EQ(8, out[3]);
        EXPECT_EQ(1, srb.SrbStatus);
        if (c.length >= 24 && c.page != 0x1C) {
            EXPECT_EQ((std::vector<uint8_t>{0x08, 0x12, 0x01}),
                      std::vector<uint8_t>(out.begin() + 12, out.begin() + 15));
        }
        if (c.length == 36 || (c.page == 0x1C && c.length == 24)) {
            EXPECT_EQ(0x1C, out[c.length - 12]);
        }
    }
}

TEST_F(ScsiTest, ModeSenseReportsNoWriteProtectionForNtfs)
{
    SmallSet ntfs(16002, nullptr, 4);
    PlugSet(ntfs);
    std::vector<uint8_t> out(64);
    ZdScsi srb = Cdb6(0x1A, 0x3F, 64, out.data(), 64);
    ASSERT_EQ(0, disk->Scsi(srb));
    EXPECT_EQ(0, out[2]);
}

TEST_F(ScsiTest, ModeSelectReplacesAPageOnlyWhenTheWholePageIsThere)
{
    SmallSet set(16002);
    PlugSet(set);
    auto select = [&](uint8_t l, uint32_t dataLength, uint8_t b, uint8_t code, uint8_t marker) {
        std::vector<uint8_t> data(64, 0);
        data[3] = b;
        data[4 + b] = code;
        data[4 + b + 1] = 0x0A;
        data[4 + b + 2] = marker;
        ZdScsi srb = Cdb6(0x15, 0, l, data.data(), dataLength);
        srb.SrbFlags = 0x80;
        return disk->Scsi(srb);
    };
    struct Case {
        uint8_t l;
        uint32_t dataLength;
        uint8_t b;
        uint8_t code;
        ZdStatus status;
    } cases[] = {
        {16, 64, 0, 0x1C, 0}, {24, 64, 8, 0x08, 0}, {15, 64, 0, 0x1C, ZD_STATUS_INVALID_PARAMETER},
        {23, 64, 8, 0x08, ZD_STATUS_INVALID_PARAMETER}, {3, 64, 0, 0x08, ZD_STATUS_INVALID_PARAMETER},
        {20, 19, 0, 0x08, ZD_STATUS_INVALID_PARAMETER}, {16, 64, 0, 0x0A, ZD_STATUS_INVALID_DEVICE_REQUEST},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.status, select(c.l, c.dataLength, c.b, c.code, 0x77)) << int(c.l) << "/" << int(c.b);
    zedisk::ZdChild* child = ChildOf(*disk);
    EXPECT_EQ(0x77, child->exceptionsPage[2]);
    EXPECT_EQ(0x77, child->cachingPage[2]);
}

TEST_F(ScsiTest, RequestsTheDiskRefusesOrAnswersAtOnce)
{
    SmallSet set(16002);
    PlugSet(set);
    std::vector<uint8_t> buffer(64 * 512);
    uint8_t sense[18];
    struct Case {
        const char* what;
        ZdScsi srb;
        uint32_t code;
        uint8_t minor;
        ZdStatus status;
        uint8_t srbStatus;
    };
    ZdScsi shortBlock = Cdb6(0, 0, 0, nullptr, 0);
    shortBlock.Length = 63;
    ZdScsi flush = Cdb6(0, 0, 0, nullptr, 0);
    flush.Function = 8;
    ZdScsi other = Cdb6(0, 0, 0, nullptr, 0);
    other.Function = 0x20;
    ZdScsi cdb12 = Cdb10(0x28, 0, 1, buffer.data(), 512);
    cdb12.CdbLength = 12;
    ZdScsi ready = Cdb6(0x00, 0, 0, nullptr, 0);
    std::memset(sense, 0xAA, sizeof sense);
    ready.SenseInfoBuffer = sense;
    ready.SenseInfoBufferLength = 18;
    const Case cases[] = {
        {"test unit ready", ready, 0, 0, 0, 1},
        {"short block", shortBlock, 0, 0, ZD_STATUS_INVALID_PARAMETER, 4},
        {"flush", flush, 0, 0, 0, 1},
        {"other function", other, 0, 0, ZD_STATUS_INVALID_DEVICE_REQUEST, 6},
        {"unknown 6-byte", Cdb6(0x12, 0, 36, buffer.data(), 36), 0, 0, ZD_STATUS_INVALID_DEVICE_REQUEST, 6},
        {"unknown 10-byte", Cdb10(0x35, 0, 0, nullptr, 0), 0, 0, ZD_STATUS_INVALID_DEVICE_REQUEST, 6},
        {"12-byte", cdb12, 0, 0, ZD_STATUS_INVALID_PARAMETER, 4},
        {"another code", Cdb6(0, 0, 0, nullptr, 0), 0x00041010, 0, ZD_STATUS_INVALID_DEVICE_REQUEST, 6},
        {"claim", Cdb6(0, 0, 0, nullptr, 0), 0x001B0013, 0, 0, 1},
        {"minor 1", Cdb6(0, 0, 0, nullptr, 0), 0, 1, ZD_STATUS_INVALID_DEVICE_REQUEST, 4},
        {"capacity short", Cdb10(0x25, 0, 0, buffer.data(), 7), 0, 0, ZD_STATUS_BUFFER_TOO_SMALL, 4},
        {"verify larger than its buffer", Cdb10(0x2F, 0, 9, buffer.data(), 8 * 512), 0, 0, 0, 1},
        {"read larger than its buffer", Cdb10(0x28, 0, 9, buffer.data(), 8 * 512), 0, 0, ZD_STATUS_INVALID_PARAMETER, 4},
        {"write larger than its buffer", Cdb10(0x2A, 200, 9, buffer.data(), 8 * 512, 0x80), 0, 0,
         ZD_STATUS_INVALID_PARAMETER, 4},
        {"read past the last sector", Cdb10(0x28, 16002 + 63 - 1, 2, buffer.data(), 1024), 0, 0,
         ZD_STATUS_INVALID_PARAMETER, 4},
        {"write past the last sector", Cdb10(0x2A, 16002 + 63, 1, buffer.data(), 512, 0x80), 0, 0,
         ZD_STATUS_INVALID_PARAMETER, 4},
        {"read without a data direction", Cdb10(0x28, 100, 1, buffer.data(), 512, 0), 0, 0, ZD_STATUS_INVALID_PARAMETER, 4},
        {"read without a buffer", Cdb10(0x28, 100, 1, nullptr, 512), 0, 0, ZD_STATUS_INVALID_PARAMETER, 4},
        {"last sector", Cdb10(0x28, 16002 + 63 - 1, 1, buffer.data(), 512), 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        ZdScsi srb = c.srb;
        EXPECT_EQ(c.status, disk->Scsi(srb, c.code, c.minor)) << c.what;
        EXPECT_EQ(c.srbStatus, srb.SrbStatus) << c.what;
    }
    EXPECT_EQ(std::vector<uint8_t>(18, 0), std::vector<uint8_t>(sense, sense + 18)) << "sense cleared";
    EXPECT_EQ(nullptr, ChildOf(*disk)->overlay) << "no failed write left anything behind";
}

TEST_F(ScsiTest, WritesAreKeptApartFromTheImageAndUnchangedOnesNotAtAll)
{
    SmallSet set(16002);
    PlugSet(set);
    zedisk::ZdChild* child = ChildOf(*disk);
    // The same bytes the disk holds: nothing is stored, also in track 0.
    std::vector<uint8_t> same = ReadAll(100, 8);
    ASSERT_EQ(0, disk->Write(100, 8, same.data()));
    std::vector<uint8_t> track0 = ReadAll(0, 63);
    ASSERT_EQ(0, disk->Write(0, 63, track0.data()));
    EXPECT_EQ(nullptr, child->overlay);
    // A change inside track 0 is refused.
    track0[600] ^= 1;
    EXPECT_EQ(ZD_STATUS_MEDIA_WRITE_PROTECTED, disk->Write(0, 63, track0.data()));
    EXPECT_EQ(ZD_STATUS_MEDIA_WRITE_PROTECTED, disk->Write(0, 2, track0.data()));
    EXPECT_EQ(nullptr, child->overlay);
    // A change elsewhere is read back, also by a smaller read inside it.
    const std::vector<uint8_t> data = NoiseBytes(8 * 512, 99);
    ASSERT_EQ(0, disk->Write(100, 8, data.data()));
    EXPECT_EQ(std::vector<uint8_t>(data.begin() + 4 * 512, data.begin() + 5 * 512), ReadAll(104, 1));
    EXPECT_EQ(set.Expected(99, 1), ReadAll(99, 1));
    EXPECT_EQ(8u * 512, child->overlay->StoredBytes());
    // Writing it again stores nothing more.
    ASSERT_EQ(0, disk->Write(100, 8, data.data()));
    EXPECT_EQ(1u, child->overlay->Extents());
}

TEST_F(ScsiTest, WritesAreGoneAfterTheDiskIsRemoved)
{
    SmallSet set(16002);
    PlugSet(set, 6);
    const std::vector<uint8_t> data = NoiseBytes(512, 5);
    ASSERT_EQ(0, disk->Write(300, 1, data.data()));
    disk.reset();
    ASSERT_EQ(0, TargetCall(IOCTL_ZEDISK_UNPLUG, 0));
    PlugSet(set, 6);
    EXPECT_EQ(set.Expected(300, 1), ReadAll(300, 1));
}

TEST_F(ScsiTest, ARequestAfterTheWorkerStoppedIsRefusedNotLost)
{
    SmallSet set(16002);
    PlugSet(set);
    zedisk::StopWorker(ChildOf(*disk));
    std::vector<uint8_t> buffer(512);
    ZdScsi srb = Cdb10(0x28, 100, 1, buffer.data(), 512);
    EXPECT_EQ(ZD_STATUS_NO_SUCH_DEVICE, disk->Scsi(srb));
    EXPECT_EQ(8, srb.SrbStatus);
}

TEST_F(ScsiTest, ReadsOfManyThreadsAllComplete)
{
    SmallSet set(16002);
    PlugSet(set);
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            std::vector<uint8_t> buffer(8 * 512);
            for (uint32_t i = 0; i < 20; ++i) {
                const uint32_t sector = 63 + (t * 20 + i) * 3;
                if (disk->Read(sector, 8, buffer.data()) == 0 && buffer == set.Expected(sector, 8))
                    ++good;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(80, good.load());
}

} // namespace
