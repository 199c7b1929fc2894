#include "DiskHeaderText.h"

std::string DiskHeaderText(unsigned long long number, unsigned long long totalSectors)
{
    const long long mb = static_cast<long long>(totalSectors) / 2048;
    const std::string head = "Disk " + std::to_string(number) + "  ";
    if (mb < 1024)
        return head + std::to_string(mb) + "MB";
    return head + std::to_string(mb / 1024) + "GB";
}
