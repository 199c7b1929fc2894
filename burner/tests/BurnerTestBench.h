// A machine for the burner's tests: a modelled optical drive "R:" with a disc, a
// program folder of the test's own (Pip and scanbus beside the program, where the
// burner and the drive tool look for them), a staging drive "T:" and helpers that
// read files back from the modelled disc.
#pragma once

#include <KSPlatformControl.h>
#include <gtest/gtest.h>

#include <IBurnerTool.h>
#include <IPyrelle.h>
#include <KSResult.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "OpticalDevice.h"
#include "OpticalDriveState.h"

class BurnerTestBench : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts a disc into R: (the drive keeps its settings).
    void Insert(const optical::Disc& disc);
    optical::Drive Drive() const;
    void SaveDrive(const optical::Drive& drive);
    // A folder of the staging drive holding files of the given sizes; its
    // Windows path ("T:\name") and its host path.
    std::wstring MakeFolder(const std::string& name, const std::vector<std::pair<std::string, size_t>>& files);
    std::string HostOf(const std::wstring& windowsPath) const;
    // A file of the session that starts at the block, read back with isoinfo.
    std::string ReadFromDisc(uint32_t sessionStart, const std::string& name) const;
    // Whether the disc's file equals the host file (without printing either).
    ::testing::AssertionResult OnDiscAsIn(uint32_t sessionStart, const std::string& name,
                                          const std::string& hostFile) const;
    std::string ReadHostFile(const std::string& path) const;
    IPyrelle* OpenBurner();
    // Runs the drive tool's search, as the backup engine does before a burn.
    IBurnerTool* SearchDrives();
    bool DebugLinesMention(const std::string& text) const;

    std::string root_;      // the bench's folder
    std::string modelRoot_; // the drive model's state
    std::string program_;   // the program folder
    std::string staging_;   // host folder of T:
    optical::Drive drive_;
};
