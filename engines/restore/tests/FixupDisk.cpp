#include "FixupDisk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "BackupDisk.h"
#include "CDiskMap.h"
#include "CommandOutput.h"
#include "ICensa.h"
#include "KSPlatformControl.h"
#include "KSPlatformVolumes.h"
#include "ListedPartitions.h"

const FixupPlace kPlaces[4] = {
    {kSystemNtfs, 4096, 32768, 4096, 1, true},
    {kSystemFat32, 40960, 69632, 40960, 2, true},
    {kBootFat16, 110592, 8192, 110592, 3, true},
    {kLogicalNtfs, 122880, 32768, 2048, 4, false},
};

std::string TargetTable()
{
    return "label: dos\nlabel-id: 0x7A7A0001\nunit: sectors\n"
           "1 : start=4096, size=32768, type=7\n2 : start=40960, size=69632, type=c\n"
           "3 : start=110592, size=8192, type=6\n4 : start=120832, size=49152, type=5\n"
           "5 : start=122880, size=32768, type=7\n";
}

FixupDisk& FixupDisk::Get()
{
    static FixupDisk disk = [] {
        FixupDisk d;
        d.fixture_ = MakeWindowsSystemDisk();
        d.folder_ = MakeWorkFolder("fixups");
        d.target_ = d.folder_ + "/target.img";
        d.Partition(TargetTable());
        setenv(CDiskMap::kImagesVariable, (d.fixture_ + ":" + d.target_).c_str(), 1);
        for (const ListedPartition& listed : ListedPartitions(0))
            if (!listed.IsFreeSpace())
                d.indexes_.push_back({uint64_t{listed.info.StartSector}, listed.index});
        return d;
    }();
    return disk;
}

void FixupDisk::Partition(const std::string& sfdiskScript) const
{
    std::ofstream(folder_ + "/table") << sfdiskScript;
    EXPECT_EQ(0, std::system(("rm -f '" + target_ + "' && truncate -s 96M '" + target_ + "' && sfdisk --quiet '" +
                              target_ + "' <'" + folder_ + "/table' >/dev/null 2>&1")
                                 .c_str()));
}

void FixupDisk::CopyFixture() const
{
    EXPECT_EQ(0, std::system(("cp --sparse=always '" + fixture_ + "' '" + target_ + "' && truncate -s 96M '" +
                              target_ + "' && sfdisk --disk-id '" + target_ + "' 0x7A7A0001 >/dev/null 2>&1")
                                 .c_str()));
}

uint32_t FixupDisk::IndexOf(const WindowsSystemVolume& volume) const
{
    for (const auto& entry : indexes_)
        if (entry.first == volume.start)
            return entry.second;
    ADD_FAILURE() << "no partition at " << volume.start;
    return 0;
}

_KS_RESTORE_TARGET TargetRecord(const FixupPlace& place, char letter, bool boot)
{
    _KS_RESTORE_TARGET target{};
    target.DiskNumber = 1;
    target.FirstSector = place.start;
    target.SectorCount = place.sectors;
    const bool ntfs = place.source.start == kSystemNtfs.start || place.source.start == kLogicalNtfs.start;
    target.FileSystem = ntfs ? 4 : place.source.start == kSystemFat32.start ? 3 : 2;
    target.DriveLetter = static_cast<uint8_t>(letter);
    target.BootFlag = boot ? 1 : 0;
    target.HiddenSectors = place.hidden;
    return target;
}

_KS_VOLUME SourceVolume(const WindowsSystemVolume& volume)
{
    _KS_VOLUME v{};
    v.Magic = KS_VOLUME_MAGIC;
    v.DiskSignature = kFixtureSignature;
    v.PartitionStart = volume.start;
    v.ArcNumbers = volume.partition << 16;
    return v;
}

std::string ExportedPlace(uint32_t signature, uint64_t firstSector)
{
    std::string text = "hex(3):";
    char byte[4];
    for (int i = 0; i < 4; ++i) {
        std::snprintf(byte, sizeof byte, "%02x,", (signature >> (8 * i)) & 0xFF);
        text += byte;
    }
    const uint64_t offset = firstSector * 512;
    for (int i = 0; i < 8; ++i) {
        std::snprintf(byte, sizeof byte, i < 7 ? "%02x," : "%02x", static_cast<unsigned>((offset >> (8 * i)) & 0xFF));
        text += byte;
    }
    return text;
}

std::string TargetFile(uint64_t start, uint64_t sectors, bool ntfs, const std::string& path)
{
    const FixupDisk& disk = FixupDisk::Get();
    const std::string part = disk.Folder() + "/part-" + std::to_string(start);
    EXPECT_EQ(0, std::system(("dd if='" + disk.Target() + "' of='" + part + "' bs=512 skip=" + std::to_string(start) +
                              " count=" + std::to_string(sectors) + " status=none")
                                 .c_str()));
    if (ntfs)
        return CommandOutput("ntfscat '" + part + "' '" + path + "' 2>/dev/null");
    return CommandOutput("MTOOLS_SKIP_CHECK=1 mtype -i '" + part + "' '::/" + path + "' 2>/dev/null");
}

std::string MountedDevicesOf(const std::string& hiveBytes)
{
    const std::string file = FixupDisk::Get().Folder() + "/hive-" + std::to_string(getpid());
    std::ofstream(file, std::ios::binary) << hiveBytes;
    return CommandOutput("hivexregedit --export '" + file + "' '\\MountedDevices' 2>&1");
}

void FixupDiskTest::SetUp()
{
    FixupDisk::Get();
    KSPlatformClearRegistry();
    KSPlatformClearVolumeMounts();
    KSPlatformClearDrives();
    KSPlatformSetWindowsDirectory(std::string());
    KSPlatformSetPrivilegeError(ERROR_SUCCESS);
    KSPlatformSetVolumeWriteError(ERROR_SUCCESS);
}
