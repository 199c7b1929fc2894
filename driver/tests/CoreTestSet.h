// A small image set for the core's tests: one FAT-like volume whose track 0,
// system area and first clusters hold known bytes, written by the container; the
// plug-in record for it; and the disk the core should show for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "IKSCofran.h"
#include "WdkFake.h"
#include "ZeDiskCodes.h"
#include "ZeDiskControl.h"

// A fresh folder, removed with its files afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }   // ends with "/"
    std::wstring WPath(const std::string& name) const;

private:
    std::string path_;
};

// The container object, released at the end of the scope.
struct Container {
    IKSCofran* p = nullptr;
    Container();
    ~Container();
    IKSCofran* operator->() const { return p; }
};

std::vector<unsigned char> NoiseBytes(size_t size, uint32_t seed);

struct SmallSet {
    explicit SmallSet(uint64_t totalSectors = 16002, const wchar_t* password = nullptr, uint8_t fileSystem = 2);

    // The 912-byte plug-in record for the volume with this letter index.
    std::vector<uint8_t> Record(uint8_t letter, uint32_t diskId = 0x5A5A5A40,
                                const std::u16string& password = std::u16string()) const;
    // What the disk holds at disk sectors [first, first + count) before the made-up
    // boot record and any write (track 0, system area, clusters, zeros).
    std::vector<uint8_t> Expected(uint64_t first, uint64_t count) const;
    uint64_t DiskSectors() const { return volume.TotalSectors + 63; }

    TempFolder dir;
    std::wstring path;
    _KS_VOLUME volume{};
    std::vector<unsigned char> pre;
    std::vector<unsigned char> system;
    std::vector<unsigned char> clusters;
};

// The driver names files as the kernel does ("\\??\\X:\\..."): the host's files are
// reached through this drive, which every core test maps onto "/".
constexpr char kHostDrive = 'W';
// A host path ("/tmp/a/set.rvd") as the plugging user names it ("W:\\tmp\\a\\set.rvd").
std::wstring KernelPath(const std::wstring& hostPath);

// A plug-in record's bytes from its parts; the path goes in as KernelPath gives it.
std::vector<uint8_t> MakeRecord(const _KS_VOLUME& volume, uint8_t letter, uint32_t diskId,
                                const std::u16string& password, const std::wstring& hostPath);

// Loads the driver on the fake port for each test and checks at the end that
// nothing was left behind: no device, no pool block, no open file.
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ZdStatus Plug(const std::vector<uint8_t>& record);
    ZdStatus TargetCall(uint32_t code, uint32_t mask);
    // The started child disk of a serial (null when there is none).
    std::shared_ptr<wdk::ChildDisk> Disk(uint32_t serial) const;
    wdk::PnpManager& pnp = wdk::PnpManager::Instance();
};

// The UTF-16 units of an ASCII text.
std::u16string U16(const char* text);
