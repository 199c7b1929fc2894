// The service control manager's calls over the service table. Manager and service
// handles live in the handle table but are closed only by CloseServiceHandle.
#include "HandleTable.h"
#include "ServiceTable.h"

#include <cstring>

using namespace ks_platform;

namespace {

class ServiceManagerObject : public KernelObject {
public:
    ObjectKind Kind() const override { return ObjectKind::ServiceManager; }
};

class ServiceObject : public KernelObject {
public:
    ServiceObject(std::string name, DWORD access) : name(std::move(name)), access(access) {}
    ObjectKind Kind() const override { return ObjectKind::Service; }
    const std::string name;
    const DWORD access;
};

HANDLE AsHandle(SC_HANDLE handle) { return reinterpret_cast<HANDLE>(handle); }

SC_HANDLE AddHandle(std::shared_ptr<KernelObject> object)
{
    return reinterpret_cast<SC_HANDLE>(HandleTable::Instance().Add(std::move(object)));
}

// The service behind a handle opened with the right access; null with the last error
// set otherwise.
std::shared_ptr<ServiceObject> ServiceWith(SC_HANDLE handle, DWORD right)
{
    std::shared_ptr<ServiceObject> service =
        HandleTable::Instance().FindAs<ServiceObject>(AsHandle(handle), ObjectKind::Service);
    if (service && (service->access & right) != right) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return service;
}

void Fill(LPSERVICE_STATUS status, DWORD state)
{
    *status = SERVICE_STATUS{};
    status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status->dwCurrentState = state;
    status->dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
}

bool IsServiceKind(ObjectKind kind) { return kind == ObjectKind::ServiceManager || kind == ObjectKind::Service; }

} // namespace

extern "C" SC_HANDLE WINAPI OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD /*access*/)
{
    if (machineName && *machineName) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    if (databaseName && std::strcmp(databaseName, "ServicesActive") != 0) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    if (const DWORD error = ServiceTable::Instance().ManagerError()) {
        SetLastError(error);
        return nullptr;
    }
    return AddHandle(std::make_shared<ServiceManagerObject>());
}

extern "C" SC_HANDLE WINAPI OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD access)
{
    if (!HandleTable::Instance().FindKind(AsHandle(manager), ObjectKind::ServiceManager))
        return nullptr;
    if (!serviceName || !*serviceName) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    if (!ServiceTable::Instance().Exists(serviceName)) {
        SetLastError(ERROR_SERVICE_DOES_NOT_EXIST);
        return nullptr;
    }
    return AddHandle(std::make_shared<ServiceObject>(serviceName, access));
}

extern "C" BOOL WINAPI StartServiceA(SC_HANDLE handle, DWORD /*argumentCount*/, LPCSTR* /*arguments*/)
{
    std::shared_ptr<ServiceObject> service = ServiceWith(handle, SERVICE_START);
    if (!service)
        return FALSE;
    DWORD state;
    if (const DWORD error = ServiceTable::Instance().Start(service->name, state)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI ControlService(SC_HANDLE handle, DWORD control, LPSERVICE_STATUS status)
{
    const DWORD right = control == SERVICE_CONTROL_STOP          ? SERVICE_STOP
                        : control == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                                 : 0;
    std::shared_ptr<ServiceObject> service = ServiceWith(handle, right);
    if (!service)
        return FALSE;
    if (!status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD state = SERVICE_STOPPED;
    const DWORD error = ServiceTable::Instance().Control(service->name, control, state);
    Fill(status, state);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

extern "C" BOOL WINAPI QueryServiceStatus(SC_HANDLE handle, LPSERVICE_STATUS status)
{
    std::shared_ptr<ServiceObject> service = ServiceWith(handle, SERVICE_QUERY_STATUS);
    if (!service)
        return FALSE;
    if (!status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD state = SERVICE_STOPPED;
    if (const DWORD error = ServiceTable::Instance().Query(service->name, state)) {
        SetLastError(error);
        return FALSE;
    }
    Fill(status, state);
    return TRUE;
}

extern "C" BOOL WINAPI CloseServiceHandle(SC_HANDLE handle)
{
    return HandleTable::Instance().Remove(AsHandle(handle), IsServiceKind) ? TRUE : FALSE;
}

unsigned KSPlatformOpenServiceHandles() { return HandleTable::Instance().Count(IsServiceKind); }
