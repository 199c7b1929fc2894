// Runs the disk enumeration object over the scripted device manager: the stand-in
// module lies beside the test program as "Vessmar.mo", where the loader looks first,
// and each test starts from an empty script and an empty platform layer.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "CCensa.h"
#include "KSResult.h"
#include "vessmar/IDiskDeviceType.h"
#include "fake/FakeVessmarControl.h"

// The loaded stand-in's control block.
FakeVessmarControl& Script();

// A disk with one partition of each kind a test usually needs.
ScriptedDisk OneDisk(unsigned number = 0);

// The record as raw bytes, read back through the little-endian codecs by offset.
const unsigned char* Bytes(const void* record);

class CensaScripted : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    CCensa censa_; // a fresh object per test: the process's own is never touched
    unsigned handlesBefore_ = 0;
};

// Expects a failure code of this module with the given kind.
::testing::AssertionResult IsCensaKind(unsigned long code, unsigned long kind);
