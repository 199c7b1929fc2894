// A recovery-environment test root over the environment test disks: sys/block and
// dev laid out by env-root.sh, the environment's scripts in mnt/, the recording
// stand-ins of mount, umount, blkid and busybox first in PATH, and the disk map
// listing the root's disks. Everything is put back and removed at the end.
#pragma once

#include "CommandOutput.h"
#include "FixtureImage.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class RecoveryTestRoot {
public:
    // The environment disk (and its set's source disk) made once per build tree; empty
    // when a fixture script failed.
    static std::string EnvDisk()
    {
        const std::string source = SourceDisk();
        if (source.empty())
            return std::string();
        setenv("SOURCE_DISK", source.c_str(), 1);
        setenv("BACKUP_TOOL", RVD_BACKUP_TOOL, 1);
        return MakeFixtureImage("recovery/env-disk.sh", "recovery-env-disk.img");
    }
    static std::string SourceDisk() { return MakeFixtureImage("recovery/env-source-disk.sh", "recovery-source-disk.img"); }

    // arguments as env-root.sh takes them ("--cd", image, disk images...).
    explicit RecoveryTestRoot(const std::vector<std::string>& arguments)
    {
        char pattern[] = "/tmp/rvd-recovery-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        root_ = pattern;
        std::string command = "bash '" + std::string(RVD_STANDIN_DIR) + "/env-root.sh' '" + root_ + "'";
        std::string images;
        for (size_t i = 0; i < arguments.size(); ++i) {
            command += " '" + arguments[i] + "'";
            if (arguments[i] == "--cd") {
                command += " '" + arguments[++i] + "'";
                continue;
            }
        }
        int status = 0;
        CommandOutput(command + " 2>&1", &status);
        ready_ = status == 0;
        for (const char* name : {"RVD_ENV_ROOT", "PATH", "RVD_DISK_IMAGES"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value ? value : "", value != nullptr});
        }
        setenv("RVD_ENV_ROOT", root_.c_str(), 1);
        setenv("PATH", (std::string(RVD_STANDIN_DIR) + ":" + saved_[1].value).c_str(), 1);
        unsigned disks = 0;
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (arguments[i] == "--cd") {
                ++i;
                continue;
            }
            images += (images.empty() ? "" : ":") + root_ + "/dev/sd" + static_cast<char>('a' + disks++);
        }
        setenv("RVD_DISK_IMAGES", images.c_str(), 1);
    }
    ~RecoveryTestRoot()
    {
        for (const Saved& s : saved_) {
            if (s.had)
                setenv(s.name, s.value.c_str(), 1);
            else
                unsetenv(s.name);
        }
        if (!root_.empty())
            std::system(("rm -rf '" + root_ + "'").c_str());
    }
    RecoveryTestRoot(const RecoveryTestRoot&) = delete;
    RecoveryTestRoot& operator=(const RecoveryTestRoot&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& inside) const { return root_ + inside; }

    // Runs one of the environment's scripts; its exit status.
    int RunScript(const std::string& name) const
    {
        int status = 0;
        CommandOutput("'" + root_ + "/mnt/" + name + "' 2>&1", &status);
        return status;
    }
    std::string Read(const std::string& inside) const
    {
        std::ifstream in(root_ + inside);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The stand-ins' calls, one per line, arguments separated by tabs.
    std::vector<std::string> Calls() const
    {
        std::vector<std::string> calls;
        std::istringstream lines(Read("/.standin/commands.log"));
        std::string line;
        while (std::getline(lines, line))
            calls.push_back(line);
        return calls;
    }
    void ForgetCalls() const { std::remove((root_ + "/.standin/commands.log").c_str()); }

private:
    struct Saved {
        const char* name;
        std::string value;
        bool had;
    };
    std::string root_;
    bool ready_ = false;
    std::vector<Saved> saved_;
};
