// The checker's result codes. Callers match the full codes of the refusals below
// (line number included), so each one is spelled out once here rather than taken
// from __LINE__; failures without a fixed code use KS_RESULT(KS_MODULE_CHECKER, kind).
#pragma once

#include "KSResult.h"

namespace CheckResult {

constexpr unsigned long Make(unsigned long line, unsigned long kind)
{
    return KSMakeResult(line, KS_MODULE_CHECKER, kind);
}

enum : unsigned long {
    KIND_NOT_READY = 0x005,
    KIND_WRONG_OBJECT = 0x006,
    KIND_BUSY = 0x007,
    KIND_NO_MEMORY = 0x008,
    KIND_BAD_ARGUMENT = 0x009,
    KIND_BAD_DATA = 0x00C,
    KIND_NO_VERSION = 0x00A,
    KIND_CAPACITY = 0x00E,
    KIND_FILE_NOT_IN_SET = 0x054,
    KIND_CANCELLED = 0x059,
    KIND_VERSION_FILE_MISSING = 0x067,
    KIND_READ_FAILED = 0x106,
    KIND_BITMAP_MISMATCH = 0x60B,
    KIND_UNSPECIFIED = 0xFFF,
};

// Factory.
constexpr unsigned long FactoryNullOut = Make(0x023, KIND_BAD_ARGUMENT);
constexpr unsigned long FactoryWrongKind = Make(0x02D, KIND_WRONG_OBJECT);

// SetPassword.
constexpr unsigned long PasswordNoContainer = Make(0x0CF, KIND_NOT_READY);
constexpr unsigned long PasswordBadArgument = Make(0x0D3, KIND_BAD_ARGUMENT);
// The byte length is not a whole number of characters, or the text ends (a zero)
// before it.
constexpr unsigned long PasswordBadLength = Make(0x0D5, KIND_BAD_ARGUMENT);
constexpr unsigned long PasswordNoMemory = Make(0x0D8, KIND_NO_MEMORY);

// GetImageVersions.
constexpr unsigned long VersionsNoContainer = Make(0x0E7, KIND_NOT_READY);
constexpr unsigned long VersionsNullArgument = Make(0x0EB, KIND_BAD_ARGUMENT);
constexpr unsigned long VersionsBadCount = Make(0x0EF, KIND_BAD_ARGUMENT);
constexpr unsigned long VersionsCapacity = Make(0x0FB, KIND_CAPACITY);
constexpr unsigned long VersionsNone = Make(0x0FF, KIND_UNSPECIFIED);

// GetImgVolumes.
constexpr unsigned long VolumesNoContainer = Make(0x137, KIND_NOT_READY);
constexpr unsigned long VolumesNullArgument = Make(0x13B, KIND_NO_VERSION);
constexpr unsigned long VolumesCapacity = Make(0x151, KIND_CAPACITY);

// SetImgInfo.
constexpr unsigned long ImgInfoNoContainer = Make(0x15F, KIND_NOT_READY);
constexpr unsigned long ImgInfoPasswordNotSettled = Make(0x163, KIND_NOT_READY);
constexpr unsigned long ImgInfoNoVersions = Make(0x17D, KIND_NOT_READY);

// Finding the last file of the chosen version.
constexpr unsigned long VersionFileNoList = Make(0x26A, KIND_NO_VERSION);
constexpr unsigned long VersionFileMissing = Make(0x26C, KIND_VERSION_FILE_MISSING);

// GetVerComment.
constexpr unsigned long CommentNoContainer = Make(0x282, KIND_NOT_READY);
constexpr unsigned long CommentNullArgument = Make(0x286, KIND_NO_VERSION);

// AddCheck, Execute, GetCheckProgress.
constexpr unsigned long AddCheckBadVolume = Make(0x29A, KIND_BAD_ARGUMENT);
constexpr unsigned long AddCheckBusy = Make(0x29E, KIND_BUSY);
constexpr unsigned long ExecuteBusy = Make(0x2AB, KIND_BUSY);
constexpr unsigned long ProgressNullRecord = Make(0x2CC, KIND_BAD_ARGUMENT);

// The run.
constexpr unsigned long RunNotPrepared = Make(0x2DE, KIND_NOT_READY);
constexpr unsigned long RunNothingToCheck = Make(0x2E3, KIND_NOT_READY);
constexpr unsigned long RunVersionFileNotListed = Make(0x2F0, KIND_NOT_READY);
constexpr unsigned long RunStartFileMissing = Make(0x30D, KIND_FILE_NOT_IN_SET);
constexpr unsigned long AllSectorsBitmapNotFull = Make(0x32B, KIND_BITMAP_MISMATCH);
constexpr unsigned long DiscRecordNotFoundForCurrent = Make(0x37E, KIND_UNSPECIFIED);
constexpr unsigned long DiscRecordNotFound = Make(0x3B4, KIND_UNSPECIFIED);
constexpr unsigned long BlocksNoMemory = Make(0x3C1, KIND_NO_MEMORY);
constexpr unsigned long BlocksNoUnits = Make(0x3CC, KIND_BAD_ARGUMENT);
constexpr unsigned long DiscBlocksCancelled = Make(0x406, KIND_CANCELLED);
constexpr unsigned long BlocksCancelled = Make(0x43F, KIND_CANCELLED);
// A block read back whole whose bytes do not give the CRC-64 its record holds.
constexpr unsigned long BlockCrcMismatch = Make(0x441, KIND_BAD_DATA);
constexpr unsigned long DeviceOpenFailedLogged = Make(0x46A, KIND_BAD_ARGUMENT);
constexpr unsigned long VolumeFileNotFound = Make(0x4A9, KIND_UNSPECIFIED);
constexpr unsigned long DeviceOpenFailed = Make(0x4B0, KIND_BAD_ARGUMENT);
constexpr unsigned long BitmapNoMemory = Make(0x4BF, KIND_NO_MEMORY);
constexpr unsigned long BitmapMismatch = Make(0x4CF, KIND_BITMAP_MISMATCH);
constexpr unsigned long BitmapLastByteMismatch = Make(0x4DA, KIND_BITMAP_MISMATCH);
constexpr unsigned long NoFileSystemReader = Make(0x550, KIND_WRONG_OBJECT);

// The image device's read callback for the file-system readers.
constexpr unsigned long DeviceReadNullArgument = Make(0x091, KIND_BAD_ARGUMENT);
constexpr unsigned long DeviceReadFailed = Make(0x097, KIND_READ_FAILED);

} // namespace CheckResult
