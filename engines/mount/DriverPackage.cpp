#include "DriverPackage.h"

#include "ZeDiskControl.h"

namespace {

constexpr bool SameIdText(const wchar_t* wide, const char16_t* utf16)
{
    return *wide == static_cast<wchar_t>(*utf16) && (*wide == 0 || SameIdText(wide + 1, utf16 + 1));
}

} // namespace

const wchar_t kBusHardwareId[] = L"root\\ZeDisk";
static_assert(SameIdText(L"root\\ZeDisk", ZEDISK_BUS_HARDWARE_ID), "the id the driver's package names");

std::wstring DriverInfPath(const wchar_t* folder)
{
    std::wstring path = folder;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/'))
        path += L'\\';
    return path + L"zedisk.inf";
}
