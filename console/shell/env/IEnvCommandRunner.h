// How the console runs the environment's programs (mount, umount, busybox, the /mnt
// scripts): an argument vector, never a shell, so no text read from a list can turn
// into a command. Tests put a recorder in its place.
#pragma once

#include <functional>
#include <string>
#include <vector>

class IEnvCommandRunner {
public:
    virtual ~IEnvCommandRunner() = default;
    // Runs argv[0] (looked up in PATH) and waits; its exit status, -1 when it could not
    // be started.
    virtual int Run(const std::vector<std::string>& argv) = 0;
    // The same, keeping what it wrote on standard output.
    virtual int Capture(const std::vector<std::string>& argv, std::string& output) = 0;
    // Gives a freshly mounted disc time to settle.
    virtual void Pause(unsigned seconds) = 0;
    // Starts argv and returns; ended gets its exit status (-1 when it could not be
    // started). The POSIX runner watches the child from the GLib main loop, so ended
    // is called from there; this default runs argv to its end first.
    virtual void Start(const std::vector<std::string>& argv, std::function<void(int)> ended)
    {
        ended(Run(argv));
    }
};

// The runner the helpers use: the POSIX one unless a test put another in place
// (null restores it).
IEnvCommandRunner& EnvCommandRunner();
void SetEnvCommandRunner(IEnvCommandRunner* runner);
