// The result kinds of the Windows fix-ups after a restore (module 5).
#pragma once

#include "KSResult.h"
#include "RestoreKinds.h"

namespace fixup_kinds {
constexpr unsigned long kBadArgument = 0x009;
constexpr unsigned long kLetterNotRemoved = 0x00C;
constexpr unsigned long kNoObject = 0x00D;
constexpr unsigned long kLetterNotAssigned = 0x00E;
constexpr unsigned long kMountTimeOut = 0x00F;
constexpr unsigned long kNamingFailed = 0x012;
constexpr unsigned long kNoPrivilege = 0x013;
// The same kind as the engine's own "not found", so code that sees both names sees one.
using restore_kinds::kNotFound;
constexpr unsigned long kRegistryOpen = 0x101;
constexpr unsigned long kRegistryUnload = 0x102;
constexpr unsigned long kRegistryValue = 0x103;
constexpr unsigned long kHiveMissing = 0x254;
constexpr unsigned long kNoVolumeName = 0x60E;
constexpr unsigned long kBootIni = 0x610;
constexpr unsigned long kBcd = 0x611;

// The restore engine's result code of a fix-up failure of the kind.
inline unsigned long FixupFailure(unsigned long kind) { return KS_RESULT(KS_MODULE_RESTORE, kind); }
}
