#include "DebugMessage.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void DebugMessage(const char* format, ...)
{
    if (std::getenv("NORVANE_DEBUG") == nullptr)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
