// A stand-in for the help viewer's processes in GUI tests: it records every start
// and signal and never starts a process.
#pragma once

#include "IHelpViewerProcesses.h"

#include <string>
#include <vector>

class RecordingHelpProcesses : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string& path, const std::string& topic) override
    {
        events.push_back("start [" + topic + "]");
        paths.push_back(path);
        return ++lastPid;
    }
    void Signal(pid_t pid, int signal) override
    {
        events.push_back("signal " + std::to_string(pid) + " " + std::to_string(signal));
    }
    bool ReapIfEnded(pid_t, int*) override { return false; }

    std::vector<std::string> events;
    std::vector<std::string> paths;
    pid_t lastPid = 700000;
};
