// A disk-map image with two lettered volumes served by the snapshot driver's
// stand-in, for the client's tests. Every sector starts with its own volume sector
// number and a generation byte, so a read shows which data it got.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "IKSQuelm.h"

class QuelmVolumeTest : public testing::Test {
public:
    static constexpr uint32_t kSector = 512;
    static constexpr uint64_t kVolumeSSectors = 49152; // 24 MiB
    static constexpr uint64_t kVolumeTSectors = 4096;
    static constexpr uint64_t kVolumeSStart = 2048;
    static constexpr uint64_t kVolumeTStart = kVolumeSStart + kVolumeSSectors;

protected:
    void SetUp() override;
    void TearDown() override;

    // The sector as the image first held it, and as the tests rewrite it.
    static std::vector<unsigned char> Sectors(uint64_t first, uint32_t count, unsigned char generation);
    // The volume's current bytes, read from the image file.
    std::vector<unsigned char> ImageSectors(char letter, uint64_t first, uint32_t count) const;
    // A new client, opened on letter with the test's temp folder.
    IKSQuelm* OpenClient(char letter, const std::wstring& tempFolder = L"");
    // Creates, starts and registers the exchange buffer: a running snapshot.
    void StartSnapshot(IKSQuelm* client, uint32_t sectorsPerBit = 8);
    std::vector<std::string> SpillFiles() const;
    std::wstring TempFolder() const { return std::wstring(folder_.begin(), folder_.end()); }

    std::string folder_;
    std::string image_;
    unsigned handlesBefore_ = 0;

private:
    std::string oldImages_;
    bool hadImages_ = false;
};

// Waits up to ten seconds for done() to hold.
bool WaitUntil(const std::function<bool()>& done);
