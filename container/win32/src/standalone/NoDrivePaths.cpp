// The container's own build knows no drive letters: every path is the host's.
#include "Win32Layer.h"

namespace ks_win32 {

DrivePath MapDrivePath(const wchar_t* /*path*/, std::string& /*hostPath*/) { return DrivePath::NotADrivePath; }

} // namespace ks_win32
