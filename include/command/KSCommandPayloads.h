// One record type per command code: the request, and the reply where the command has
// one. Each begins with the 84-byte header; the comments give payload offsets in the
// 64-bit builds. Pointers are the caller's own, passed through to the engines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "KSDiskInfo.h"
#include "command/KSCommandPacket.h"
#include "vessmar/AddPartitionParam.h"

// Callback of the backup, restore and check engines: (context, message, data).
typedef unsigned long (*KS_CMD_CALLBACK)(void* context, unsigned long message, void* data);

#pragma pack(push, 4)

// Codes 1, 2, 10, 26, 27, 29, 40, 42, 43 (and 11's request): the bare header.
struct KS_CMD_BARE {
    _KS_CMD_PACKET Header;
};

// 11 and 13 replies: a 64-bit count at +84.
struct KS_CMD_COUNT_REPLY {
    _KS_CMD_PACKET Header;
    KSCmdU64 Count;
};
// 12 and 13: the disk at +84.
struct KS_CMD_DISK_REQUEST {
    _KS_CMD_PACKET Header;
    KSCmdU64 Disk;
};
// 12 reply: the disk record at +84.
struct KS_CMD_DISK_INFO_REPLY {
    _KS_CMD_PACKET Header;
    _KS_DISK_INFO Info;
};
// 14: the disk at +84, the partition at +92.
struct KS_CMD_PARTITION_REQUEST {
    _KS_CMD_PACKET Header;
    KSCmdU64 Disk;
    KSCmdU64 Partition;
};
// 14 reply: the partition record at +84.
struct KS_CMD_PARTITION_INFO_REPLY {
    _KS_CMD_PACKET Header;
    _KS_PARTITION_INFO Info;
};

// 15, 16, 18, 19, 30, 36, 55, 57: one pointer at +84 (a record or a wide text).
struct KS_CMD_POINTER_REQUEST {
    _KS_CMD_PACKET Header;
    void* Pointer;
};
// 17, 28, 41: the callback at +84, its context at +92.
struct KS_CMD_CALLBACK_REQUEST {
    _KS_CMD_PACKET Header;
    KS_CMD_CALLBACK Callback;
    void* Context;
};
// 20, 45, 46, 54: one 32-bit value at +84.
struct KS_CMD_VALUE_REQUEST {
    _KS_CMD_PACKET Header;
    uint32_t Value;
};
// 20, 29, 42 replies: the caller's progress record at +84.
struct KS_CMD_PROGRESS_REPLY {
    _KS_CMD_PACKET Header;
    void* Progress;
};
// 21, 38: the version at +84, the wide image path at +92.
struct KS_CMD_IMG_INFO_REQUEST {
    _KS_CMD_PACKET Header;
    void* Version;
    void* Path;
};
// 22, 23, 24, 32, 33, 34: the capacity at +84, the image path or version at +88.
struct KS_CMD_LISTING_REQUEST {
    _KS_CMD_PACKET Header;
    uint32_t Capacity;
    void* Subject;
};
// Their replies: the caller's buffer at +84 and count at +92.
struct KS_CMD_LISTING_REPLY {
    _KS_CMD_PACKET Header;
    void* Buffer;
    void* Count;
};
// 25: the source volume at +84, the restore target at +92, the option at +100.
// 50: the source and target restore targets, and the flag.
struct KS_CMD_RESTORE_ITEM_REQUEST {
    _KS_CMD_PACKET Header;
    void* Source;
    void* Target;
    uint32_t Option;
};
// 31, 37: the wide password at +84, its length at +92.
struct KS_CMD_PASSWORD_REQUEST {
    _KS_CMD_PACKET Header;
    void* Password;
    uint32_t Length;
};
// 39: the volume at +84, then a zero word and a word nobody reads.
struct KS_CMD_ADD_CHECK_REQUEST {
    _KS_CMD_PACKET Header;
    void* Volume;
    uint32_t Zero;
    uint32_t Reserved;
};
// 44: image path +84, volume +92, letter index +100, password +104.
struct KS_CMD_MOUNT_REQUEST {
    _KS_CMD_PACKET Header;
    void* Image;
    void* Volume;
    uint32_t Letter;
    void* Password;
};
// 47: the caller's count at +84; its reply: the entry buffer at +84, the count at +92.
struct KS_CMD_MOUNTED_REQUEST {
    _KS_CMD_PACKET Header;
    void* Count;
};
struct KS_CMD_MOUNTED_REPLY {
    _KS_CMD_PACKET Header;
    void* Entries;
    void* Count;
};
// 48: the disk byte at +84 (three zero bytes and a zero word after it), the partition
// to create at +92, copied by value.
struct KS_CMD_ADD_PARTITION_REQUEST {
    _KS_CMD_PACKET Header;
    uint8_t Disk;
    uint8_t Zero[7];
    AddPartitionParam Param;
};
// 49, 51, 52, 56: the disk byte at +84, two 64-bit numbers at +92 and +100 (first
// sector and count; for 56 first and last sector; for 52 zero).
struct KS_CMD_DISK_RANGE_REQUEST {
    _KS_CMD_PACKET Header;
    uint8_t Disk;
    uint8_t Zero[7];
    KSCmdU64 First;
    KSCmdU64 Second;
};
// 51, 52 replies: where the item pointer goes, at +84.
struct KS_CMD_ITEM_REPLY {
    _KS_CMD_PACKET Header;
    void** Item;
};
// 53: four words at +84, +88, +92, +96 for the file-system check module.
struct KS_CMD_WORDS_REQUEST {
    _KS_CMD_PACKET Header;
    uint32_t Words[4];
};

