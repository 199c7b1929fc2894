// The result kinds the backup engine and its per-volume reader make themselves, by
// what they mean here (the message file has a text for each).
#pragma once

namespace backup_kinds {

constexpr unsigned long kNotReady = 0x005;             // a write or step came before its set-up
constexpr unsigned long kFileFull = 0x108;             // the container's current file is full
constexpr unsigned long kLiveVolumeHoldsImage = 0x258; // the image would be written onto the volume read
constexpr unsigned long kBadPath = 0x255;              // a path too long or without a folder
constexpr unsigned long kTempSpace = 0x260;            // too little room to stage a disc's files
constexpr unsigned long kNoWriter = 0x160;             // no disc writer to burn with

} // namespace backup_kinds
