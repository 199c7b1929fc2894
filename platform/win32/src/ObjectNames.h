// Names of events, mutexes and semaphores: one object per name in the process, as
// within one Windows session.
#pragma once

#include "KernelObject.h"

#include <functional>
#include <memory>
#include <string>

namespace ks_platform {

// Makes the object with make() when name is null or empty or unknown, and enters a
// given name. For a name in use by a live object of the same kind, gives that object
// and sets ERROR_ALREADY_EXISTS; of another kind, gives null with
// ERROR_INVALID_HANDLE set. Otherwise sets ERROR_SUCCESS.
std::shared_ptr<KernelObject> CreateNamed(const wchar_t* name, ObjectKind kind,
                                          const std::function<std::shared_ptr<KernelObject>()>& make);

// The narrow name as wide text ("" for null); false when it cannot be converted.
bool WideName(const char* name, std::wstring& wide);

// Adds the object to the handle table: its handle, or null with the last error set.
HANDLE AddObject(const std::shared_ptr<KernelObject>& object);

} // namespace ks_platform
