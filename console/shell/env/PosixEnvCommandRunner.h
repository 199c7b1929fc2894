// posix_spawnp and waitpid for the environment's programs.
#pragma once

#include "IEnvCommandRunner.h"

class PosixEnvCommandRunner : public IEnvCommandRunner {
public:
    int Run(const std::vector<std::string>& argv) override;
    int Capture(const std::vector<std::string>& argv, std::string& output) override;
    void Pause(unsigned seconds) override;
    void Start(const std::vector<std::string>& argv, std::function<void(int)> ended) override;

private:
    // Starts argv with standard output on outFd (-1 keeps the console's).
    static int Spawn(const std::vector<std::string>& argv, int outFd, pid_t* pid);
    static int Wait(pid_t pid);
};
