// Result kinds of the mount engine (module 6).
#pragma once

namespace MountKind {
constexpr unsigned long kVersionTooNew = 0x002;
constexpr unsigned long kWrongObject = 0x006;
constexpr unsigned long kPendingInstalls = 0x007;
constexpr unsigned long kNoMemory = 0x008;
constexpr unsigned long kBadArgument = 0x009;
constexpr unsigned long kCountTooSmall = 0x00E;
constexpr unsigned long kNoVolume = 0x015;
constexpr unsigned long kPluginFailed = 0x050;
constexpr unsigned long kUnplugFailed = 0x051;
constexpr unsigned long kRestartNeeded = 0x05F;
constexpr unsigned long kDriverInstall = 0x100;
constexpr unsigned long kNoBusDevice = 0x104;
constexpr unsigned long kNoVolumeYet = 0x209;
} // namespace MountKind
