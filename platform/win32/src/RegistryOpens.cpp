#include "RegistryOpens.h"

#include "DesktopState.h"
#include "KSPlatformSetup.h"

#include <mutex>

namespace {

std::mutex opensLock;
std::vector<KSRegistryOpen>& Opens()
{
    static auto* opens = new std::vector<KSRegistryOpen>;
    return *opens;
}

} // namespace

std::vector<KSRegistryOpen> KSPlatformRegistryOpens()
{
    std::lock_guard<std::mutex> guard(opensLock);
    return Opens();
}

void KSPlatformClearRegistryOpens()
{
    std::lock_guard<std::mutex> guard(opensLock);
    Opens().clear();
}

namespace ks_platform {

void RecordRegistryOpen(const std::string& path, REGSAM access)
{
    std::lock_guard<std::mutex> guard(opensLock);
    // A long-running program opens keys without end; keep the latest ones.
    if (Opens().size() >= 4096)
        Opens().erase(Opens().begin());
    Opens().push_back(KSRegistryOpen{path, access});
}

} // namespace ks_platform
