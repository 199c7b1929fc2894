// The executor's own result codes. The fixed ones are compared by callers as they
// stand; the others carry the line that made them.
#pragma once

#include "KSResult.h"

namespace OrdwellResult {
constexpr unsigned long kBadMagic = 0x00E97206;
constexpr unsigned long kUnknownCode = 0x01747205;
constexpr unsigned long kRestoreNotProtected = 0x02DB7212;
constexpr unsigned long kRestorePasswordRefused = 0x02E87FFF;
constexpr unsigned long kCheckNotProtected = 0x030F7212;
constexpr unsigned long kCheckPasswordRefused = 0x031C7FFF;
constexpr unsigned long kBadDiskNoDisk = 0x03C87201;
constexpr unsigned long kBadDiskStartInside = 0x03DD7FFF;
constexpr unsigned long kBadDiskEndInside = 0x03E27FFF;
constexpr unsigned long kDeleteNoDisk = 0x03F07201;
constexpr unsigned long kDeleteAllFailed = 0x03F77FFF;
constexpr unsigned long kDeleteNotFound = 0x03FF7200;
constexpr unsigned long kDeleteFailed = 0x04037FFF;
constexpr unsigned long kAddNoDisk = 0x04107201;
constexpr unsigned long kAddFailed = 0x04147009;
constexpr unsigned long kDiskItemNoDisk = 0x04207201;
constexpr unsigned long kFindNoDisk = 0x04367201;
constexpr unsigned long kFindNotFound = 0x043B7200;
constexpr unsigned long kFileSystemDamaged = 0x04827652;
constexpr unsigned long kDeleteSetNullPath = 0x01F87009;
constexpr unsigned long kDeleteSetEmpty = 0x020C7004;
constexpr unsigned long kDeleteSetNoMemory = 0x02137008;
constexpr unsigned long kDeleteSetFileFailed = 0x021E710D;
constexpr unsigned long kDeleteSetPathFailed = 0x0231710D;

// Kinds of the results made here.
constexpr unsigned long kKindNoModule = 0x001;   // "Tillory.mo" could not be opened
constexpr unsigned long kKindNoEngine = 0x005;   // the engine's factory failed
constexpr unsigned long kKindDeleteFailed = 0x10D;
} // namespace OrdwellResult
