// The mark of Vovav's exported calls: visible on Linux, listed in Vovav.def on Windows.
#pragma once

#ifdef _WIN32
#define VOVAV_EXPORT
#else
#define VOVAV_EXPORT __attribute__((visibility("default")))
#endif
