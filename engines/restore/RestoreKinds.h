// The result kinds the restore engine returns beyond the shared ones.
#pragma once

namespace restore_kinds {
constexpr unsigned long kNoModule = 0x001;
constexpr unsigned long kModuleMissing = 0x002;   // an outside copier is not there
constexpr unsigned long kBusy = 0x007;
constexpr unsigned long kNoImage = 0x00A;
constexpr unsigned long kTooLong = 0x00E;
constexpr unsigned long kChainBroken = 0x054;    // the container: a file of the chain is missing
constexpr unsigned long kNotFound = 0x067;
constexpr unsigned long kOpenFailed = 0x104;
constexpr unsigned long kWriteFailed = 0x107;
constexpr unsigned long kOutsideFile = 0x108;    // the container's end of a file's blocks
constexpr unsigned long kReadFailed = 0x256;
constexpr unsigned long kDiskOffline = 0x257;
constexpr unsigned long kTargetHoldsImage = 0x25A;
constexpr unsigned long kNotBuilt = 0x25B;       // a road this build does not take
constexpr unsigned long kVersionMissing = 0x601;
constexpr unsigned long kFileMissing = 0x604;
constexpr unsigned long kUserRefused = 0x607;
constexpr unsigned long kVersionChain = 0x609;
constexpr unsigned long kVolumeNotInFile = 0x60A;
constexpr unsigned long kTransferBytes = 0x400000;
}
