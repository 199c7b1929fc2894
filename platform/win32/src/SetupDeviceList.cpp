// The device installer's device lists over a table of devices that tests fill. A
// list is a copy of the table taken when it is made, as Windows takes a snapshot.
#include "KSPlatformSetup.h"

#include <setupapi.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace {

struct SetupList {
    std::vector<KSSetupDevice> devices;
};

struct SetupState {
    std::mutex lock;
    std::vector<KSSetupDevice> devices;
    std::set<SetupList*> lists;
    DWORD listError = ERROR_SUCCESS;
};

SetupState& State()
{
    static auto* state = new SetupState;
    return *state;
}

// The list behind a handle, or null (last error set) when it is not a live list.
SetupList* FindList(HDEVINFO handle)
{
    SetupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto* list = static_cast<SetupList*>(handle);
    if (state.lists.count(list) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return list;
}

} // namespace

std::wstring KSSetupMultiString(const std::vector<std::wstring>& strings)
{
    std::wstring data;
    for (const std::wstring& text : strings) {
        data += text;
        data.push_back(L'\0');
    }
    data.push_back(L'\0');
    return data;
}

void KSPlatformAddSetupDevice(const KSSetupDevice& device)
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().devices.push_back(device);
}

void KSPlatformClearSetupDevices()
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().devices.clear();
    State().listError = ERROR_SUCCESS;
}

void KSPlatformSetSetupListError(DWORD error)
{
    std::lock_guard<std::mutex> guard(State().lock);
    State().listError = error;
}

unsigned KSPlatformOpenSetupLists()
{
    std::lock_guard<std::mutex> guard(State().lock);
    return static_cast<unsigned>(State().lists.size());
}

extern "C" HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags)
{
    SetupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.listError != ERROR_SUCCESS) {
        SetLastError(state.listError);
        return INVALID_HANDLE_VALUE;
    }
    const bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
    if (!allClasses && !classGuid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto list = std::make_unique<SetupList>();
    for (const KSSetupDevice& device : state.devices)
        if (allClasses || std::memcmp(&device.classGuid, classGuid, sizeof(GUID)) == 0)
            list->devices.push_back(device);
    SetupList* raw = list.release();
    state.lists.insert(raw);
    return raw;
}

extern "C" BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA device)
{
    SetupList* list = FindList(handle);
    if (!list)
        return FALSE;
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (index >= list->devices.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    device->ClassGuid = list->devices[index].classGuid;
    device->DevInst = index + 1;
    device->Reserved = index;
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD property,
                                                         PDWORD propertyType, PBYTE buffer, DWORD bufferSize,
                                                         PDWORD requiredSize)
{
    SetupList* list = FindList(handle);
    if (!list)
        return FALSE;
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA) || device->Reserved >= list->devices.size() ||
        (!buffer && bufferSize != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const KSSetupDevice& entry = list->devices[device->Reserved];
    if (property != SPDRP_HARDWAREID || entry.hardwareIds.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const DWORD size = static_cast<DWORD>(entry.hardwareIds.size() * sizeof(wchar_t));
    if (requiredSize)
        *requiredSize = size;
    if (propertyType)
        *propertyType = entry.hardwareIdType;
    if (bufferSize < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, entry.hardwareIds.data(), size);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle)
{
    SetupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto* list = static_cast<SetupList*>(handle);
    if (state.lists.erase(list) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete list;
    return TRUE;
}
