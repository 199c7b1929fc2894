#include "BlockDisplayLabel.h"

#include <cstring>
#include <vector>

#include "PartitionRules.h"
#include "common/ICommonModule.h"

std::string BlockDisplayLabel(const DeviceBlockLook& look, int bodyWidth)
{
    const std::string cut = GetStringToScreen(BlockLabel(look), bodyWidth);
    if (cut.empty())
        return std::string();
    ICommonModule* common = OpenModuleT<ICommonModule>("Common");
    if (common == nullptr)
        return std::string();
    const unsigned long length = static_cast<unsigned long>(cut.size());
    // The module writes the display text's bytes into a buffer declared wide.
    const unsigned long outBytes = 4 * length + 4;
    std::vector<wchar_t> out(outBytes / sizeof(wchar_t) + 1, L'\0');
    common->MultiByteToWide(cut.c_str(), length + 1, out.data(), outBytes);
    const char* shown = reinterpret_cast<const char*>(out.data());
    return std::string(shown, strnlen(shown, outBytes));
}
