// The request an engine hands to the console's progress callback when it needs
// another disc or image file: 8 bytes the console does not read, then the wanted
// file name or disc label as NUL-terminated wide text. It travels inside one process
// only; its size follows the platform's wchar_t (264 bytes here).
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    CD_CHANGE_NAME_CHARS = 64, // 63 characters and the terminating NUL
};

// Callback messages of a disc or file request, and the one the console never handles.
enum : unsigned long {
    CD_CHANGE_MSG_DISC = 1, // insert the disc that holds the named file
    CD_CHANGE_MSG_FILE = 3, // locate the named image file
};

struct CD_CHANGE_INFO {
    uint8_t Reserved[8];
    wchar_t Name[CD_CHANGE_NAME_CHARS];
};

static_assert(offsetof(CD_CHANGE_INFO, Name) == 8, "layout");
static_assert(sizeof(CD_CHANGE_INFO) == 8 + CD_CHANGE_NAME_CHARS * sizeof(wchar_t), "layout");
#if !defined(_WIN32)
static_assert(sizeof(CD_CHANGE_INFO) == 264, "264 bytes with 4-byte wide characters");
#endif
