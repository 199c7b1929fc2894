#include "QuelmTrace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void QuelmDebugLine(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    OutputDebugStringA(text);
}
