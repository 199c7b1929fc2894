// Child processes that follow a test's script instead of running a program.
#pragma once

#include <windows.h>

#include <string>

namespace ks_platform {

// True when a script takes the command line; result and info then hold
// CreateProcess's answer.
bool StartScriptedProcess(const std::string& commandLine, bool inheritHandles, DWORD creationFlags,
                          LPPROCESS_INFORMATION info,
                          BOOL& result);

} // namespace ks_platform
