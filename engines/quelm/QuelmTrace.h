// The snapshot client's debug lines, written to the debugger as they stand.
#pragma once

void QuelmDebugLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
