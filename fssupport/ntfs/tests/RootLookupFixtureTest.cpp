#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CExtendMFT.h"
#include "CFindFile.h"
#include "CHardDriveIO.h"
#include "CNtfsVolume.h"
#include "CVirtualDevice.h"
#include "NtfsFixtures.h"
#include "NtfsLayout.h"
#include "NtfsTools.h"

namespace {

// Every name of the root directory, as ntfs-3g lists them, is found by the lookup:
// the 300-file fixture spreads them over several index blocks, so the last entry of
// each block is among them.
TEST(RootLookup, FindsEveryFileOfTheRootDirectory)
{
    for (const NtfsFixture& fixture : kNtfsFixtures) {
        VolumeImage image;
        std::string volumeFile;
        ASSERT_TRUE(LoadFixture(fixture, image, volumeFile));
        std::vector<std::string> names;
        ASSERT_TRUE(ToolRootNames(volumeFile, names));
        ASSERT_GT(names.size(), 10u);

        IKSFSSupport* reader = OpenReader(image);
        ASSERT_NE(reader, nullptr);
        CVirtualDevice device(VolumeImage::Read, &image);
        CHardDriveIO io;
        io.LoadSetting(CHardDriveIOSetting(nullptr, &device));
        ASSERT_TRUE(io.OpenDisk(-1));
        CNtfsVolume volume;
        ASSERT_TRUE(volume.LoadNtfsVolume(&io, -1, 0));
        CExtendMFT mft;
        ASSERT_TRUE(mft.InitMFT(volume));
        CFindFile find;
        ASSERT_EQ(find.InitDir(NTFS_FILE_ROOT, &volume, &mft, reader), 0u);

        for (const std::string& name : names) {
            std::u16string wanted(name.begin(), name.end());
            for (char16_t& c : wanted)
                c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
            uint64_t reference = 0;
            bool found = false;
            EXPECT_EQ(find.GetFileRecordNO(wanted, reference, found), 0u) << fixture << " " << name;
            EXPECT_TRUE(found) << fixture << " " << name;
            EXPECT_GE(NtfsRecordNumber(reference), 16u) << fixture << " " << name;
        }
        uint64_t reference = 0;
        bool found = true;
        EXPECT_EQ(find.GetFileRecordNO(u"FILE9999.TXT", reference, found), 0u);
        EXPECT_FALSE(found);
        EXPECT_EQ(find.GetFileRecordNO(u"FILE0001NTXT", reference, found), 0u);
        EXPECT_FALSE(found) << "'.' does not match 'N'";
        reader->Release();
    }
}

} // namespace
