// Records the commands the helpers would run; nothing is started. Capture answers
// with a mount table the test sets.
#pragma once

#include "IEnvCommandRunner.h"

#include <string>
#include <vector>

class RecordingEnvCommandRunner : public IEnvCommandRunner {
public:
    RecordingEnvCommandRunner() { SetEnvCommandRunner(this); }
    ~RecordingEnvCommandRunner() override { SetEnvCommandRunner(nullptr); }

    int Run(const std::vector<std::string>& argv) override
    {
        runs.push_back(argv);
        return status;
    }
    int Capture(const std::vector<std::string>& argv, std::string& output) override
    {
        runs.push_back(argv);
        output = captured;
        return status;
    }
    void Pause(unsigned seconds) override { pausedSeconds += seconds; }

    std::vector<std::vector<std::string>> runs;
    std::string captured;
    int status = 0;
    unsigned pausedSeconds = 0;
};
