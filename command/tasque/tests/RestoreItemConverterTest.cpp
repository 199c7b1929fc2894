// Restore items as the restore and clone pages fill them, turned into the restore
// engine's target record: each field where the engine reads it, the disk translated to
// its physical drive, the caller's item untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "CTasque.h"
#include "RecordingOrdwell.h"
#include "RestoreItemConverter.h"

namespace {

_RESTORE_INFO Item(uint8_t disk, uint64_t first, uint64_t count, uint16_t type, int32_t letter, uint8_t primary,
                   uint8_t active, uint8_t sourceDisk, uint64_t hidden)
{
    _RESTORE_INFO item;
    std::memset(&item, 0, sizeof item);
    item.DiskNumber = disk;
    item.FirstSector = first;
    item.SectorCount = count;
    item.VolumeType = type;
    item.DriveLetter = letter;
    item.Primary = primary;
    item.Active = active;
    item.SourceDisk = sourceDisk;
    item.HiddenSectors = hidden;
    return item;
}

struct ConversionCase {
    const char* name;
    _RESTORE_INFO item;
    uint8_t disk, letter, patch, boot, imageDisk;
};

TEST(RestoreItemConverter, FieldsLandWhereTheEngineReadsThem)
{
    const ConversionCase cases[] = {
        // A restore page's partition item: letter upper-cased, primary, active.
        {"restore partition", Item(2, 2048, 32768, 4, 'c', 1, 1, 0, 2048), 3, 'C', 1, 1, 0},
        {"restore logical", Item(0, 118784, 32768, 2, 'E', 0, 0, 0, 63), 0, 'E', 0, 0, 0},
        {"no letter", Item(1, 63, 100, 3, '*', 1, 0, 0, 63), 1, 0, 1, 0, 0},
        {"blank letter", Item(1, 63, 100, 3, ' ', 1, 0, 0, 63), 1, 0, 1, 0, 0},
        {"letter past Z", Item(1, 63, 100, 3, 'Z' + 1, 1, 0, 0, 63), 1, 0, 1, 0, 0},
        {"sign-extended byte", Item(1, 63, 100, 3, -61, 1, 0, 0, 63), 1, 0, 1, 0, 0},
        // The boot-record item names the disk inside the image.
        {"boot record", Item(2, 0, 0, 0, 0, 0, 0, 1, 0), 3, 0, 0, 0, 1},
        // A disk the enumeration does not know keeps its number.
        {"unknown disk", Item(7, 1, 2, 255, 'z', 0, 1, 0, 0), 7, 'Z', 0, 1, 0},
    };
    DriveThreeCensa censa;
    RestoreItemConverter converter(&censa);
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const _RESTORE_INFO before = c.item;
        const _KS_RESTORE_TARGET t = converter.Convert(c.item);
        EXPECT_EQ(0, std::memcmp(&before, &c.item, sizeof before));
        const uint8_t* b = reinterpret_cast<const uint8_t*>(&t);
        EXPECT_EQ(c.disk, b[0]);
        EXPECT_EQ(ReadAt({b, b + sizeof t}, 1, 8), uint64_t{c.item.FirstSector});
        EXPECT_EQ(ReadAt({b, b + sizeof t}, 9, 8), uint64_t{c.item.SectorCount});
        EXPECT_EQ(ReadAt({b, b + sizeof t}, 17, 2), uint64_t{c.item.VolumeType});
        EXPECT_EQ(c.letter, b[19]);
        EXPECT_EQ(0, b[20]);
        EXPECT_EQ(c.patch, b[21]);
        EXPECT_EQ(c.boot, b[22]);
        EXPECT_EQ(c.imageDisk, b[23]);
        for (size_t i = 24; i < 152; ++i)
            ASSERT_EQ(0, b[i]) << "byte " << i;
        EXPECT_EQ(ReadAt({b, b + sizeof t}, 152, 8), uint64_t{c.item.HiddenSectors});
    }
}

TEST(RestoreItemConverter, DriveNumberComesFromTheDevicePath)
{
    const struct {
        const char* path;
        bool found;
        unsigned char number;
    } cases[] = {
        {"\\\\.\\PhysicalDrive3", true, 3},
        {"\\\\.\\PhysicalDrive12", true, 12},
        {"\\\\.\\PhysicalDrive260", true, 4}, // the low byte
        {"\\\\.\\PhysicalDriveX", true, 0},   // no digits
        {"\\\\.\\PhysicalDrive-1", false, 9},
        {"\\\\.\\PhysicalDrive", false, 9},    // nothing after the prefix
        {"", false, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        unsigned char number = 9;
        EXPECT_EQ(c.found, RestoreItemConverter::DriveNumberOf(c.path, number));
        EXPECT_EQ(c.number, number);
    }
}

// A record queued twice names the same disk twice: only the converted copy is
// translated, so disk 2 (drive 3) never becomes drive 3's own translation.
TEST(RestoreItemConverter, QueuingAnItemTwiceTranslatesItOnce)
{
    auto executor = std::make_unique<RecordingOrdwell>();
    DriveThreeCensa censa;
    CTasque tasque(executor.get(), &censa);
    std::vector<std::vector<uint8_t>> targets;
    std::vector<std::vector<uint8_t>> sources;
    std::vector<void*> volumes;
    executor->onExecute = [&](_KS_CMD_PACKET* packet, _KS_CMD_PACKET**) {
        const auto* r = reinterpret_cast<const KS_CMD_RESTORE_ITEM_REQUEST*>(packet);
        const uint8_t* t = static_cast<const uint8_t*>(r->Target);
        targets.emplace_back(t, t + sizeof(_KS_RESTORE_TARGET));
        if (packet->Code == TASQUE_CMD_ADD_DISK_RESTORE) {
            const uint8_t* s = static_cast<const uint8_t*>(r->Source);
            sources.emplace_back(s, s + sizeof(_KS_RESTORE_TARGET));
        } else {
            volumes.push_back(static_cast<void*>(r->Source));
        }
    };
    _KS_VOLUME volume{};
    _RESTORE_INFO item = Item(2, 2048, 4096, 4, 'd', 1, 0, 0, 2048);
    const _RESTORE_INFO before = item;
    EXPECT_EQ(0u, tasque.AddRestore(&volume, &item, 0));
    EXPECT_EQ(0u, tasque.AddRestore(&volume, &item, 0));
    EXPECT_EQ(0, std::memcmp(&before, &item, sizeof item));
    ASSERT_EQ(2u, targets.size());
    EXPECT_EQ(3, targets[0][0]);
    EXPECT_EQ(3, targets[1][0]);
    EXPECT_EQ('D', targets[0][19]);
    EXPECT_EQ(&volume, volumes[0]) << "the volume passes unchanged";

    // A clone item: both records converted, source first.
    _RESTORE_INFO from = Item(0, 63, 1000, 2, 'C', 1, 1, 0, 63);
    _RESTORE_INFO to = Item(2, 63, 1000, 2, 'E', 1, 1, 0, 63);
    EXPECT_EQ(0u, tasque.AddDiskRestore(&from, &to, 1));
    ASSERT_EQ(1u, sources.size());
    EXPECT_EQ(0, sources[0][0]);
    EXPECT_EQ('C', sources[0][19]);
    EXPECT_EQ(3, targets[2][0]);
    EXPECT_EQ(1u, ReadAt(executor->commands.back().request, 100, 4));
    EXPECT_EQ(2, to.DiskNumber);
}

} // namespace
