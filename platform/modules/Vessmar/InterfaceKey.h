// Whether a key asked of an object names interface I.
#pragma once

#include <cstring>

#include "MomPtr.h"

template <class I>
bool IsKeyOf(const char* key)
{
    return key != nullptr && std::strcmp(key, MomGetTypeNameT<I>()) == 0;
}
