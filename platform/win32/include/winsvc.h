// The service control manager. On Linux the services are an in-memory table that
// is empty on a real machine (every OpenServiceA fails with
// ERROR_SERVICE_DOES_NOT_EXIST); tests fill it through KSPlatformControl.h.
#pragma once

#include "windef.h"

typedef struct SC_HANDLE__* SC_HANDLE;
typedef SC_HANDLE* LPSC_HANDLE;

#define SC_MANAGER_CONNECT 0x0001u
#define SC_MANAGER_ALL_ACCESS 0x000F003Fu
#define SERVICE_QUERY_STATUS 0x0004u
#define SERVICE_START 0x0010u
#define SERVICE_STOP 0x0020u
#define SERVICE_INTERROGATE 0x0080u
#define SERVICE_ALL_ACCESS 0x000F01FFu

#define SERVICE_CONTROL_STOP 0x00000001u
#define SERVICE_CONTROL_INTERROGATE 0x00000004u

#define SERVICE_KERNEL_DRIVER 0x00000001u
#define SERVICE_WIN32_OWN_PROCESS 0x00000010u

#define SERVICE_STOPPED 0x00000001u
#define SERVICE_START_PENDING 0x00000002u
#define SERVICE_STOP_PENDING 0x00000003u
#define SERVICE_RUNNING 0x00000004u

#define SERVICE_ACCEPT_STOP 0x00000001u

typedef struct _SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
} SERVICE_STATUS, *LPSERVICE_STATUS;

static_assert(sizeof(SERVICE_STATUS) == 28, "SERVICE_STATUS is 28 bytes");

extern "C" {
// Only the local machine (null or empty name) and the active database (null) exist.
SC_HANDLE WINAPI OpenSCManagerA(LPCSTR machineName, LPCSTR databaseName, DWORD access);
// Names compare without regard to case, as on Windows.
SC_HANDLE WINAPI OpenServiceA(SC_HANDLE manager, LPCSTR serviceName, DWORD access);
// ERROR_SERVICE_ALREADY_RUNNING when it runs already.
BOOL WINAPI StartServiceA(SC_HANDLE service, DWORD argumentCount, LPCSTR* arguments);
// SERVICE_CONTROL_STOP and SERVICE_CONTROL_INTERROGATE; status receives the state.
BOOL WINAPI ControlService(SC_HANDLE service, DWORD control, LPSERVICE_STATUS status);
BOOL WINAPI QueryServiceStatus(SC_HANDLE service, LPSERVICE_STATUS status);
BOOL WINAPI CloseServiceHandle(SC_HANDLE handle);
}
