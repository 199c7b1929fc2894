#include "FileSystemCheckRun.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

std::vector<std::string> FileSystemCheckRun::CommandFor(const std::string& fileSystem, const std::string& volumePath)
{
    if (fileSystem == "vfat")
        return {"fsck.fat", "-n", volumePath};
    if (fileSystem == "ntfs")
        return {"ntfsfix", "-n", volumePath};
    return {};
}

bool FileSystemCheckRun::Passes(const std::vector<std::string>& argv)
{
    if (argv.empty())
        return false;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    // The checkers live in sbin folders that a user's PATH may leave out.
    std::string program = argv[0];
    int rc = posix_spawnp(&child, program.c_str(), &actions, nullptr, args.data(), environ);
    for (const char* folder : {"/usr/sbin/", "/sbin/", "/usr/bin/"}) {
        if (rc == 0)
            break;
        program = folder + argv[0];
        rc = posix_spawn(&child, program.c_str(), &actions, nullptr, args.data(), environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
