// Names whose event or mutex creation a test makes fail.
#pragma once

#include <windows.h>

namespace ks_platform {

// The error creating an object of this name fails with; ERROR_SUCCESS for most names.
DWORD NamedObjectFailure(const wchar_t* name);

} // namespace ks_platform
