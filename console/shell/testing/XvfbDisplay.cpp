#include "XvfbDisplay.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct ScreenSize {
    int width = 1024;
    int height = 768;
};

ScreenSize RequestedScreen()
{
    ScreenSize size;
    const char* text = std::getenv("RVD_TEST_SCREEN");
    int width = 0, height = 0;
    if (text != nullptr && std::sscanf(text, "%dx%d", &width, &height) == 2 && width >= 320 && height >= 200 &&
        width <= 8192 && height <= 8192) {
        size.width = width;
        size.height = height;
    }
    return size;
}

} // namespace

int XvfbDisplay::ScreenWidth()
{
    return RequestedScreen().width;
}

int XvfbDisplay::ScreenHeight()
{
    return RequestedScreen().height;
}

XvfbDisplay& XvfbDisplay::Shared()
{
    static XvfbDisplay display;
    return display;
}

XvfbDisplay::~XvfbDisplay()
{
    Stop();
}

bool XvfbDisplay::Start(std::string* error)
{
    if (pid_ > 0)
        return true;
    int fds[2];
    if (pipe(fds) != 0) {
        *error = "pipe failed";
        return false;
    }
    const std::string fdText = std::to_string(fds[1]);
    const std::string screen = std::to_string(ScreenWidth()) + "x" + std::to_string(ScreenHeight()) + "x24";
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        *error = "fork failed";
        return false;
    }
    if (pid == 0) {
        // The server goes with the test process, however that one ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDIN_FILENO);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    pid_ = pid;

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    bool complete = false;
    while (!complete && std::chrono::steady_clock::now() < deadline) {
        pollfd p = {fds[0], POLLIN, 0};
        const int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        const int ready = poll(&p, 1, left > 0 ? left : 0);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char c = 0;
        const ssize_t got = read(fds[0], &c, 1);
        if (got <= 0)
            break; // the server ended before it named its display
        if (c == '\n')
            complete = !number.empty();
        else
            number += c;
    }
    close(fds[0]);
    if (!complete) {
        Stop();
        *error = "Xvfb did not start (is the xvfb package installed?)";
        return false;
    }
    name_ = ":" + number;
    setenv("DISPLAY", name_.c_str(), 1);
    return true;
}

void XvfbDisplay::Stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) != 0) {
            pid_ = 0;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}
