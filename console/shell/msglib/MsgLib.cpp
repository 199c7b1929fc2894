#include "MsgLib.h"

#include <cstring>
#include <string>

#include "MessageKeys.h"

tamVoke::IniParser g_clsIniParser;
unsigned char g_bIniLoad = 0;

namespace {

const char kDefaultMessageFile[] = "../res/RVEMLib.ini";
const char kDefaultLanguage[] = "DEFAULT";
const char kUnknownSymbol[] = "%KS_ERR_UNKNOWN%";

} // namespace

int InitMsgLib(char* file)
{
    // The path is used as given: cutting a long path short could load another file.
    const char* path = (file != nullptr && file[0] != '\0') ? file : kDefaultMessageFile;
    g_bIniLoad = g_clsIniParser.load(path) ? 1 : 0;
    return g_bIniLoad;
}

int ZeFormatMessage(unsigned int code, unsigned int n, char* out)
{
    // A load that failed before is tried again on every call.
    if (g_bIniLoad != 1)
        InitMsgLib(nullptr);
    // n counts the terminator, so n of 0 leaves no room for anything.
    if (g_bIniLoad != 1 || out == nullptr || n == 0)
        return 0;

    std::string language;
    g_clsIniParser.getString("LANGUAGE", "CURRENT", kDefaultLanguage, language);
    std::string symbol;
    g_clsIniParser.getString("CODE", MessageCodeKey(code).c_str(), kUnknownSymbol, symbol);
    symbol = CutMessageSymbol(symbol);
    std::string text;
    g_clsIniParser.getString(language.c_str(), symbol.c_str(), "", text);

    const std::size_t length = text.size() < n - 1 ? text.size() : n - 1;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return 1;
}
