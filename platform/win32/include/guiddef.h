// Globally unique identifiers: 16 bytes, compared byte for byte.
#pragma once

#include "windef.h"

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;

typedef GUID* LPGUID;
typedef const GUID* LPCGUID;
typedef const GUID& REFGUID;

static_assert(sizeof(GUID) == 16, "a GUID is 16 bytes");
static_assert(offsetof(GUID, Data2) == 4 && offsetof(GUID, Data3) == 6 && offsetof(GUID, Data4) == 8,
              "GUID field offsets");

// TRUE when the 16 bytes of a and b are equal.
BOOL IsEqualGUID(REFGUID a, REFGUID b);
