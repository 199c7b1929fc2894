#include "PosixHelpViewerProcesses.h"

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

pid_t PosixHelpViewerProcesses::Start(const std::string& path, const std::string& topic)
{
    // Everything the child needs is ready before fork: after it, in a threaded GTK
    // program, the child may only exec or leave.
    const char* program = path.c_str();
    const char* argument = topic.c_str();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program, program, argument, static_cast<char*>(nullptr));
        // Never fall back into a second copy of the console.
        _exit(kExecFailedStatus);
    }
    return pid < 0 ? -1 : pid;
}

void PosixHelpViewerProcesses::Signal(pid_t pid, int signal)
{
    if (pid > 0)
        kill(pid, signal);
}

bool PosixHelpViewerProcesses::ReapIfEnded(pid_t pid, int* status)
{
    if (pid <= 0)
        return false;
    int local = 0;
    pid_t done;
    do {
        done = waitpid(pid, &local, WNOHANG);
    } while (done < 0 && errno == EINTR);
    if (done == pid) {
        if (status)
            *status = local;
        return true;
    }
    // ECHILD: someone else collected it; it is gone either way.
    return done < 0 && errno == ECHILD;
}
