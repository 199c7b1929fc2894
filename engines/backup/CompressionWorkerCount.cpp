#include "CompressionWorkerCount.h"

#include <cstdlib>

namespace backup_workers {

unsigned long FromText(const char* text)
{
    if (text == nullptr || *text < '0' || *text > '9')
        return 0;
    char* end = nullptr;
    const unsigned long count = std::strtoul(text, &end, 10);
    if (*end != '\0' || count > 255)
        return 0;
    return count;
}

unsigned long FromEnvironment()
{
    return FromText(std::getenv(kVariable));
}

} // namespace backup_workers
