#include "WizardText.h"

#include <cstdio>
#include <vector>

#include "MomPtr.h"
#include "common/ICommonModule.h"

namespace {

ICommonModule* OpenCommonModule()
{
    return OpenModuleT<ICommonModule>("Common");
}

CommonOpener g_commonOpener = OpenCommonModule;

} // namespace

void SetWizardCommonOpener(CommonOpener opener)
{
    g_commonOpener = opener ? opener : OpenCommonModule;
}

std::string ToDisplayText(const std::string& fileSystemText)
{
    ICommonModule* common = g_commonOpener();
    if (common == nullptr)
        return std::string();
    // The module writes UTF-8 bytes into a buffer declared wide: 2n + 2 bytes.
    const size_t bytes = 2 * fileSystemText.size() + 2;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    common->MultiByteToWide(fileSystemText.c_str(), (unsigned long)fileSystemText.size(), buffer.data(),
                            (unsigned long)bytes);
    return std::string(reinterpret_cast<const char*>(buffer.data()));
}

std::string FromDisplayText(const std::string& displayText, size_t outBytes)
{
    ICommonModule* common = g_commonOpener();
    if (common == nullptr || outBytes == 0)
        return std::string();
    std::vector<char> out(outBytes, '\0');
    common->ConvertText(displayText.c_str(), (unsigned long)displayText.size(), out.data(), (unsigned long)outBytes);
    out.back() = '\0';
    return std::string(out.data());
}

std::string FailureText(const std::string& libraryText, unsigned long code)
{
    if (!libraryText.empty())
        return libraryText;
    char line[64];
    std::snprintf(line, sizeof line, "The operation failed with error code 0x%08lX.", code & 0xFFFFFFFFul);
    return line;
}
