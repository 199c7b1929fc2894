#include "StripTexts.h"

#include <cctype>
#include <cmath>

const char kUnallocatedName[] = "Unallocated";

ImproperDiskKind ImproperKindOf(bool gpt, bool dynamic, bool bad)
{
    ImproperDiskKind kind = ImproperDiskKind::None;
    if (gpt)
        kind = ImproperDiskKind::Gpt;
    if (dynamic)
        kind = ImproperDiskKind::Dynamic;
    if (bad)
        kind = ImproperDiskKind::Bad;
    return kind;
}

std::string ImproperKindText(ImproperDiskKind kind)
{
    switch (kind) {
    case ImproperDiskKind::Gpt: return "GPT";
    case ImproperDiskKind::Dynamic: return "Dynamic";
    case ImproperDiskKind::Bad: return "Bad";
    default: return std::string();
    }
}

std::string ImproperDiskTitle(ImproperDiskKind kind)
{
    const std::string text = ImproperKindText(kind);
    return text.empty() ? text : text + " Disk";
}

namespace {
std::string WholeMB(double sizeMB)
{
    return std::to_string(static_cast<long long>(std::llround(sizeMB)));
}
}  // namespace

std::string UnallocatedTooltip(double sizeMB)
{
    return std::string(kUnallocatedName) + "\n" + "Size: " + WholeMB(sizeMB) + " MB";
}

std::string PartitionTooltip(const std::string& fileSystemName, const std::string& driveText,
                             const std::string& label, double sizeMB, unsigned long long usedMB)
{
    return fileSystemName + "\n" + driveText + " " + label + "\n" + "Size: " + WholeMB(sizeMB) + " MB" + "\n" +
           "Used size: " + std::to_string(usedMB) + " MB";
}

std::string DriveText(char letter)
{
    const unsigned char c = static_cast<unsigned char>(letter);
    if (!std::isalpha(c))
        return "*:";
    return std::string(1, static_cast<char>(std::toupper(c))) + ":";
}
