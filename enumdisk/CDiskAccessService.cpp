#include "CDiskAccessService.h"

#include <windows.h>
#include <winsvc.h>

namespace {

const char kServiceName[] = "zedskacs";

// The service opened with all access, with the manager that opened it; both handles
// are closed when this object dies, whatever happened in between.
class CServiceHandles {
public:
    CServiceHandles()
    {
        manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (manager_ != nullptr)
            service_ = OpenServiceA(manager_, kServiceName, SERVICE_ALL_ACCESS);
    }
    ~CServiceHandles()
    {
        if (service_ != nullptr)
            CloseServiceHandle(service_);
        if (manager_ != nullptr)
            CloseServiceHandle(manager_);
    }
    CServiceHandles(const CServiceHandles&) = delete;
    CServiceHandles& operator=(const CServiceHandles&) = delete;

    SC_HANDLE Service() const { return service_; }

private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

} // namespace

bool CDiskAccessService::Start()
{
    CServiceHandles handles;
    if (handles.Service() == nullptr)
        return false;
    if (StartServiceA(handles.Service(), 0, nullptr))
        return true;
    return GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
}

bool CDiskAccessService::Stop()
{
    CServiceHandles handles;
    if (handles.Service() == nullptr)
        return false;
    SERVICE_STATUS status = {};
    return ControlService(handles.Service(), SERVICE_CONTROL_STOP, &status) != 0;
}
