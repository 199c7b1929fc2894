#include "ListText.h"

#include <cstring>
#include <vector>

#include "PartitionRules.h"
#include "common/ICommonModule.h"

namespace {

ICommonModule* TextModule()
{
    return OpenModuleT<ICommonModule>("Common");
}

// The module writes display bytes into a buffer declared wide; a character of the
// input never takes more than four bytes of UTF-8.
std::string FromDisplayBuffer(const std::vector<wchar_t>& buffer, size_t bytes)
{
    const char* shown = reinterpret_cast<const char*>(buffer.data());
    return std::string(shown, strnlen(shown, bytes));
}

} // namespace

std::string ListDisplayText(const std::string& text)
{
    ICommonModule* common = TextModule();
    if (common == nullptr || text.empty())
        return text;
    const size_t bytes = 4 * text.size() + 4;
    std::vector<wchar_t> out(bytes / sizeof(wchar_t) + 1, L'\0');
    common->MultiByteToWide(text.c_str(), static_cast<unsigned long>(text.size()), out.data(),
                            static_cast<unsigned long>(bytes));
    return FromDisplayBuffer(out, bytes);
}

bool ListCutDisplayText(const std::string& display, int width, std::string& out)
{
    ICommonModule* common = TextModule();
    if (common == nullptr)
        return false;
    std::vector<char> narrow(4 * display.size() + 4, '\0');
    common->ConvertText(display.c_str(), static_cast<unsigned long>(display.size()), narrow.data(),
                        static_cast<unsigned long>(narrow.size()));
    const std::string cut = GetStringToScreen(std::string(narrow.data()), width);
    out = ListDisplayText(cut);
    return true;
}

std::string ListLabelText(const char16_t* label, size_t units)
{
    std::vector<wchar_t> wide;
    for (size_t i = 0; i < units && label[i] != 0; ++i) {
        const char16_t unit = label[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units && label[i + 1] >= 0xDC00 && label[i + 1] <= 0xDFFF) {
            wide.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (label[i + 1] - 0xDC00)));
            ++i;
        } else {
            wide.push_back(static_cast<wchar_t>(unit));
        }
    }
    wide.push_back(L'\0');
    ICommonModule* common = TextModule();
    if (common == nullptr)
        return std::string();
    std::vector<char> out(4 * wide.size() + 4, '\0');
    common->WideToMultiByte(wide.data(), static_cast<unsigned long>(wide.size()), out.data(),
                            static_cast<unsigned long>(out.size()));
    return std::string(out.data());
}
