#include "NamedObjectFailures.h"

#include "DesktopState.h"
#include "KSPlatformSetup.h"

#include <map>
#include <mutex>

namespace {

std::mutex failureLock;
std::map<std::wstring, DWORD>& FailingNames()
{
    static auto* names = new std::map<std::wstring, DWORD>;
    return *names;
}

} // namespace

void KSPlatformFailNamedObject(const std::string& name, DWORD error)
{
    const std::wstring wide(name.begin(), name.end());
    std::lock_guard<std::mutex> guard(failureLock);
    if (error == ERROR_SUCCESS)
        FailingNames().erase(wide);
    else
        FailingNames()[wide] = error;
}

void KSPlatformClearNamedObjectFailures()
{
    std::lock_guard<std::mutex> guard(failureLock);
    FailingNames().clear();
}

namespace ks_platform {

DWORD NamedObjectFailure(const wchar_t* name)
{
    if (!name || !*name)
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> guard(failureLock);
    const auto found = FailingNames().find(name);
    return found == FailingNames().end() ? ERROR_SUCCESS : found->second;
}

} // namespace ks_platform
