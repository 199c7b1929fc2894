// The class an information file's [Version] section names.
#include "SetupInfFile.h"
#include "SetupMachine.h"

#include <cstring>

using namespace ks_platform;

namespace {

bool KnownSignature(const std::wstring& signature)
{
    for (const wchar_t* known : {L"$Windows NT$", L"$Chicago$", L"$Windows 95$"})
        if (SameDeviceId(signature, known))
            return true;
    return false;
}

} // namespace

extern "C" BOOL WINAPI SetupDiGetINFClassW(PCWSTR infName, LPGUID classGuid, PWSTR className, DWORD classNameSize,
                                           PDWORD requiredSize)
{
    {
        SetupMachine& machine = Setup();
        std::lock_guard<std::mutex> guard(machine.lock);
        if (SetupCallFails(machine, "SetupDiGetINFClassW"))
            return FALSE;
    }
    if (!infName || !classGuid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    InfFile inf;
    const DWORD error = inf.Load(infName);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    std::wstring signature;
    if (!inf.Value(L"Version", L"Signature", signature) || !KnownSignature(signature)) {
        SetLastError(ERROR_WRONG_INF_STYLE);
        return FALSE;
    }
    std::wstring name, guidText;
    const bool hasName = inf.Value(L"Version", L"Class", name);
    const bool hasGuid = inf.Value(L"Version", L"ClassGuid", guidText);
    if (!hasName && !hasGuid) {
        SetLastError(ERROR_NO_ASSOCIATED_CLASS);
        return FALSE;
    }
    GUID guid{};
    if ((hasGuid && !ParseGuid(guidText, guid)) || name.size() >= MAX_CLASS_NAME_LEN) {
        SetLastError(ERROR_INVALID_CLASS);
        return FALSE;
    }
    *classGuid = guid;
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (requiredSize)
        *requiredSize = needed;
    if (!className || classNameSize < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(className, name.c_str(), needed * sizeof(wchar_t));
    return TRUE;
}
