#include "RecoveryEnv.h"

#include <cstdio>

std::string GetFileSizeString(long long bytes)
{
    constexpr long long kGiB = 1LL << 30;
    constexpr long long kMiB = 1LL << 20;
    char text[64];
    if (bytes >= kGiB)
        std::snprintf(text, sizeof text, "%.2f GB", static_cast<double>(bytes) / kGiB);
    else if (bytes >= kMiB)
        std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / kMiB);
    else
        std::snprintf(text, sizeof text, "%.2f KB", static_cast<double>(bytes) / 1024);
    return text;
}
