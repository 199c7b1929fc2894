#include "CompressionWorkerCount.h"

#include <cstdlib>

#include "KSWorkerCount.h"

namespace backup_workers {

unsigned long FromText(const char* text)
{
    return worker_count::FromText(text);
}

unsigned long FromEnvironment()
{
    return FromText(std::getenv(kVariable));
}

} // namespace backup_workers
