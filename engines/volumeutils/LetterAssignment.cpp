#include "VolumeUtils.h"

#include "KSResult.h"

#include <cwchar>
#include <string>

namespace {

constexpr unsigned long kKindNoVolumeYet = 0x209;
constexpr unsigned long kKindMountPoint = 0x050;

std::wstring RootOf(char letter)
{
    return std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
}

// Sets "W:\" to the volume "\\?\Volume{...}\".
unsigned long SetLetterToVolume(char wanted, const wchar_t* braced)
{
    const std::wstring volume = std::wstring(L"\\\\?\\Volume") + braced + L"\\";
    if (SetVolumeMountPointW(RootOf(wanted).c_str(), volume.c_str()))
        return 0;
    return KS_RESULT(KS_MODULE_HELPERS, kKindMountPoint);
}

} // namespace

BOOL GetVolumeOfLetter(wchar_t* out, size_t size, char letter)
{
    wchar_t name[MAX_PATH] = {};
    if (!GetVolumeNameForVolumeMountPointW(RootOf(letter).c_str(), name, MAX_PATH))
        return FALSE;
    const wchar_t* brace = std::wcschr(name, L'{');
    if (brace == nullptr || out == nullptr || size < 39 || std::wcslen(brace) < 38)
        return FALSE;
    std::wmemcpy(out, brace, 38);
    out[38] = 0;
    return TRUE;
}

unsigned long AssignDriveLetter(char wanted, unsigned disk, uint64_t start)
{
    wchar_t braced[39] = {};
    bool found = false;
    for (int attempt = 0; attempt < 2 && !found; ++attempt) {
        found = GetVolumeOfPartition(braced, disk, start);
        if (!found)
            Sleep(100);
    }
    if (!found)
        return KS_RESULT(KS_MODULE_HELPERS, kKindNoVolumeYet);

    for (int attempt = 0; attempt < 12; ++attempt) {
        char present = 0;
        if (GetLetterOfPartition(present, disk, start)) {
            if (present == wanted)
                return 0;
            RemoveDriveLetter(present);
            return SetLetterToVolume(wanted, braced);
        }
        Sleep(50);
    }
    return SetLetterToVolume(wanted, braced);
}
