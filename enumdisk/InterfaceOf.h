// Asks a device-manager object for one of its interfaces by key.
#pragma once

#include "MomPtr.h"

// The object's interface I, or null when the object is null or lacks it.
template <class I>
I* InterfaceOf(IObject* object)
{
    return object != nullptr ? object->GetInterfaceT<I>(MomGetTypeNameT<I>()) : nullptr;
}
