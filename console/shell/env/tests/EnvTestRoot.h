// A private environment root for one test: a temporary folder named by RVD_ENV_ROOT,
// with helpers that write its lists and sysfs files. Removed, and the variable
// restored, at the end.
#pragma once

#include "EnvRoot.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

class EnvTestRoot {
public:
    EnvTestRoot()
    {
        char pattern[] = "/tmp/rvd-envroot-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            root_ = pattern;
        const char* old = std::getenv(kEnvRootVariable);
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
        setenv(kEnvRootVariable, root_.c_str(), 1);
    }
    ~EnvTestRoot()
    {
        if (hadOld_)
            setenv(kEnvRootVariable, old_.c_str(), 1);
        else
            unsetenv(kEnvRootVariable);
        if (!root_.empty())
            std::system(("rm -rf '" + root_ + "'").c_str());
    }
    EnvTestRoot(const EnvTestRoot&) = delete;
    EnvTestRoot& operator=(const EnvTestRoot&) = delete;

    const std::string& Root() const { return root_; }
    // path is absolute inside the root ("/mnt/volinfo").
    void Write(const std::string& path, const std::string& text) const
    {
        MakeFolders(path.substr(0, path.rfind('/')));
        std::ofstream(root_ + path, std::ios::trunc) << text;
    }
    void MakeFolders(const std::string& path) const
    {
        std::string sofar = root_;
        size_t from = 1;
        while (from <= path.size()) {
            size_t to = path.find('/', from);
            if (to == std::string::npos)
                to = path.size();
            sofar += "/" + path.substr(from, to - from);
            mkdir(sofar.c_str(), 0755);
            from = to + 1;
        }
    }

private:
    std::string root_;
    std::string old_;
    bool hadOld_ = false;
};
