// The fix-up tests' disks: the fixture of restored-system volumes as disk 0, backed up
// by the backup engine, and a target disk 1 with another signature whose partitions
// lie at other offsets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "KSRestoreRecords.h"
#include "KSVolume.h"
#include "restore/WindowsSystemDisk.h"

constexpr uint32_t kTargetSignature = 0x7A7A0001;

// Where each fixture volume goes on the target.
struct FixupPlace {
    WindowsSystemVolume source;
    uint64_t start;
    uint64_t sectors;
    uint64_t hidden;
    unsigned partition; // boot-list number on the target
    bool primary;
};
extern const FixupPlace kPlaces[4];

class FixupDisk {
public:
    // Makes the fixture (once), names it and the target in the disk map, and finds
    // the volumes' indexes in the disk enumeration.
    static FixupDisk& Get();
    const std::string& Fixture() const { return fixture_; }
    const std::string& Target() const { return target_; }
    const std::string& Folder() const { return folder_; }
    // The target laid out afresh with the given sfdisk script (zeros elsewhere).
    void Partition(const std::string& sfdiskScript) const;
    // The target as a copy of the fixture under the target's signature.
    void CopyFixture() const;
    uint32_t IndexOf(const WindowsSystemVolume& volume) const;

private:
    std::string fixture_, target_, folder_;
    std::vector<std::pair<uint64_t, uint32_t>> indexes_;
};

// The sfdisk script of the target for the partition restores.
std::string TargetTable();

// A target record for a place on disk 1.
_KS_RESTORE_TARGET TargetRecord(const FixupPlace& place, char letter, bool boot);
// An image volume record as the backup engine makes it for a fixture volume.
_KS_VOLUME SourceVolume(const WindowsSystemVolume& volume);
// The 12 bytes of "MountedDevices" as hivexregedit exports them: "hex(3):44,4e,...".
std::string ExportedPlace(uint32_t signature, uint64_t firstSector);
// A file of a volume of the target (ntfscat or mtype over an extracted copy).
std::string TargetFile(uint64_t start, uint64_t sectors, bool ntfs, const std::string& path);
// "MountedDevices" of a hive's bytes, as hivexregedit exports it.
std::string MountedDevicesOf(const std::string& hiveBytes);

// The fix-up tests' base: the disks made, and the simulated machine's registry,
// mounts, drives, Windows folder and failures cleared before and after each test.
class FixupDiskTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { SetUp(); }
};
