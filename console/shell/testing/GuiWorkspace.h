// The working directory a console program expects: a fresh bin/ with res/ (the
// drawn pictures of the build tree) beside it, so that "../res/" resolves. The
// process changes into bin/; everything is removed when the process ends.
#pragma once

#include <string>

class GuiWorkspace {
public:
    static GuiWorkspace& Shared();
    ~GuiWorkspace();

    bool Prepare(std::string* error);
    const std::string& Root() const { return root_; }
    std::string BinDir() const { return root_ + "/bin"; }
    // The build tree's picture folder that res/ points to.
    static std::string PictureDir();

private:
    GuiWorkspace() = default;
    std::string root_;
    std::string previous_;
};
