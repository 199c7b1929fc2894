#include "PosixEnvCommandRunner.h"

#include <cerrno>
#include <fcntl.h>
#include <glib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
PosixEnvCommandRunner g_posixRunner;
IEnvCommandRunner* g_runner = &g_posixRunner;
} // namespace

IEnvCommandRunner& EnvCommandRunner()
{
    return *g_runner;
}

void SetEnvCommandRunner(IEnvCommandRunner* runner)
{
    g_runner = runner ? runner : &g_posixRunner;
}

int PosixEnvCommandRunner::Spawn(const std::vector<std::string>& argv, int outFd, pid_t* pid)
{
    if (argv.empty())
        return -1;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    const int rc = posix_spawnp(pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? 0 : -1;
}

int PosixEnvCommandRunner::Wait(pid_t pid)
{
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    if (done != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int PosixEnvCommandRunner::Run(const std::vector<std::string>& argv)
{
    pid_t pid = 0;
    if (Spawn(argv, -1, &pid) != 0)
        return -1;
    return Wait(pid);
}

int PosixEnvCommandRunner::Capture(const std::vector<std::string>& argv, std::string& output)
{
    output.clear();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    pid_t pid = 0;
    const int started = Spawn(argv, fds[1], &pid);
    close(fds[1]);
    if (started != 0) {
        close(fds[0]);
        return -1;
    }
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fds[0], chunk, sizeof chunk);
        if (got > 0)
            output.append(chunk, static_cast<size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    return Wait(pid);
}

void PosixEnvCommandRunner::Pause(unsigned seconds)
{
    sleep(seconds);
}

namespace {
void OnChildEnded(GPid pid, gint status, gpointer data)
{
    auto* ended = static_cast<std::function<void(int)>*>(data);
    g_spawn_close_pid(pid);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    (*ended)(code);
    delete ended;
}
} // namespace

void PosixEnvCommandRunner::Start(const std::vector<std::string>& argv, std::function<void(int)> ended)
{
    pid_t pid = 0;
    if (Spawn(argv, -1, &pid) != 0) {
        ended(-1);
        return;
    }
    g_child_watch_add(pid, OnChildEnded, new std::function<void(int)>(std::move(ended)));
}
