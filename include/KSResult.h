// Result codes shared by every module.
//
// A result is a 32-bit value: bits 16-31 the source line of the failing statement,
// bits 12-15 the module number, bits 0-11 the kind. A value is a failure when its
// kind is not zero; callers compare only the kind.
#pragma once

#include <cstdint>

// Module numbers.
enum : unsigned long {
    KS_MODULE_CONSOLE = 0x1,   // console and burner
    KS_MODULE_CONTAINER = 0x3, // image container
    KS_MODULE_BACKUP = 0x4,    // backup engine and snapshot client
    KS_MODULE_RESTORE = 0x5,   // restore engine
    KS_MODULE_HELPERS = 0x6,   // mount engine and the string, AES and MD5 helpers
    KS_MODULE_COMMAND = 0x7,   // command channel
    KS_MODULE_ENUMDISK = 0x8,  // disk enumeration
    KS_MODULE_FSSUPPORT = 0x9, // file-system readers
    KS_MODULE_CHECKER = 0xA,   // image checker
};

// Kinds shared by several modules.
enum : unsigned long {
    KS_KIND_OK = 0x000,
    KS_KIND_VERSION_TOO_NEW = 0x002,
    KS_KIND_WRONG_OBJECT = 0x006,
    KS_KIND_NO_MEMORY = 0x008,
    KS_KIND_BAD_ARGUMENT = 0x009,
    KS_KIND_TARGET_FULL = 0x00B,
    KS_KIND_CANCELLED = 0x059,
    KS_KIND_WRONG_PASSWORD = 0x060,
};

constexpr unsigned long KSMakeResult(unsigned long line, unsigned long module, unsigned long kind)
{
    return ((line & 0xFFFFul) << 16) | ((module & 0xFul) << 12) | (kind & 0xFFFul);
}
constexpr unsigned long KSResultKind(unsigned long code) { return code & 0xFFFul; }
constexpr unsigned long KSResultModule(unsigned long code) { return (code >> 12) & 0xFul; }
constexpr unsigned long KSResultLine(unsigned long code) { return (code >> 16) & 0xFFFFul; }
constexpr bool KSFailed(unsigned long code) { return KSResultKind(code) != 0; }
constexpr bool KSSucceeded(unsigned long code) { return KSResultKind(code) == 0; }

// Makes a failure code that carries the line of the statement that failed.
#define KS_RESULT(module, kind) KSMakeResult(static_cast<unsigned long>(__LINE__), (module), (kind))
