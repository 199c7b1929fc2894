// The device installer's lists over the machine's device nodes: made from the
// machine (a snapshot of which nodes belong, as Windows takes one) or empty, new
// elements created in them, nodes opened into them by instance id, and the nodes'
// registry properties.
#include "SetupMachine.h"

#include <cstring>
#include <cwchar>
#include <memory>

using namespace ks_platform;

namespace {

bool ClassMatches(const SetupList& list, const GUID& classGuid)
{
    return !list.hasClass || IsEqualGUID(list.classGuid, classGuid);
}

HDEVINFO MakeList(const GUID* classGuid, DWORD flags, const char* call)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    if (machine.listError != ERROR_SUCCESS) {
        SetLastError(machine.listError);
        return INVALID_HANDLE_VALUE;
    }
    if (SetupCallFails(machine, call))
        return INVALID_HANDLE_VALUE;
    const bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
    if (!allClasses && !classGuid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    auto list = std::make_unique<SetupList>();
    if ((flags & DIGCF_DEVICEINTERFACE) != 0) {
        for (const SetupInterface& entry : machine.interfaces)
            if (allClasses || IsEqualGUID(entry.interfaceClass, *classGuid))
                list->interfaces.push_back(entry);
    } else {
        for (const auto& entry : machine.nodes) {
            const SetupNode& node = entry.second;
            if (!node.registered || ((flags & DIGCF_PRESENT) != 0 && !node.device.present))
                continue;
            if (allClasses || IsEqualGUID(node.device.classGuid, *classGuid))
                AddSetupElement(*list, entry.first, false);
        }
    }
    SetupList* raw = list.release();
    machine.lists.insert(raw);
    return raw;
}

} // namespace

extern "C" HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR, HWND, DWORD flags)
{
    return MakeList(classGuid, flags, "SetupDiGetClassDevsW");
}

extern "C" HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR, HWND, DWORD flags)
{
    return MakeList(classGuid, flags, "SetupDiGetClassDevsA");
}

extern "C" HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    if (SetupCallFails(machine, "SetupDiCreateDeviceInfoList"))
        return INVALID_HANDLE_VALUE;
    auto* list = new SetupList;
    if (classGuid) {
        list->hasClass = true;
        list->classGuid = *classGuid;
    }
    machine.lists.insert(list);
    return list;
}

