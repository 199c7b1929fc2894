// A machine the launcher can run on, set up through the platform layer, and what a
// run of the launcher left behind.
#pragma once

#include "KSPlatformSetup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct LoaderOutcome {
    int exitCode = -1;
    std::vector<KSMessageBox> boxes;
    std::vector<KSProcessStart> starts;
};

class LoaderMachine : public ::testing::Test {
protected:
    // A prepared Windows XP machine: administrator, filter registered, bus driver
    // installed, snapshot device present, Main and Grellic scripted to end at once.
    void SetUp() override;
    void TearDown() override;

    LoaderOutcome Run();

    // HKLM\keyPath's value, created with its key.
    static void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const std::string& bytes);
    static void DeleteValue(const std::string& keyPath, const std::string& name);
    // The strings each NUL-ended, then the closing NUL.
    static std::string MultiString(const std::vector<std::string>& strings);
    static void SetVersion(DWORD major, DWORD minor, DWORD platform, WORD servicePack);
    // "\\.\vsdatant" opens (ERROR_SUCCESS) or fails with error.
    static void RegisterFirewallDevice(DWORD error);
    static void ScriptMain(const KSProcessScript& script);

    unsigned handlesBefore_ = 0;
};

// The message box a refusal shows: the text, the caption and the information icon.
void ExpectOnlyBox(const LoaderOutcome& outcome, const std::string& text);
