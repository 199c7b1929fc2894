// A private X server for one test process: Xvfb picks a free display number itself
// (-displayfd), so test processes run in parallel without racing for one, and it
// ends with the process.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbDisplay {
public:
    // The process-wide server, started on first use; DISPLAY names it afterwards.
    static XvfbDisplay& Shared();
    ~XvfbDisplay();

    // True when the server runs; otherwise *error says why. Waits at most
    // kStartTimeoutMs for the server.
    bool Start(std::string* error);
    const std::string& Name() const { return name_; }

    static constexpr int kStartTimeoutMs = 20000;
    // The screen's size: RVD_TEST_SCREEN ("800x600") when it names one, else 1024 x 768,
    // so one test program can be run on a small screen as well.
    static int ScreenWidth();
    static int ScreenHeight();

private:
    XvfbDisplay() = default;
    void Stop();

    pid_t pid_ = 0;
    std::string name_;
};
