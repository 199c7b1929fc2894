// Test doubles of the command object's tests: an executor that records every record
// it is handed, and a disk enumeration that names disk 2 "\\.\PhysicalDrive3".
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ICensa.h"
#include "IOrdwell.h"
#include "command/KSCommandPayloads.h"

// The size of the reply record the command object hands in with each code.
inline size_t ReplyBytesOf(uint32_t code)
{
    switch (code) {
    case 11:
    case 13:
        return sizeof(KS_CMD_COUNT_REPLY);
    case 12:
        return sizeof(KS_CMD_DISK_INFO_REPLY);
    case 14:
        return sizeof(KS_CMD_PARTITION_INFO_REPLY);
    case 22: case 23: case 24: case 32: case 33: case 34:
        return sizeof(KS_CMD_LISTING_REPLY);
    case 47:
        return sizeof(KS_CMD_MOUNTED_REPLY);
    case 51:
    case 52:
        return sizeof(KS_CMD_ITEM_REPLY);
    default:
        return sizeof(KS_CMD_PROGRESS_REPLY);
    }
}

struct RecordedCommand {
    std::vector<uint8_t> request;  // the request's bytes, as many as its size field says
    bool hadHolder = false;
    std::vector<uint8_t> reply;    // the reply's bytes as handed in (size from the struct)
    int withProgress = -1;
};

class RecordingOrdwell final : public IOrdwell {
public:
    unsigned long Execute(_KS_CMD_PACKET* packet, _KS_CMD_PACKET** holder, int withProgress) override
    {
        RecordedCommand c;
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(packet);
        c.request.assign(bytes, bytes + packet->Size);
        c.hadHolder = holder != nullptr;
        if (holder != nullptr && *holder != nullptr) {
            const uint8_t* r = reinterpret_cast<const uint8_t*>(*holder);
            c.reply.assign(r, r + ReplyBytesOf(packet->Code));
        }
        c.withProgress = withProgress;
        commands.push_back(c);
        if (onExecute)
            onExecute(packet, holder);
        return result;
    }
    unsigned long Release() override
    {
        ++releases;
        return 0;
    }
    unsigned long MountImage(_KS_CMD_PACKET*) override { return 0; }
    unsigned long UnmountImage(_KS_CMD_PACKET*) override { return 0; }
    unsigned long EjectImage(_KS_CMD_PACKET*) override { return 0; }
    unsigned long GetMountedDisks(_KS_CMD_PACKET*, _KS_CMD_PACKET**) override { return 0; }

    std::vector<RecordedCommand> commands;
    unsigned long result = 0;
    int releases = 0;
    std::function<void(_KS_CMD_PACKET*, _KS_CMD_PACKET**)> onExecute;
};

class DriveThreeCensa final : public ICensa {
public:
    unsigned long Init() override { return 0; }
    unsigned long GetDiskCount(unsigned long long* count) override
    {
        *count = 3;
        return 0;
    }
    unsigned long GetDiskInfo(unsigned long long, _KS_DISK_INFO*) override { return 0; }
    unsigned long GetPartitionCount(unsigned long long, unsigned long long*) override { return 0; }
    unsigned long GetPartitionInfo(unsigned long long, unsigned long long, _KS_PARTITION_INFO*,
                                   unsigned long long*) override
    {
        return 0;
    }
    // Disk 2 is "\\.\PhysicalDrive3"; disk 0 and 1 keep their number; others are unknown.
    std::string GetDiskPath(unsigned long long disk) override
    {
        ++pathQueries;
        if (disk == 2)
            return "\\\\.\\PhysicalDrive3";
        if (disk < 2)
            return "\\\\.\\PhysicalDrive" + std::to_string(disk);
        return std::string();
    }
    unsigned long Stop() override { return 0; }
    int pathQueries = 0;
};

inline uint64_t ReadAt(const std::vector<uint8_t>& bytes, size_t offset, size_t width)
{
    uint64_t value = 0;
    if (offset + width <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, width);
    return value;
}
