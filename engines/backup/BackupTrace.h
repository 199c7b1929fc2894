// The engine's debug output: DebugPrint writes "[Backup] : text" to the debugger and
// to the shared log; TraceReturn names a failing code with its file and line and
// hands the code back unchanged.
#pragma once

void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
unsigned long TraceReturn(unsigned long code, const char* file, int line);

#define KS_TRACE(code) TraceReturn((code), __FILE__, __LINE__)
