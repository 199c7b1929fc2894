// What the live backup tests share: a copy of the backup fixture disk that a test may
// change, its volumes lettered for the snapshot driver's stand-in, writes to them as a
// program on the machine would make, and a finished set rebuilt into volume images.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BackupDisk.h"
#include "BackupRunner.h"
#include "IKSCofran.h"

constexpr uint32_t kLiveSector = 512;

std::vector<uint8_t> ReadFileBytes(const std::string& path, uint64_t offset, uint64_t bytes);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& data);

// Rewrites a stretch of a volume in 64 KiB writes through the live-write call.
void Rewrite(char letter, uint64_t first, uint64_t end, unsigned char value);
// Writes, through the live-write call, every 64 KiB piece of now that differs from
// was (both the whole volume). ERROR_SUCCESS or the first failure.
unsigned long WriteDifferences(char letter, const std::vector<uint8_t>& was, const std::vector<uint8_t>& now);

// The backup fixture disk's partitions, found by their first sectors in a copy of
// the disk that the test may change. The copy keeps one path for the whole program:
// the device manager remembers the disks it has seen.
struct LiveDisk {
    FixturePartition ntfs{2048, 32768}, fat32{36864, 69632}, fat16{118784, 32768};
    std::string work;
    std::string image;
    bool ready = false;
};
LiveDisk& CopyOfBackupDisk();

struct LiveVolume {
    char letter;
    FixturePartition partition;
    std::vector<uint8_t> atStart; // the partition's bytes before the backup
};

// A fresh copy of the disk, the given volumes lettered in the drive table (their
// bytes kept as they are before the backup), the driver's stand-in installed with
// preserved blocks forgotten once drained (the client's store holds the only copy).
class LiveVolumesTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Letters the volumes; call once from the test's SetUp after this one's.
    void Letter(const std::vector<LiveVolume>& volumes);

    std::string work_, temp_, image_, oldTemp_;
    FixturePartition fat16_{0, 0};
    LiveDisk* disk_ = nullptr;
    bool hadTemp_ = false;
    std::vector<LiveVolume> volumes_;
};

// The set's files opened for random reads; a read goes to the first file that holds it.
class OpenedSet {
public:
    explicit OpenedSet(const std::string& folder);
    size_t Files() const { return files_.size(); }
    bool Volume(size_t index, _KS_VOLUME& out);
    // The volume's system area and used clusters over zeros, as a file: from the set,
    // or from the given bytes of the partition.
    void Rebuild(const _KS_VOLUME& v, const std::vector<uint8_t>* source, const std::string& out);
    // The volume as a restore writes it: the system area, then every stored block in
    // the order the files list them, a later copy of a cluster over an earlier one.
    // conflicts counts the clusters stored more than once with different contents.
    void RestoreBlocks(const _KS_VOLUME& v, const std::string& out, uint64_t& conflicts);
    std::vector<std::string> sequentialPaths_;

private:
    std::vector<std::unique_ptr<IKSCofran, CofranDeleter>> files_;
};

// A rebuilt NTFS volume as the file-system tools want it: the copy of the boot
// sector the volume keeps just past its end (outside the set) put back.
void PutBackNtfsBootCopy(const std::string& path, uint64_t volumeSectors, uint64_t partitionSectors);
// Every file of two volume images is the same (FAT: through mtools; NTFS: the
// ordinary files of the root through ntfscat), and the restored one checks clean.
void ExpectSameFiles(const std::string& expected, const std::string& restored, bool ntfs, const std::string& work);
