// Small helpers for the file-call tests.
#pragma once

#include "KSResult.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

inline void WriteWholeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when the last error is the layer's own bad-argument refusal from the
// container's module.
inline bool LastErrorIsBadArgument()
{
    const DWORD code = GetLastError();
    return KSResultKind(code) == KS_KIND_BAD_ARGUMENT && KSResultModule(code) == KS_MODULE_CONTAINER;
}
