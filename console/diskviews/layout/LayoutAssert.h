// The layout engine's contract check: on in every build type. A broken contract (a
// missing interface on an item, a null argument, a negative sector) prints the failed
// condition and the source that checks it, then stops the program.
#pragma once

[[noreturn]] void LayoutAssertFailed(const char* text, const char* source, const char* file, int line);

#define LAYOUT_ASSERT(condition, text, source) \
    ((condition) ? static_cast<void>(0) : LayoutAssertFailed(text, source, __FILE__, __LINE__))
