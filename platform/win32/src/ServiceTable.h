// The services the service control manager knows, in memory. Empty on a real
// machine; tests and stand-in modules add scripted ones.
#pragma once

#include "KSPlatformControl.h"

#include <map>
#include <mutex>

namespace ks_platform {

class ServiceTable {
public:
    static ServiceTable& Instance();

    void Add(const KSServiceScript& service);
    void Clear();
    bool Find(const std::string& name, KSServiceRecord& record) const;
    void SetManagerError(DWORD error);
    DWORD ManagerError() const;

    // Each returns ERROR_SUCCESS or the error the call fails with; state receives the
    // service's state afterwards.
    DWORD Start(const std::string& name, DWORD& state);
    DWORD Control(const std::string& name, DWORD control, DWORD& state);
    DWORD Query(const std::string& name, DWORD& state) const;
    bool Exists(const std::string& name) const;

private:
    struct Service {
        KSServiceScript script;
        KSServiceRecord record;
    };
    mutable std::mutex lock_;
    std::map<std::string, Service> services_; // by lower-case name
    DWORD managerError_ = ERROR_SUCCESS;
};

} // namespace ks_platform
