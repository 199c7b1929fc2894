// A FAT volume's label is stored in its volume's OEM code page: letters outside ASCII
// reach the console's records as UTF-8 and the set's volume record as the same
// letters in UTF-16, not as replacement characters.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "BackupRunner.h"
#include "ChannelFixture.h"
#include "FixtureImage.h"
#include "KSResult.h"

namespace {

TEST(ChannelVolumeLabel, AnOemLabelComesBackWithItsLettersInTheSet)
{
    const std::string labelled = MakeFixtureImage("censa/oem-label-disk.sh", "censa-oem-label.img");
    ASSERT_FALSE(labelled.empty());
    NameDisks({labelled});
    Tasque tasque = NewTasque();
    unsigned long long count = 0;
    ASSERT_EQ(0u, tasque->EnumGetPartitionCount(0, &count));
    uint32_t index = UINT32_MAX;
    for (unsigned long long i = 0; i < count; ++i) {
        __PARTITION_INFO_CMD record;
        std::memset(&record, 0, sizeof record);
        ASSERT_EQ(0u, tasque->EnumGetPartitionInfo(0, i, &record));
        if (record.StartSector == 2048 && record.PartitionType != 0) {
            index = static_cast<uint32_t>(i);
            EXPECT_STREQ("DATEN-\xC3\x84\xC3\x96", record.VolumeLabel) << "UTF-8 for the console";
        }
    }
    ASSERT_NE(UINT32_MAX, index);

    const std::string folder = MakeWorkFolder("oem-label");
    BackupRequest request;
    request.imagePath = Wide(folder + "/label.rvd");
    request.partitions = {index};
    const BackupOutcome outcome = RunBackup(request);
    EXPECT_EQ(0u, outcome.last.Result) << std::hex << outcome.last.Result;
    ASSERT_EQ(1u, FilesIn(folder).size());
    std::unique_ptr<IKSCofran, CofranDeleter> set(OpenSet(Wide(folder + "/" + FilesIn(folder)[0]), L"", KS_OPEN_SEQUENTIAL));
    ASSERT_NE(nullptr, set);
    _KS_VOLUME volume;
    ASSERT_EQ(0u, set->GetVolumes(&volume, 1));
    EXPECT_EQ(std::u16string(u"DATEN-\u00C4\u00D6"), std::u16string(volume.Label));
    NameDisks({BackupDisk::Get().Path()});
}

} // namespace
