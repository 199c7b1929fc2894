// GetStringToScreen: cuts a text to a pixel width through the text module, which
// knows where one character ends and the next begins.
#include <cstring>
#include <vector>

#include "PartitionRules.h"
#include "common/ICommonModule.h"

namespace {
const int kPixelsPerCharacter = 12;
const size_t kShortestCut = 6;
}  // namespace

std::string GetStringToScreen(const std::string& text, int width)
{
    if (text.empty())
        return std::string();
    ICommonModule* common = OpenModuleT<ICommonModule>("Common");
    if (common == nullptr)
        return std::string();
    const unsigned long bytes = static_cast<unsigned long>(text.size());
    std::vector<wchar_t> wide(bytes + 1, L'\0');
    common->NarrowToWide(text.c_str(), bytes + 1, wide.data(), bytes + 1);
    const size_t length = std::wcslen(wide.data());
    const size_t fit = width > 0 ? static_cast<size_t>(width / kPixelsPerCharacter) : 0;
    if (length > fit && text.size() >= kShortestCut && fit >= kShortestCut) {
        wide[fit] = L'\0';
        wide[fit - 1] = wide[fit - 2] = wide[fit - 3] = L'.';
    }
    // A wide character may take up to four bytes of UTF-8; the cut text is never longer.
    std::vector<char> narrow(4 * bytes + 1, '\0');
    common->WideToNarrow(wide.data(), static_cast<unsigned long>(std::wcslen(wide.data()) + 1), narrow.data(),
                         static_cast<unsigned long>(narrow.size()));
    return std::string(narrow.data());
}
