#include "RegistryValue.h"

namespace loader {

bool ReadRegistryValue(HKEY key, const char* name, DWORD maxBytes, std::vector<char>& data, DWORD& size)
{
    // The value may grow between asking its size and reading it: ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        size = 0;
        LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
            return false;
        if (maxBytes && size > maxBytes)
            return false;
        data.assign(size + 2, '\0');
        DWORD read = size;
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &read);
        if (status == ERROR_SUCCESS) {
            size = read;
            data.resize(size);
            data.push_back('\0');
            data.push_back('\0');
            return true;
        }
        if (status != ERROR_MORE_DATA)
            return false;
    }
    return false;
}

} // namespace loader
