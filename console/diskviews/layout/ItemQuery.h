// Asks a device-manager object for one of its interfaces by the interface's key. No
// reference is taken: the item outlives every call that uses the answer.
#pragma once

#include "MomPtr.h"

template <class I>
I* QueryItem(IObject* object)
{
    if (object == nullptr)
        return nullptr;
    return object->GetInterfaceT<I>(MomGetTypeNameT<I>());
}
