// The process operations behind the help-viewer launch. The console uses the POSIX
// ones; tests put a recorder in their place so that no real viewer ever starts.
#pragma once

#include <sys/types.h>

#include <string>

class IHelpViewerProcesses {
public:
    virtual ~IHelpViewerProcesses() = default;
    // Starts `path` with argument 0 `path` and argument 1 `topic`; the new process
    // number, or -1 when no process could be made.
    virtual pid_t Start(const std::string& path, const std::string& topic) = 0;
    virtual void Signal(pid_t pid, int signal) = 0;
    // True once the process has ended and its status has been collected.
    virtual bool ReapIfEnded(pid_t pid, int* status) = 0;
};
