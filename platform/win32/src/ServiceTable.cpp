#include "ServiceTable.h"

#include "AsciiLower.h"

namespace ks_platform {

ServiceTable& ServiceTable::Instance()
{
    static ServiceTable* table = new ServiceTable;
    return *table;
}

void ServiceTable::Add(const KSServiceScript& service)
{
    std::lock_guard<std::mutex> guard(lock_);
    Service& entry = services_[AsciiLower(service.name)];
    entry.script = service;
    entry.record = KSServiceRecord{};
    entry.record.state = service.state;
}

void ServiceTable::Clear()
{
    std::lock_guard<std::mutex> guard(lock_);
    services_.clear();
    managerError_ = ERROR_SUCCESS;
}

bool ServiceTable::Find(const std::string& name, KSServiceRecord& record) const
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = services_.find(AsciiLower(name));
    if (found == services_.end())
        return false;
    record = found->second.record;
    return true;
}

void ServiceTable::SetManagerError(DWORD error)
{
    std::lock_guard<std::mutex> guard(lock_);
    managerError_ = error;
}

DWORD ServiceTable::ManagerError() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return managerError_;
}

bool ServiceTable::Exists(const std::string& name) const
{
    std::lock_guard<std::mutex> guard(lock_);
    return services_.count(AsciiLower(name)) != 0;
}

DWORD ServiceTable::Start(const std::string& name, DWORD& state)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = services_.find(AsciiLower(name));
    if (found == services_.end())
        return ERROR_SERVICE_DOES_NOT_EXIST;
    Service& service = found->second;
    ++service.record.starts;
    state = service.record.state;
    if (service.record.state == SERVICE_RUNNING)
        return ERROR_SERVICE_ALREADY_RUNNING;
    if (service.script.startError != ERROR_SUCCESS)
        return service.script.startError;
    service.record.state = state = SERVICE_RUNNING;
    return ERROR_SUCCESS;
}

DWORD ServiceTable::Control(const std::string& name, DWORD control, DWORD& state)
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = services_.find(AsciiLower(name));
    if (found == services_.end())
        return ERROR_SERVICE_DOES_NOT_EXIST;
    Service& service = found->second;
    state = service.record.state;
    if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_INTERROGATE)
        return ERROR_INVALID_SERVICE_CONTROL;
    if (control == SERVICE_CONTROL_STOP)
        ++service.record.stops;
    if (service.record.state != SERVICE_RUNNING)
        return ERROR_SERVICE_NOT_ACTIVE;
    if (control == SERVICE_CONTROL_INTERROGATE)
        return ERROR_SUCCESS;
    if (service.script.stopError != ERROR_SUCCESS)
        return service.script.stopError;
    service.record.state = state = SERVICE_STOPPED;
    return ERROR_SUCCESS;
}

DWORD ServiceTable::Query(const std::string& name, DWORD& state) const
{
    std::lock_guard<std::mutex> guard(lock_);
    auto found = services_.find(AsciiLower(name));
    if (found == services_.end())
        return ERROR_SERVICE_DOES_NOT_EXIST;
    state = found->second.record.state;
    return ERROR_SUCCESS;
}

} // namespace ks_platform

void KSPlatformAddService(const KSServiceScript& service) { ks_platform::ServiceTable::Instance().Add(service); }

void KSPlatformClearServices() { ks_platform::ServiceTable::Instance().Clear(); }

bool KSPlatformFindService(const std::string& name, KSServiceRecord& record)
{
    return ks_platform::ServiceTable::Instance().Find(name, record);
}

void KSPlatformSetServiceManagerError(DWORD error) { ks_platform::ServiceTable::Instance().SetManagerError(error); }
