// What a driver install asks before it starts: whether the device installer is still
// busy, whether this is a 32-bit program on 64-bit Windows, and which device node
// carries a hardware id. The first two calls are taken by name, so that a system
// without them is simply "no".
#include "VolumeUtils.h"

#include <setupapi.h>

#include <cstring>
#include <vector>

namespace {

using WaitNoPendingInstalls = DWORD(WINAPI*)(DWORD timeout);
using Wow64Question = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);

// The named call of a module the process has loaded, or null.
template <typename Call>
Call LoadedCall(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    if (handle == nullptr)
        return nullptr;
    // Through void (*)(), which any function pointer converts to and from.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}

wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// True when one string of the multi-string (chars units, not trusted to end in NULs)
// is id, compared without regard to case.
bool MultiStringNames(const wchar_t* chars, size_t count, const wchar_t* id)
{
    size_t start = 0;
    while (start < count && chars[start] != L'\0') {
        size_t end = start;
        while (end < count && chars[end] != L'\0')
            ++end;
        size_t i = 0;
        while (start + i < end && id[i] != L'\0' && FoldAscii(chars[start + i]) == FoldAscii(id[i]))
            ++i;
        if (start + i == end && id[i] == L'\0')
            return true;
        start = end + 1;
    }
    return false;
}

bool DeviceHasHardwareId(HDEVINFO list, SP_DEVINFO_DATA& device, const wchar_t* id, std::vector<BYTE>& buffer)
{
    DWORD type = 0;
    DWORD size = 0;
    BOOL read = SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), &size);
    if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > buffer.size()) {
        buffer.resize(size);
        read = SetupDiGetDeviceRegistryPropertyW(list, &device, SPDRP_HARDWAREID, &type, buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), &size);
    }
    if (!read || type != REG_MULTI_SZ)
        return false;
    const size_t bytes = size < buffer.size() ? size : buffer.size();
    std::vector<wchar_t> chars(bytes / sizeof(wchar_t));
    if (!chars.empty())
        std::memcpy(chars.data(), buffer.data(), chars.size() * sizeof(wchar_t));
    return MultiStringNames(chars.data(), chars.size(), id);
}

} // namespace

bool InstallsPending()
{
    const auto wait = LoadedCall<WaitNoPendingInstalls>(L"setupapi.dll", "CMP_WaitNoPendingInstallEvents");
    return wait != nullptr && wait(0) == WAIT_TIMEOUT;
}

bool IsWow64Windows()
{
    const auto question = LoadedCall<Wow64Question>(L"kernel32", "IsWow64Process");
    BOOL wow64 = FALSE;
    return question != nullptr && question(GetCurrentProcess(), &wow64) && wow64;
}

HDEVINFO FindDeviceNode(const wchar_t* hardwareId, SP_DEVINFO_DATA& device)
{
    HDEVINFO list = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE || hardwareId == nullptr) {
        if (list != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(list);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<BYTE> buffer(512);
    device = SP_DEVINFO_DATA{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &device); ++index)
        if (DeviceHasHardwareId(list, device, hardwareId, buffer))
            return list;
    SetupDiDestroyDeviceInfoList(list);
    return INVALID_HANDLE_VALUE;
}
