#include "LayoutAssert.h"

#include <cstdio>
#include <cstdlib>

void LayoutAssertFailed(const char* text, const char* source, const char* file, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, %s (%s:%d)\n", text, source, file, line);
    std::fflush(stderr);
    std::abort();
}
