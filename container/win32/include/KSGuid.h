// New set identifiers.
#pragma once

#include <windows.h>

// Writes a new random (version 4) GUID. Returns 0, or kind 0x009 for a null out.
unsigned long KSCreateGuid(GUID* out);
