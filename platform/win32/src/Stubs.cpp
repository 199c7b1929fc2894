// Placeholders until each call group has its own source file: every call fails.
#include "KSPlatformControl.h"

#include <direct.h>
#include <io.h>
#include <process.h>
#include <winioctl.h>

#include <cerrno>

extern "C" {
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCWSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
BOOL WINAPI SetEvent(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI ResetEvent(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
BOOL WINAPI ReleaseMutex(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
HANDLE WINAPI CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
BOOL WINAPI ReleaseSemaphore(HANDLE, LONG, LPLONG) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION) {}
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION) {}
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION) { return FALSE; }
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION) {}
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION) {}
DWORD WINAPI WaitForSingleObject(HANDLE, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return WAIT_FAILED; }
DWORD WINAPI WaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return WAIT_FAILED; }
void WINAPI Sleep(DWORD) {}
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
DWORD WINAPI ResumeThread(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return static_cast<DWORD>(-1); }
BOOL WINAPI GetExitCodeThread(HANDLE, LPDWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI SetThreadPriority(HANDLE, int) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
int WINAPI GetThreadPriority(HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return THREAD_PRIORITY_ERROR_RETURN; }
HANDLE WINAPI GetCurrentThread(void) { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }
DWORD WINAPI GetCurrentThreadId(void) { return 0; }
DWORD WINAPI GetCurrentProcessId(void) { return 0; }
uintptr_t _beginthreadex(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*) { errno = ENOSYS; return 0; }
HANDLE WINAPI CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return INVALID_HANDLE_VALUE; }
BOOL WINAPI CreateDirectoryW(LPCWSTR, LPSECURITY_ATTRIBUTES) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI RemoveDirectoryW(LPCWSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
DWORD WINAPI GetTempPathW(DWORD, LPWSTR) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return 0; }
UINT WINAPI GetDriveTypeA(LPCSTR) { return DRIVE_NO_ROOT_DIR; }
UINT WINAPI GetDriveTypeW(LPCWSTR) { return DRIVE_NO_ROOT_DIR; }
DWORD WINAPI GetLogicalDrives(void) { return 0; }
DWORD WINAPI GetLogicalDriveStringsW(DWORD, LPWSTR) { return 0; }
BOOL WINAPI GetDiskFreeSpaceW(LPCWSTR, LPDWORD, LPDWORD, LPDWORD, LPDWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI GetDiskFreeSpaceExW(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI DeviceIoControl(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
SC_HANDLE WINAPI OpenSCManagerA(LPCSTR, LPCSTR, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
SC_HANDLE WINAPI OpenServiceA(SC_HANDLE, LPCSTR, DWORD) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return nullptr; }
BOOL WINAPI StartServiceA(SC_HANDLE, DWORD, LPCSTR*) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI ControlService(SC_HANDLE, DWORD, LPSERVICE_STATUS) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI QueryServiceStatus(SC_HANDLE, LPSERVICE_STATUS) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
BOOL WINAPI CloseServiceHandle(SC_HANDLE) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
void WINAPI OutputDebugStringA(LPCSTR) {}
void WINAPI OutputDebugStringW(LPCWSTR) {}
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA) { SetLastError(ERROR_CALL_NOT_IMPLEMENTED); return FALSE; }
__time64_t _time64(__time64_t*) { return -1; }
intptr_t _wfindfirst64(const wchar_t*, struct _wfinddata64_t*) { errno = ENOSYS; return -1; }
int _wfindnext64(intptr_t, struct _wfinddata64_t*) { errno = ENOSYS; return -1; }
int _findclose(intptr_t) { errno = ENOSYS; return -1; }
int _wmkdir(const wchar_t*) { errno = ENOSYS; return -1; }
int _wrmdir(const wchar_t*) { errno = ENOSYS; return -1; }
unsigned _getdiskfree(unsigned, struct _diskfree_t*) { return ERROR_CALL_NOT_IMPLEMENTED; }
}

bool KSPlatformAddDrive(const KSDriveEntry&) { return false; }
bool KSPlatformRemoveDrive(char) { return false; }
void KSPlatformClearDrives() {}
bool KSPlatformFindDrive(char, KSDriveEntry&) { return false; }
char KSPlatformDriveLetterOf(unsigned, uint64_t) { return 0; }
char KSPlatformDriveLetterOfPath(const std::string&, uint64_t) { return 0; }
std::string KSPlatformHostPath(const wchar_t*) { return {}; }
void KSPlatformRegisterDevice(const std::string&, KSDeviceOpener) {}
void KSPlatformUnregisterDevice(const std::string&) {}
void KSPlatformClearDevices() {}
void KSPlatformAddService(const KSServiceScript&) {}
void KSPlatformClearServices() {}
bool KSPlatformFindService(const std::string&, KSServiceRecord&) { return false; }
void KSPlatformSetServiceManagerError(DWORD) {}
unsigned KSPlatformOpenServiceHandles() { return 0; }
struct KSFakeClock::State {};
KSFakeClock::KSFakeClock(uint64_t, int64_t) {}
uint64_t KSFakeClock::Milliseconds() { return 0; }
int64_t KSFakeClock::UnixSeconds() { return 0; }
void KSFakeClock::Sleep(DWORD) {}
void KSFakeClock::Advance(uint64_t) {}
uint64_t KSFakeClock::Slept() const { return 0; }
KSClock* KSPlatformSetClock(KSClock*) { return nullptr; }
std::vector<std::string> KSPlatformDebugLines() { return {}; }
void KSPlatformClearDebugLines() {}
void KSPlatformSetVersion(const OSVERSIONINFOA&) {}
OSVERSIONINFOA KSPlatformDefaultVersion() { return {}; }
unsigned KSPlatformOpenHandles() { return 0; }
void KSPlatformReset() {}
