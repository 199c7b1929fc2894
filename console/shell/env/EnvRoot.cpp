#include "EnvRoot.h"

#include <cstdlib>

std::string EnvRoot()
{
    const char* value = std::getenv(kEnvRootVariable);
    std::string root = value ? value : "";
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    return root;
}

std::string EnvPath(const std::string& absolute)
{
    return EnvRoot() + absolute;
}
