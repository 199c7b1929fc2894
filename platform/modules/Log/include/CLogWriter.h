// The shared log call. It writes nothing in the Linux builds; tests may capture the
// formatted lines to see what a module logged.
#pragma once

#include <string>
#include <vector>

class __attribute__((visibility("default"))) CLogWriter {
public:
    static void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // Test seam: while capturing, each call's text is kept (at most 4,095 bytes).
    static void StartCapture();
    static void StopCapture();
    static std::vector<std::string> Captured();
};
