// The machine's device nodes and interfaces, the lists over them, and the test
// controls that set them up.
#include "SetupMachine.h"

#include <cstdio>
#include <cstring>

namespace ks_platform {

SetupMachine& Setup()
{
    static auto* machine = new SetupMachine;
    return *machine;
}

bool SetupCallFails(SetupMachine& machine, const char* call)
{
    auto found = machine.failures.find(call);
    if (found == machine.failures.end())
        return false;
    if (--found->second.countdown > 0)
        return false;
    const DWORD error = found->second.error;
    machine.failures.erase(found);
    SetLastError(error);
    return true;
}

SetupList* FindSetupList(SetupMachine& machine, HDEVINFO handle)
{
    auto* list = static_cast<SetupList*>(handle);
    if (machine.lists.count(list) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return list;
}

SetupElement* FindSetupElement(SetupList& list, const SP_DEVINFO_DATA* device)
{
    if (!device || device->cbSize != sizeof(SP_DEVINFO_DATA) || device->Reserved >= list.elements.size() ||
        list.elements[device->Reserved].devInst != device->DevInst) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &list.elements[device->Reserved];
}

SetupNode* FindSetupNode(SetupMachine& machine, DWORD devInst)
{
    auto found = machine.nodes.find(devInst);
    if (found == machine.nodes.end()) {
        SetLastError(ERROR_NO_SUCH_DEVINST);
        return nullptr;
    }
    return &found->second;
}

void DescribeSetupElement(const SetupMachine& machine, const SetupList& list, size_t index, SP_DEVINFO_DATA& device)
{
    const DWORD devInst = list.elements[index].devInst;
    auto node = machine.nodes.find(devInst);
    device.ClassGuid = node != machine.nodes.end() ? node->second.device.classGuid : GUID{};
    device.DevInst = devInst;
    device.Reserved = index;
}

size_t AddSetupElement(SetupList& list, DWORD devInst, bool ownedByList)
{
    for (size_t i = 0; i < list.elements.size(); ++i)
        if (list.elements[i].devInst == devInst)
            return i;
    SetupElement element;
    element.devInst = devInst;
    element.ownedByList = ownedByList;
    list.elements.push_back(element);
    return list.elements.size() - 1;
}

namespace {

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = UpperAscii(c);
    return c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
}

bool ParseHex(const std::wstring& text, size_t at, size_t digits, uint64_t& value)
{
    value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = HexDigit(text[at + i]);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

// The instance id a device added by a test without one gets.
std::wstring MadeUpInstanceId(DWORD devInst)
{
    char text[32];
    std::snprintf(text, sizeof text, "ROOT\\DEVICE\\%04u", static_cast<unsigned>(devInst));
    return std::wstring(text, text + std::strlen(text));
}

} // namespace

bool SameDeviceId(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

bool MultiStringHolds(const std::wstring& multi, const std::wstring& id)
{
    size_t start = 0;
    while (start < multi.size() && multi[start] != L'\0') {
        size_t end = multi.find(L'\0', start);
        if (end == std::wstring::npos)
            end = multi.size();
        if (SameDeviceId(multi.substr(start, end - start), id))
            return true;
        start = end + 1;
    }
    return false;
}

bool ParseGuid(const std::wstring& text, GUID& guid)
{
    // {01234567-0123-0123-0123-0123456789AB}
    if (text.size() != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' || text[14] != L'-' ||
        text[19] != L'-' || text[24] != L'-')
        return false;
    uint64_t value = 0;
    if (!ParseHex(text, 1, 8, value))
        return false;
    guid.Data1 = static_cast<DWORD>(value);
    if (!ParseHex(text, 10, 4, value))
        return false;
    guid.Data2 = static_cast<WORD>(value);
    if (!ParseHex(text, 15, 4, value))
        return false;
    guid.Data3 = static_cast<WORD>(value);
    const size_t byteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!ParseHex(text, byteAt[i], 2, value))
            return false;
        guid.Data4[i] = static_cast<BYTE>(value);
    }
    return true;
}

std::function<void(const KSDriverInstall&)> RecordDriverInstall(SetupMachine& machine, const SetupNode& node,
                                                                const std::wstring& inf, const char* how,
                                                                KSDriverInstall& record)
{
    record.instanceId = node.device.instanceId;
    record.hardwareIds = node.device.hardwareIds;
    record.inf = inf;
    record.how = how;
    machine.installs.push_back(record);
    return machine.installHook;
}

} // namespace ks_platform

using ks_platform::Setup;
using ks_platform::SetupMachine;

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
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    const DWORD devInst = machine.nextDevInst++;
    ks_platform::SetupNode node;
    node.device = device;
    if (node.device.instanceId.empty())
        node.device.instanceId = ks_platform::MadeUpInstanceId(devInst);
    machine.nodes[devInst] = node;
}

void KSPlatformClearSetupDevices()
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    machine.nodes.clear();
    machine.interfaces.clear();
    machine.listError = ERROR_SUCCESS;
    machine.failures.clear();
    machine.pendingInstalls = 0;
    machine.pendingWaits = 0;
    machine.restartNeeded = false;
    machine.installs.clear();
    machine.installHook = nullptr;
    machine.wow64 = false;
    machine.hiddenProcedures.clear();
}

void KSPlatformSetSetupListError(DWORD error)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    Setup().listError = error;
}

unsigned KSPlatformOpenSetupLists()
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    return static_cast<unsigned>(Setup().lists.size());
}

std::vector<KSSetupDevice> KSPlatformSetupDevices()
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    std::vector<KSSetupDevice> devices;
    for (const auto& entry : machine.nodes)
        if (entry.second.registered)
            devices.push_back(entry.second.device);
    return devices;
}

void KSPlatformAddDeviceInterface(const GUID& interfaceClass, const std::string& path)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    for (const ks_platform::SetupInterface& known : machine.interfaces)
        if (IsEqualGUID(known.interfaceClass, interfaceClass) && known.path == path)
            return;
    machine.interfaces.push_back({interfaceClass, path});
}

void KSPlatformRemoveDeviceInterface(const GUID& interfaceClass, const std::string& path)
{
    SetupMachine& machine = Setup();
    std::lock_guard<std::mutex> guard(machine.lock);
    for (auto it = machine.interfaces.begin(); it != machine.interfaces.end(); ++it)
        if (IsEqualGUID(it->interfaceClass, interfaceClass) && it->path == path) {
            machine.interfaces.erase(it);
            return;
        }
}

void KSPlatformFailSetupCall(const std::string& call, DWORD error, unsigned nth)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    if (nth == 0)
        Setup().failures.erase(call);
    else
        Setup().failures[call] = {nth, error};
}

void KSPlatformSetPendingInstalls(unsigned count)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    Setup().pendingInstalls = count;
}

unsigned KSPlatformPendingInstallWaits()
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    return Setup().pendingWaits;
}

void KSPlatformSetSetupRestartNeeded(bool needed)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    Setup().restartNeeded = needed;
}

std::vector<KSDriverInstall> KSPlatformDriverInstalls()
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    return Setup().installs;
}

void KSPlatformSetDriverInstallHook(std::function<void(const KSDriverInstall&)> hook)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    Setup().installHook = std::move(hook);
}

void KSPlatformSetWow64(bool wow64)
{
    std::lock_guard<std::mutex> guard(Setup().lock);
    Setup().wow64 = wow64;
}
