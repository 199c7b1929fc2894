// The command record that carries every operation from the command object (ITasque)
// to the command executor (IOrdwell) inside one process, and the command codes.
//
// A record is an 84-byte header followed by the command's payload; a reply has the same
// header. Records never leave the process, so payloads hold real pointers: 8 bytes in
// both 64-bit builds. Payload structs are packed to 4 so that the payload begins right
// after the 84-byte header and 64-bit numbers stay two 32-bit halves (low, then high).
// The size field holds sizeof the record, which may differ from the 32-bit sizes.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint32_t {
    KS_CMD_MAGIC = 0x4B424D43, // "CMBK" in memory
    KS_CMD_HEADER_SIZE = 84,
    KS_CMD_REPLY_FLAG = 1,
};

enum : uint32_t {
    TASQUE_CMD_BACKUP_EXECUTE = 1,
    TASQUE_CMD_BACKUP_USER_CANCEL = 2,
    TASQUE_CMD_ENUM_INIT = 10,
    TASQUE_CMD_ENUM_GET_DISK_COUNT = 11,
    TASQUE_CMD_ENUM_GET_DISK_INFO = 12,
    TASQUE_CMD_ENUM_GET_PARTITION_COUNT = 13,
    TASQUE_CMD_ENUM_GET_PARTITION_INFO = 14,
    TASQUE_CMD_BACKUP_SET_SOURCE = 15,
    TASQUE_CMD_BACKUP_ADD_FILTER = 16,
    TASQUE_CMD_BACKUP_SET_CALLBACK = 17,
    TASQUE_CMD_BACKUP_SET_TEMP_PATH = 18,
    TASQUE_CMD_BACKUP_SET_OPTION = 19,
    TASQUE_CMD_BACKUP_GET_PROGRESS = 20,
    TASQUE_CMD_RESTORE_SET_IMG_INFO = 21,
    TASQUE_CMD_RESTORE_GET_IMAGE_VERSIONS = 22,
    TASQUE_CMD_RESTORE_GET_IMG_VOLUMES = 23,
    TASQUE_CMD_RESTORE_GET_VER_COMMENT = 24,
    TASQUE_CMD_ADD_RESTORE = 25,
    TASQUE_CMD_RESTORE_EXECUTE = 26,
    TASQUE_CMD_RESTORE_USER_CANCEL = 27,
    TASQUE_CMD_RESTORE_SET_CALLBACK = 28,
    TASQUE_CMD_RESTORE_GET_PROGRESS = 29,
    TASQUE_CMD_RESTORE_IS_PWD_PROTECT = 30,
    TASQUE_CMD_RESTORE_SET_PASSWORD = 31,
    TASQUE_CMD_CHECK_GET_IMAGE_VERSIONS = 32,
    TASQUE_CMD_CHECK_GET_IMG_VOLUMES = 33,
    TASQUE_CMD_CHECK_GET_VER_COMMENT = 34,
    TASQUE_CMD_CHECK_PROGRESS_INFO = 35, // only the code of code 42's reply
    TASQUE_CMD_CHECK_IS_PWD_PROTECT = 36,
    TASQUE_CMD_CHECK_SET_PASSWORD = 37,
    TASQUE_CMD_CHECK_SET_IMG_INFO = 38,
    TASQUE_CMD_ADD_CHECK = 39,
    TASQUE_CMD_CHECK_EXECUTE = 40,
    TASQUE_CMD_CHECK_SET_PROMPT_CALL = 41,
    TASQUE_CMD_CHECK_GET_PROGRESS = 42,
    TASQUE_CMD_CHECK_USER_CANCEL = 43,
    TASQUE_CMD_MOUNT_IMAGE = 44,
    TASQUE_CMD_UNMOUNT_IMAGE = 45,
    TASQUE_CMD_EJECT_IMAGE = 46,
    TASQUE_CMD_GET_MOUNTED_DISKS = 47,
    TASQUE_CMD_ADD_PARTITION = 48,
    TASQUE_CMD_DELETE_PARTITION = 49,
    TASQUE_CMD_ADD_DISK_RESTORE = 50,
    TASQUE_CMD_FIND_PARTITION = 51,
    TASQUE_CMD_GET_DISK_ITEM = 52,
    TASQUE_CMD_CHECK_FILE_SYSTEM = 53,
    TASQUE_CMD_RESTORE_SET_DISK_MODE = 54,
    TASQUE_CMD_RESTORE_SET_STRING_PARAM = 55,
    TASQUE_CMD_IS_BAD_DISK = 56,
    TASQUE_CMD_DELETE_IMAGE_SET = 57,
    TASQUE_CMD_LAST = 57,
};

// The header every record starts with; it is also the type by which records travel.
struct _KS_CMD_PACKET {
    uint32_t Magic;        // +0  KS_CMD_MAGIC
    uint32_t Size;         // +4  sizeof the whole record
    uint32_t Code;         // +8  TASQUE_CMD_*
    uint16_t ReplyFlag;    // +12 0 in a request, KS_CMD_REPLY_FLAG in a filled reply
    uint16_t HeaderLength; // +14 always KS_CMD_HEADER_SIZE
    uint8_t Reserved[68];  // +16 zero, never read
};
static_assert(sizeof(_KS_CMD_PACKET) == KS_CMD_HEADER_SIZE, "the header is 84 bytes");
static_assert(offsetof(_KS_CMD_PACKET, Size) == 4, "layout");
static_assert(offsetof(_KS_CMD_PACKET, Code) == 8, "layout");
static_assert(offsetof(_KS_CMD_PACKET, ReplyFlag) == 12, "layout");
static_assert(offsetof(_KS_CMD_PACKET, HeaderLength) == 14, "layout");

// A 64-bit number as the record carries it: its low half, then its high half.
struct KSCmdU64 {
    uint32_t Low;
    uint32_t High;

    uint64_t Get() const { return (static_cast<uint64_t>(High) << 32) | Low; }
    void Set(uint64_t value)
    {
        Low = static_cast<uint32_t>(value);
        High = static_cast<uint32_t>(value >> 32);
    }
};
static_assert(sizeof(KSCmdU64) == 8 && alignof(KSCmdU64) == 4, "two 32-bit halves");

// Fills a header for a record of type T: magic, size, code, header length; the reply
// flag and the reserved bytes are left as they are (zero in a fresh record).
template <class T>
void KSCmdFillHeader(T& record, uint32_t code, uint16_t replyFlag = 0)
{
    record.Header.Magic = KS_CMD_MAGIC;
    record.Header.Size = static_cast<uint32_t>(sizeof(T));
    record.Header.Code = code;
    record.Header.ReplyFlag = replyFlag;
    record.Header.HeaderLength = KS_CMD_HEADER_SIZE;
}
