#include "RestoreDisplayTexts.h"

#include <clocale>
#include <cstdlib>

#include "PartitionRules.h"
#include "RecoveryEnv.h"
#include "WizardText.h"

namespace RestoreDisplayTexts {

std::string VolumeLabel(const _KS_VOLUME& v)
{
    wchar_t wide[65] = {};
    for (size_t i = 0; i < 64 && v.Label[i] != 0; ++i)
        wide[i] = static_cast<wchar_t>(v.Label[i]);
    std::setlocale(LC_ALL, "");
    char text[261] = {};
    if (std::wcstombs(text, wide, 260) == static_cast<size_t>(-1))
        return std::string();
    return ToDisplayText(text);
}

std::string ImagePath(const char* path)
{
    return path != nullptr ? ToDisplayText(path) : std::string();
}

std::string FileSystemName(uint32_t kind, int partitionType)
{
    return GetFileSystem(static_cast<enumFILE_SYSTEM_TYPE>(kind), partitionType);
}

std::string SizeOfSectors(uint64_t sectors)
{
    return GetFileSizeString(static_cast<long long>(sectors * 512));
}

} // namespace RestoreDisplayTexts
