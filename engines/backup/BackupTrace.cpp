#include "BackupTrace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "CLogWriter.h"
#include "KSResult.h"

namespace {
constexpr const char* kModuleTag = "Backup";

const char* LastPart(const char* path)
{
    const char* cut = path;
    for (const char* p = path; *p != 0; ++p)
        if (*p == '\\' || *p == '/')
            cut = p + 1;
    return cut;
}
}

void DebugPrint(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    char line[600];
    snprintf(line, sizeof(line), "[%s] : %s", kModuleTag, text);
    OutputDebugStringA(line);
    CLogWriter::Log("%s", line);
}

unsigned long TraceReturn(unsigned long code, const char* file, int line)
{
    if (!KSFailed(code))
        return code;
    if (file != nullptr)
        DebugPrint("return error [0x%8lX]. File[%8s], Line[%8d] .\n", code, LastPart(file), line);
    else
        DebugPrint("return error [0x%8lX]. Line[%8d] .\n", code, line);
    return code;
}
