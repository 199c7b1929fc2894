// Result codes of the FAT reader. Callers and stored logs know these exact values,
// so they are spelled out instead of being made from the line that fails.
#pragma once

#include "KSResult.h"

namespace FatResult {
constexpr unsigned long NoReadCallback = 0x013D9005;
constexpr unsigned long NullCallback = 0x00939009;
constexpr unsigned long BootSectorRead = 0x009F9256;
constexpr unsigned long ParserNoMemory = 0x00A69008;
constexpr unsigned long NoLabelKind = 0x00AC9006;
constexpr unsigned long FatNoMemory = 0x01579008;
constexpr unsigned long FatLoad = 0x01619005;
constexpr unsigned long KindNotSet = 0x01739006;
constexpr unsigned long BitmapCreation = 0x01809005;
constexpr unsigned long NullVolume = 0x006D9009;
constexpr unsigned long VolumeInfoNotReady = 0x00709005;
constexpr unsigned long WalkNotReady = 0x033E9006;
constexpr unsigned long FixedRootNoMemory = 0x030C9008;
constexpr unsigned long RootChainNoMemory = 0x03289008;
constexpr unsigned long ChainNotEndedBeforeWalk = 0x02DC9006;
constexpr unsigned long ChainNotEndedAfterWalk = 0x02ED9006;
constexpr unsigned long NotADirectory = 0x02BC9009;
constexpr unsigned long DirectoryNoMemory = 0x02D19008;
constexpr unsigned long SystemFileIsLabel = 0x03529009;
constexpr unsigned long SpecialInfoNotReady = 0x00FA9006;
constexpr unsigned long NoWriteCallback = 0x00D29005;
constexpr unsigned long CheckNotReady = 0x04849005;
constexpr unsigned long CheckFailed = 0x04B09006;
constexpr unsigned long EntryOutOfRange = 0x03CB9009;
constexpr unsigned long EntryWrongKind = 0x04179006;
} // namespace FatResult
