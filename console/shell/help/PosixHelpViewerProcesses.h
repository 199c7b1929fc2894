// fork, exec, kill and waitpid for the help viewer.
#pragma once

#include "IHelpViewerProcesses.h"

class PosixHelpViewerProcesses : public IHelpViewerProcesses {
public:
    pid_t Start(const std::string& path, const std::string& topic) override;
    void Signal(pid_t pid, int signal) override;
    bool ReapIfEnded(pid_t pid, int* status) override;

    // Exit status of a child whose viewer could not be run.
    static constexpr int kExecFailedStatus = 127;
};
