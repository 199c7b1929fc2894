#include <cstdio>
#include <cstring>
#include <string>

#include "MessageKeys.h"
#include "MsgLib.h"

namespace {

// Size of the working buffers; longer texts are cut to this less one.
constexpr unsigned int kLineBytes = 260;

} // namespace

int ZeFormatFullMessage(unsigned int code, unsigned int n, void* out)
{
    if (out == nullptr || n == 0)
        return 0;
    char text[kLineBytes];
    if (ZeFormatMessage(code, kLineBytes, text) != 1)
        return 0;

    // Internal errors show their code so that a user can report it; the internal
    // families show as the matching whole-code family (0xFF00 as 0xF000).
    std::string line = text;
    if (code == 0) {
        line += '\n';
    } else {
        char shown[32];
        std::snprintf(shown, sizeof shown, " (0x%08X).\n", IsInternalFamily(code) ? (code & 0xF0FFFFFFu) : code);
        line += shown;
    }
    if (line.size() > kLineBytes - 1)
        line.resize(kLineBytes - 1);

    const char* result = std::strstr(text, "Internal error") != nullptr ? line.c_str() : text;
    std::size_t length = std::strlen(result);
    if (length > n - 1)
        length = n - 1;
    char* target = static_cast<char*>(out);
    std::memcpy(target, result, length);
    target[length] = '\0';
    return 1;
}
