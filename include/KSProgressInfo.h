// The progress record of a running engine operation (backup, restore, check).
//
// Each engine keeps one record, updates it from its worker thread and copies it whole
// to the caller on request. The record only travels inside one process, so it is one
// definition shared by every engine; its fields sit at fixed offsets because callers
// in other modules read them by position. The text's character type follows the
// platform's wide character: 2 bytes in the Windows engines (600-byte record),
// 4 bytes here (1,144-byte record). Copy it with sizeof, never with a literal size.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    KS_PROGRESS_HEAD_SIZE = 56,
    KS_PROGRESS_TEXT_CHARS = 272,
    KS_PROGRESS_TAG_BACKUP = 0x42534246, // "FBSB" as the backup engine writes it
};

// State word (+44) as the image checker writes it.
enum : uint32_t {
    KS_CHECK_STATE_RUNNING = 1,
    KS_CHECK_STATE_ITEM = 2,
    KS_CHECK_STATE_FINISH = 3,
    KS_CHECK_STATE_USER_CANCEL = 4,
};

// State word (+44) as the restore engine writes it.
enum : uint32_t {
    RESTORE_STATE_INITIALIZE = 1,
    RESTORE_STATE_RUNNING = 2,
    RESTORE_STATE_FINISH = 3,
    RESTORE_STATE_USER_CANCEL = 4,
};

// Stage codes (+16).
enum : uint32_t {
    KS_STAGE_RESTORING = 0x2001,
    KS_STAGE_CHECK_STARTED = 0x1001,
    KS_STAGE_CHECK_BLOCKS = 0x1002,
    KS_STAGE_CHECK_BITMAP = 0x1003,
};

template <typename WideChar>
struct KSProgressInfoT {
    uint32_t Tag;                          // +0  "FBSB" from the backup engine, else 0
    uint16_t ItemCount;                    // +4  volumes or queued operations of the run
    uint16_t CurrentItem;                  // +6  from 0 (restore, checker) or 1 (backup)
    uint32_t ElapsedMs;                    // +8
    uint32_t OverallPercent;               // +12 0..100
    uint32_t Stage;                        // +16 KS_STAGE_*, 0 where none is set
    uint32_t ItemPercent;                  // +20 0..100
    uint64_t TotalBytes;                   // +24 backup engine only
    uint64_t DoneBytes;                    // +32
    uint32_t Result;                       // +40 result code of the run
    uint32_t State;                        // +44 per engine
    uint8_t Reserved48[8];                 // +48
    WideChar Text[KS_PROGRESS_TEXT_CHARS]; // +56 current step, empty where unused
};

// The record with the platform's wide character (1,144 bytes here).
typedef KSProgressInfoT<wchar_t> _KS_PROGRESS_INFO;
// The record with 2-byte wide characters, as the Windows engines lay it out.
typedef KSProgressInfoT<char16_t> _KS_PROGRESS_INFO16;

#define KS_PROGRESS_LAYOUT(T)                                                                      \
    static_assert(offsetof(T, ItemCount) == 4, "layout");                                          \
    static_assert(offsetof(T, CurrentItem) == 6, "layout");                                        \
    static_assert(offsetof(T, ElapsedMs) == 8, "layout");                                          \
    static_assert(offsetof(T, OverallPercent) == 12, "layout");                                    \
    static_assert(offsetof(T, Stage) == 16, "layout");                                             \
    static_assert(offsetof(T, ItemPercent) == 20, "layout");                                       \
    static_assert(offsetof(T, TotalBytes) == 24, "layout");                                        \
    static_assert(offsetof(T, DoneBytes) == 32, "layout");                                         \
    static_assert(offsetof(T, Result) == 40, "layout");                                            \
    static_assert(offsetof(T, State) == 44, "layout");                                             \
    static_assert(offsetof(T, Reserved48) == 48, "layout");                                        \
    static_assert(offsetof(T, Text) == KS_PROGRESS_HEAD_SIZE, "layout");
KS_PROGRESS_LAYOUT(_KS_PROGRESS_INFO)
KS_PROGRESS_LAYOUT(_KS_PROGRESS_INFO16)
#undef KS_PROGRESS_LAYOUT
static_assert(sizeof(_KS_PROGRESS_INFO16) == 600, "_KS_PROGRESS_INFO16 is 600 bytes");
static_assert(sizeof(_KS_PROGRESS_INFO) == KS_PROGRESS_HEAD_SIZE + KS_PROGRESS_TEXT_CHARS * sizeof(wchar_t),
              "_KS_PROGRESS_INFO is the head and the text");
#if WCHAR_MAX > 0xFFFF
static_assert(sizeof(_KS_PROGRESS_INFO) == 1144, "_KS_PROGRESS_INFO is 1,144 bytes with 4-byte wchar_t");
#endif
