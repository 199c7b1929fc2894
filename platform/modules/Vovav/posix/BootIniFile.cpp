// On Linux the volume's files are reached through the platform layer's volume files.
#include "BootIniFile.h"

#include "KSPlatformVolumes.h"

bool ReadBootIni(const std::string& root, std::string& text)
{
    return KSVolumeFileRead((root + "\\boot.ini").c_str(), text) == ERROR_SUCCESS;
}

bool WriteBootIni(const std::string& root, const std::string& text)
{
    return KSVolumeFileWrite((root + "\\boot.ini").c_str(), text) == ERROR_SUCCESS;
}
