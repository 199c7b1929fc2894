// A backed-up volume records where its partition lay as the disk enumeration gives it:
// hidden sectors counted from the partition's table record, a primary's from the
// master boot record at sector 0, a logical's from its extended boot record.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "FixtureImage.h"
#include "KSResult.h"

namespace {

TEST(ChannelVolumePlacement, VolumeRecordsCountHiddenSectorsFromTheTableRecord)
{
    const std::string disk = MakeFixtureImage("censa/track-aligned-disk.sh", "censa-track-aligned.img");
    ASSERT_FALSE(disk.empty());
    NameDisks({disk});
    Tasque tasque = NewTasque();
    const struct {
        uint64_t start, hidden;
    } cases[] = {{385560, 385560}, {465948, 63}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        unsigned long long count = 0;
        ASSERT_EQ(0u, tasque->EnumGetPartitionCount(0, &count));
        uint32_t index = UINT32_MAX;
        for (unsigned long long i = 0; i < count; ++i) {
            __PARTITION_INFO_CMD record;
            std::memset(&record, 0, sizeof record);
            ASSERT_EQ(0u, tasque->EnumGetPartitionInfo(0, i, &record));
            if (record.StartSector == c.start && record.PartitionType != 0) {
                index = static_cast<uint32_t>(i);
                const uint64_t hidden = record.HiddenSectors;
                EXPECT_EQ(c.hidden, hidden) << "the console's record";
            }
        }
        ASSERT_NE(UINT32_MAX, index);
        const std::string folder = MakeWorkFolder("placement-" + std::to_string(c.start));
        BackupRequest request;
        request.imagePath = Wide(folder + "/placed.rvd");
        request.partitions = {index};
        EXPECT_EQ(0u, RunBackup(request).last.Result);
        ASSERT_EQ(1u, FilesIn(folder).size());
        std::unique_ptr<IKSCofran, CofranDeleter> set(
            OpenSet(Wide(folder + "/" + FilesIn(folder)[0]), L"", KS_OPEN_SEQUENTIAL));
        ASSERT_NE(nullptr, set);
        _KS_VOLUME volume;
        ASSERT_EQ(0u, set->GetVolumes(&volume, 1));
        EXPECT_EQ(c.start, uint64_t(volume.PartitionStart));
        EXPECT_EQ(c.start - c.hidden, uint64_t(volume.StartLessHidden));
        EXPECT_EQ(c.start + volume.TotalSectors, uint64_t(volume.StartLessHidden + volume.HiddenPlusTotal));
    }
    NameDisks({BackupDisk::Get().Path()});
}

} // namespace
