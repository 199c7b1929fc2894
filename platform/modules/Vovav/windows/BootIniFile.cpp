// On Windows boot.ini is an ordinary file of the volume, hidden and read-only: the
// attributes are lifted for the write and put back afterwards.
#include "BootIniFile.h"

#include <windows.h>

#include <vector>

bool ReadBootIni(const std::string& root, std::string& text)
{
    const std::string path = root + "\\boot.ini";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    std::vector<char> buffer(4096);
    DWORD got = 0;
    bool read = true;
    while ((read = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0) && got > 0)
        text.append(buffer.data(), got);
    CloseHandle(file);
    return read;
}

bool WriteBootIni(const std::string& root, const std::string& text)
{
    const std::string path = root + "\\boot.ini";
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool written = false;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD put = 0;
        written = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size();
        CloseHandle(file);
    }
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(path.c_str(), attributes);
    return written;
}
