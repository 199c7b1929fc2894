// System threads, and the identity each thread acts as: plug-in captures its
// caller's, the worker impersonates it, and the fake's file calls check it.
#include "FakeObjects.h"

#include <algorithm>
#include <thread>
#include <utility>

struct ZdPortThread {
    std::thread thread;
};
struct ZdPortSecurity {
    std::string identity;
};

namespace {

thread_local std::string t_identity = "SYSTEM";

struct DenialList {
    std::mutex lock;
    std::vector<std::pair<std::string, std::string>> entries;   // identity, host path
};

DenialList& Denials()
{
    static DenialList list;
    return list;
}

} // namespace

namespace wdk {

std::string ThreadIdentity() { return t_identity; }
void SetThreadIdentity(const std::string& identity) { t_identity = identity; }

void DenyIdentity(const std::string& identity, const std::string& hostPath)
{
    std::lock_guard<std::mutex> guard(Denials().lock);
    Denials().entries.emplace_back(identity, hostPath);
}

void ClearDenials()
{
    std::lock_guard<std::mutex> guard(Denials().lock);
    Denials().entries.clear();
}

bool IdentityDenied(const std::string& hostPath)
{
    std::lock_guard<std::mutex> guard(Denials().lock);
    for (const auto& entry : Denials().entries)
        if (entry.first == t_identity && hostPath.compare(0, entry.second.size(), entry.second) == 0)
            return true;
    return false;
}

std::string IdentityOf(ZdPortSecurity* security) { return security->identity; }

} // namespace wdk

extern "C" {

ZdStatus ZdPortThreadStart(void (*routine)(void* context), void* context, ZdPortThread** thread)
{
    ZdPortThread* made = new ZdPortThread;
    // A system thread starts as SYSTEM whoever created it.
    made->thread = std::thread([routine, context] {
        t_identity = "SYSTEM";
        routine(context);
    });
    *thread = made;
    return 0;
}

void ZdPortThreadJoin(ZdPortThread* thread)
{
    thread->thread.join();
    delete thread;
}

void ZdPortThreadSetPriority(int32_t) {}

uintptr_t ZdPortCurrentThreadId(void)
{
    static thread_local char marker;
    return reinterpret_cast<uintptr_t>(&marker);
}

ZdStatus ZdPortSecurityCapture(ZdPortSecurity** security)
{
    *security = new ZdPortSecurity{t_identity};
    return 0;
}

ZdStatus ZdPortSecurityImpersonate(ZdPortSecurity* security)
{
    t_identity = security->identity;
    return 0;
}

void ZdPortSecurityRevert(void) { t_identity = "SYSTEM"; }

void ZdPortSecurityRelease(ZdPortSecurity* security) { delete security; }

} // extern "C"
