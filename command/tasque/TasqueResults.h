// The command object's refusals of missing arguments (module 7, kind 9). Callers
// compare these exact codes, so they are fixed values rather than made from a line.
#pragma once

namespace TasqueResult {
constexpr unsigned long kBackupCallbackNull = 0x010C7009;
constexpr unsigned long kDeleteImagePathNull = 0x01277009;
constexpr unsigned long kBackupTempPathNull = 0x01427009;
constexpr unsigned long kBackupOptionNull = 0x015D7009;
constexpr unsigned long kBackupProgressNull = 0x01917009;
constexpr unsigned long kRestoreImgInfoNull = 0x01B87009;
constexpr unsigned long kRestoreVersionsNull = 0x01D67009;
constexpr unsigned long kRestoreVolumesNull = 0x02027009;
constexpr unsigned long kRestoreCommentNull = 0x022E7009;
constexpr unsigned long kAddDiskRestoreNull = 0x02587009;
constexpr unsigned long kRestoreStringParamNull = 0x02807009;
constexpr unsigned long kAddRestoreNull = 0x029B7009;
constexpr unsigned long kRestoreCallbackNull = 0x02CE7009;
constexpr unsigned long kRestoreProgressNull = 0x02E97009;
constexpr unsigned long kRestoreIsPwdNull = 0x03127009;
constexpr unsigned long kRestorePasswordNull = 0x03317009;
constexpr unsigned long kCheckIsPwdNull = 0x03597009;
constexpr unsigned long kCheckPasswordNull = 0x03787009;
constexpr unsigned long kCheckImgInfoNull = 0x038F7009;
constexpr unsigned long kCheckVersionsNull = 0x03AD7009;
constexpr unsigned long kCheckVolumesNull = 0x03D97009;
constexpr unsigned long kCheckCommentNull = 0x04057009;
constexpr unsigned long kAddCheckNull = 0x042E7009;
constexpr unsigned long kCheckPromptNull = 0x04547009;
constexpr unsigned long kCheckProgressNull = 0x046F7009;
constexpr unsigned long kMountImageNull = 0x049A7009;
constexpr unsigned long kFindPartitionNull = 0x05217009;
constexpr unsigned long kGetDiskItemNull = 0x053E7009;
} // namespace TasqueResult