#pragma pack(pop)

#define KS_CMD_AT(T, field, offset) static_assert(offsetof(T, field) == (offset), #T " layout")
// A field after a pointer: its offset as given holds where pointers have 8 bytes (the
// 32-bit Windows modules keep the same order with 4-byte pointers).
#define KS_CMD_AT_64(T, field, offset) \
    static_assert(sizeof(void*) != 8 || offsetof(T, field) == (offset), #T " 64-bit layout")
KS_CMD_AT(KS_CMD_COUNT_REPLY, Count, 84);
KS_CMD_AT(KS_CMD_DISK_REQUEST, Disk, 84);
KS_CMD_AT(KS_CMD_DISK_INFO_REPLY, Info, 84);
KS_CMD_AT(KS_CMD_PARTITION_REQUEST, Partition, 92);
KS_CMD_AT(KS_CMD_PARTITION_INFO_REPLY, Info, 84);
KS_CMD_AT(KS_CMD_POINTER_REQUEST, Pointer, 84);
KS_CMD_AT_64(KS_CMD_CALLBACK_REQUEST, Context, 92);
KS_CMD_AT(KS_CMD_VALUE_REQUEST, Value, 84);
KS_CMD_AT(KS_CMD_PROGRESS_REPLY, Progress, 84);
KS_CMD_AT_64(KS_CMD_IMG_INFO_REQUEST, Path, 92);
KS_CMD_AT(KS_CMD_LISTING_REQUEST, Subject, 88);
KS_CMD_AT_64(KS_CMD_LISTING_REPLY, Count, 92);
KS_CMD_AT_64(KS_CMD_RESTORE_ITEM_REQUEST, Target, 92);
KS_CMD_AT_64(KS_CMD_RESTORE_ITEM_REQUEST, Option, 100);
KS_CMD_AT_64(KS_CMD_PASSWORD_REQUEST, Length, 92);
KS_CMD_AT_64(KS_CMD_ADD_CHECK_REQUEST, Zero, 92);
KS_CMD_AT_64(KS_CMD_MOUNT_REQUEST, Letter, 100);
KS_CMD_AT_64(KS_CMD_MOUNT_REQUEST, Password, 104);
KS_CMD_AT_64(KS_CMD_MOUNTED_REPLY, Count, 92);
KS_CMD_AT(KS_CMD_ADD_PARTITION_REQUEST, Disk, 84);
KS_CMD_AT(KS_CMD_ADD_PARTITION_REQUEST, Param, 92);
KS_CMD_AT(KS_CMD_DISK_RANGE_REQUEST, First, 92);
KS_CMD_AT(KS_CMD_DISK_RANGE_REQUEST, Second, 100);
KS_CMD_AT(KS_CMD_ITEM_REPLY, Item, 84);
KS_CMD_AT(KS_CMD_WORDS_REQUEST, Words, 84);
#undef KS_CMD_AT
#undef KS_CMD_AT_64

static_assert(sizeof(KS_CMD_BARE) == 84, "layout");
static_assert(sizeof(KS_CMD_COUNT_REPLY) == 92, "layout");
static_assert(sizeof(KS_CMD_DISK_REQUEST) == 92, "layout");
static_assert(sizeof(KS_CMD_PARTITION_REQUEST) == 100, "layout");
static_assert(sizeof(KS_CMD_DISK_INFO_REPLY) == 84 + sizeof(_KS_DISK_INFO), "layout");
static_assert(sizeof(KS_CMD_PARTITION_INFO_REPLY) == 84 + sizeof(_KS_PARTITION_INFO), "layout");
static_assert(sizeof(KS_CMD_VALUE_REQUEST) == 88, "layout");
static_assert(sizeof(KS_CMD_DISK_RANGE_REQUEST) == 108, "layout");
static_assert(sizeof(KS_CMD_WORDS_REQUEST) == 100, "layout");
static_assert(sizeof(KS_CMD_ADD_PARTITION_REQUEST) == 92 + sizeof(AddPartitionParam), "layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_POINTER_REQUEST) == 92, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_CALLBACK_REQUEST) == 100, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_LISTING_REQUEST) == 96, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_LISTING_REPLY) == 100, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_RESTORE_ITEM_REQUEST) == 104, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_MOUNT_REQUEST) == 112, "64-bit layout");
static_assert(sizeof(void*) != 8 || sizeof(KS_CMD_ITEM_REPLY) == 92, "64-bit layout");

// The record type of each code's request.
typedef KS_CMD_BARE KS_CMD_BACKUP_EXECUTE, KS_CMD_BACKUP_USER_CANCEL, KS_CMD_ENUM_INIT, KS_CMD_ENUM_GET_DISK_COUNT,
    KS_CMD_RESTORE_EXECUTE, KS_CMD_RESTORE_USER_CANCEL, KS_CMD_RESTORE_GET_PROGRESS, KS_CMD_CHECK_EXECUTE,
    KS_CMD_CHECK_GET_PROGRESS, KS_CMD_CHECK_USER_CANCEL;
typedef KS_CMD_DISK_REQUEST KS_CMD_ENUM_GET_DISK_INFO, KS_CMD_ENUM_GET_PARTITION_COUNT;
typedef KS_CMD_PARTITION_REQUEST KS_CMD_ENUM_GET_PARTITION_INFO;
typedef KS_CMD_POINTER_REQUEST KS_CMD_BACKUP_SET_SOURCE, KS_CMD_BACKUP_ADD_FILTER, KS_CMD_BACKUP_SET_TEMP_PATH,
    KS_CMD_BACKUP_SET_OPTION, KS_CMD_RESTORE_IS_PWD_PROTECT, KS_CMD_CHECK_IS_PWD_PROTECT,
    KS_CMD_RESTORE_SET_STRING_PARAM, KS_CMD_DELETE_IMAGE_SET;
typedef KS_CMD_CALLBACK_REQUEST KS_CMD_BACKUP_SET_CALLBACK, KS_CMD_RESTORE_SET_CALLBACK,
    KS_CMD_CHECK_SET_PROMPT_CALL;
typedef KS_CMD_VALUE_REQUEST KS_CMD_BACKUP_GET_PROGRESS, KS_CMD_UNMOUNT_IMAGE, KS_CMD_EJECT_IMAGE,
    KS_CMD_RESTORE_SET_DISK_MODE;
typedef KS_CMD_IMG_INFO_REQUEST KS_CMD_RESTORE_SET_IMG_INFO, KS_CMD_CHECK_SET_IMG_INFO;
typedef KS_CMD_LISTING_REQUEST KS_CMD_RESTORE_GET_IMAGE_VERSIONS, KS_CMD_RESTORE_GET_IMG_VOLUMES,
    KS_CMD_RESTORE_GET_VER_COMMENT, KS_CMD_CHECK_GET_IMAGE_VERSIONS, KS_CMD_CHECK_GET_IMG_VOLUMES,
    KS_CMD_CHECK_GET_VER_COMMENT;
typedef KS_CMD_RESTORE_ITEM_REQUEST KS_CMD_ADD_RESTORE, KS_CMD_ADD_DISK_RESTORE;
typedef KS_CMD_PASSWORD_REQUEST KS_CMD_RESTORE_SET_PASSWORD, KS_CMD_CHECK_SET_PASSWORD;
typedef KS_CMD_ADD_CHECK_REQUEST KS_CMD_ADD_CHECK;
typedef KS_CMD_MOUNT_REQUEST KS_CMD_MOUNT_IMAGE;
typedef KS_CMD_MOUNTED_REQUEST KS_CMD_GET_MOUNTED_DISKS;
typedef KS_CMD_ADD_PARTITION_REQUEST KS_CMD_ADD_PARTITION;
typedef KS_CMD_DISK_RANGE_REQUEST KS_CMD_DELETE_PARTITION, KS_CMD_FIND_PARTITION, KS_CMD_GET_DISK_ITEM,
    KS_CMD_IS_BAD_DISK;
typedef KS_CMD_WORDS_REQUEST KS_CMD_CHECK_FILE_SYSTEM;