extern "C" BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA device)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list)
        return FALSE;
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (index >= list->elements.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    DescribeSetupElement(machine, *list, index, *device);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiCreateDeviceInfoW(HDEVINFO handle, PCWSTR deviceName, const GUID* classGuid, PCWSTR,
                                                HWND, DWORD flags, PSP_DEVINFO_DATA device)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list || SetupCallFails(machine, "SetupDiCreateDeviceInfoW"))
        return FALSE;
    if (!deviceName || !*deviceName || !classGuid || (device && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ClassMatches(*list, *classGuid)) {
        SetLastError(ERROR_CLASS_MISMATCH);
        return FALSE;
    }
    std::wstring instanceId;
    if ((flags & DICD_GENERATE_ID) != 0) {
        // ROOT\NAME\nnnn with the first number no node of that name has.
        if (std::wstring(deviceName).find(L'\\') != std::wstring::npos) {
            SetLastError(ERROR_INVALID_DEVINST_NAME);
            return FALSE;
        }
        std::wstring base = L"ROOT\\";
        for (const wchar_t* c = deviceName; *c; ++c)
            base += *c >= L'a' && *c <= L'z' ? static_cast<wchar_t>(*c - L'a' + L'A') : *c;
        base += L'\\';
        for (unsigned number = 0; instanceId.empty() && number < 10000; ++number) {
            wchar_t digits[8];
            swprintf(digits, 8, L"%04u", number);
            bool taken = false;
            for (const auto& entry : machine.nodes)
                taken = taken || SameDeviceId(entry.second.device.instanceId, base + digits);
            if (!taken)
                instanceId = base + digits;
        }
    } else {
        instanceId = deviceName;
        for (const auto& entry : machine.nodes)
            if (SameDeviceId(entry.second.device.instanceId, instanceId)) {
                SetLastError(ERROR_DEVINST_ALREADY_EXISTS);
                return FALSE;
            }
    }
    if (instanceId.empty() || instanceId.size() >= MAX_DEVICE_ID_LEN) {
        SetLastError(ERROR_INVALID_DEVINST_NAME);
        return FALSE;
    }
    const DWORD devInst = machine.nextDevInst++;
    SetupNode node;
    node.registered = false;
    node.device.classGuid = *classGuid;
    node.device.instanceId = instanceId;
    machine.nodes[devInst] = node;
    const size_t index = AddSetupElement(*list, devInst, true);
    if (device)
        DescribeSetupElement(machine, *list, index, *device);
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiOpenDeviceInfoW(HDEVINFO handle, PCWSTR instanceId, HWND, DWORD,
                                              PSP_DEVINFO_DATA device)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list || SetupCallFails(machine, "SetupDiOpenDeviceInfoW"))
        return FALSE;
    if (!instanceId || (device && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (const auto& entry : machine.nodes) {
        if (!entry.second.registered || !SameDeviceId(entry.second.device.instanceId, instanceId))
            continue;
        if (!ClassMatches(*list, entry.second.device.classGuid)) {
            SetLastError(ERROR_CLASS_MISMATCH);
            return FALSE;
        }
        const size_t index = AddSetupElement(*list, entry.first, false);
        if (device)
            DescribeSetupElement(machine, *list, index, *device);
        return TRUE;
    }
    SetLastError(ERROR_NO_SUCH_DEVINST);
    return FALSE;
}

extern "C" BOOL WINAPI SetupDiGetDeviceInstanceIdW(HDEVINFO handle, PSP_DEVINFO_DATA device, PWSTR instanceId,
                                                   DWORD size, PDWORD requiredSize)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    SetupElement* element = list ? FindSetupElement(*list, device) : nullptr;
    SetupNode* node = element ? FindSetupNode(machine, element->devInst) : nullptr;
    if (!node)
        return FALSE;
    const std::wstring& id = node->device.instanceId;
    const DWORD needed = static_cast<DWORD>(id.size() + 1);
    if (requiredSize)
        *requiredSize = needed;
    if (!instanceId || size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(instanceId, id.c_str(), needed * sizeof(wchar_t));
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiGetDeviceRegistryPropertyW(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD property,
                                                         PDWORD propertyType, PBYTE buffer, DWORD bufferSize,
                                                         PDWORD requiredSize)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list)
        return FALSE;
    SetupElement* element = FindSetupElement(*list, device);
    if (!element)
        return FALSE;
    if (!buffer && bufferSize != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SetupNode* node = FindSetupNode(machine, element->devInst);
    if (!node)
        return FALSE;
    const KSSetupDevice& entry = node->device;
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

extern "C" BOOL WINAPI SetupDiSetDeviceRegistryPropertyW(HDEVINFO handle, PSP_DEVINFO_DATA device, DWORD property,
                                                         const BYTE* buffer, DWORD size)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    SetupList* list = FindSetupList(machine, handle);
    if (!list || SetupCallFails(machine, "SetupDiSetDeviceRegistryPropertyW"))
        return FALSE;
    SetupElement* element = FindSetupElement(*list, device);
    SetupNode* node = element ? FindSetupNode(machine, element->devInst) : nullptr;
    if (!node)
        return FALSE;
    if (property != SPDRP_HARDWAREID) {
        SetLastError(ERROR_INVALID_REG_PROPERTY);
        return FALSE;
    }
    if ((!buffer && size != 0) || size % sizeof(wchar_t) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Copied byte by byte: the caller's buffer need not be aligned for wchar_t.
    std::wstring ids(size / sizeof(wchar_t), L'\0');
    if (size != 0)
        std::memcpy(&ids[0], buffer, size);
    node->device.hardwareIds = ids;
    node->device.hardwareIdType = REG_MULTI_SZ;
    return TRUE;
}

extern "C" BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    auto* list = static_cast<SetupList*>(handle);
    if (machine.lists.erase(list) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Elements made in the list and never registered go with it.
    for (const SetupElement& element : list->elements) {
        auto node = machine.nodes.find(element.devInst);
        if (element.ownedByList && node != machine.nodes.end() && !node->second.registered)
            machine.nodes.erase(node);
    }
    delete list;
    return TRUE;
}
