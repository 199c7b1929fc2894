#include "CResizeTool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace {
constexpr size_t kKeptOutput = 4096;
constexpr int kPollMs = 100;
}

std::string CResizeTool::Find(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    folders += ":/usr/sbin:/sbin";
    for (size_t at = 0; at <= folders.size();) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(at, end - at);
        if (!folder.empty()) {
            const std::string file = folder + "/" + name;
            if (access(file.c_str(), X_OK) == 0)
                return file;
        }
        at = end + 1;
    }
    return std::string();
}

// ntfsresize prints "\r 42.17 percent completed"; each such piece moves the percent.
void CResizeTool::Take(const char* data, size_t bytes, CCallBackOperate& progress)
{
    for (size_t i = 0; i < bytes; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            const size_t mark = line_.find("percent completed");
            if (mark != std::string::npos)
                progress.SetPercent(static_cast<unsigned long>(std::strtod(line_.c_str(), nullptr)));
            line_.clear();
        } else if (line_.size() < 256) {
            line_ += c;
        }
    }
    output_.append(data, bytes);
    if (output_.size() > kKeptOutput)
        output_.erase(0, output_.size() - kKeptOutput);
}

CResizeTool::Outcome CResizeTool::Run(const std::vector<std::string>& arguments, CCallBackOperate& progress)
{
    if (arguments.empty() || arguments[0].empty())
        return kMissing;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return kFailed;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return kMissing;
    }
    bool cancelled = false;
    char buffer[512];
    for (;;) {
        if (progress.Cancelled()) {
            cancelled = true;
            kill(child, SIGKILL);
            break;
        }
        pollfd fd{pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, kPollMs) <= 0)
            continue;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break; // the child closed its output: it has ended or is ending
        Take(buffer, size_t(n), progress);
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (cancelled)
        return kCancelled;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? kSucceeded : kFailed;
}
