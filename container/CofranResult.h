// Result codes of the image container (module number 3) and the kinds it uses.
#pragma once

#include "KSResult.h"

enum : unsigned long {
    KS_KIND_BAD_VERSION = 0x003,
    KS_KIND_SEARCH_FAILED = 0x004,
    KS_KIND_NOT_OPEN = 0x005,
    KS_KIND_BAD_DATA = 0x00C,
    KS_KIND_TOO_SMALL = 0x00E,
    KS_KIND_LABEL_JUMP = 0x014,
    KS_KIND_SET_INCOMPLETE = 0x016,
    KS_KIND_CHAIN_BROKEN = 0x054,
    KS_KIND_DEVICE_GONE = 0x05D,
    KS_KIND_INFLATE_FAILED = 0x064,
    KS_KIND_OPEN_FAILED = 0x104,
    KS_KIND_CREATE_FAILED = 0x105,
    KS_KIND_READ_FAILED = 0x106,
    KS_KIND_WRITE_FAILED = 0x107,
    KS_KIND_OTHER_FILE = 0x108,
    KS_KIND_CUT_FAILED = 0x109,
    KS_KIND_PATH_TOO_LONG = 0x15D,
};

#define COFRAN_FAIL(kind) KS_RESULT(KS_MODULE_CONTAINER, (kind))
