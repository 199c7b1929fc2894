// A disk in memory for arrival tests: every sector starts with the low byte of its
// own number, so a read shows where it came from; one control code of its own
// (kOwnerCode answers "OWNR") shows what reached the disk's owner.
#pragma once

#include <KSPlatformControl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

class MemoryDisk : public KSDevice {
public:
    static constexpr DWORD kOwnerCode = 0x002AC00Cu;

    MemoryDisk(unsigned sectors, unsigned char fill) : bytes(size_t{sectors} * 512, fill)
    {
        for (unsigned s = 0; s < sectors; ++s)
            bytes[size_t{s} * 512] = static_cast<unsigned char>(s);
    }
    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        ++requests;
        done = offset >= bytes.size() ? 0 : static_cast<DWORD>(std::min<uint64_t>(size, bytes.size() - offset));
        std::memcpy(buffer, bytes.data() + offset, done);
        return ERROR_SUCCESS;
    }
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        ++requests;
        if (offset + size > bytes.size())
            return done = 0, ERROR_SECTOR_NOT_FOUND;
        std::memcpy(bytes.data() + offset, data, size);
        done = size;
        return ERROR_SUCCESS;
    }
    DWORD Control(DWORD code, const void*, DWORD, void* out, DWORD outSize, DWORD& returned) override
    {
        ++requests;
        returned = 0;
        if (code != kOwnerCode || outSize < 4)
            return ERROR_INVALID_FUNCTION;
        std::memcpy(out, "OWNR", 4);
        returned = 4;
        return ERROR_SUCCESS;
    }
    uint64_t Size() const override { return bytes.size(); }

    // A DOS partition table entry in sector `table` slot `slot`.
    void Entry(unsigned table, int slot, unsigned char type, uint32_t first, uint32_t count, bool active = false)
    {
        unsigned char* entry = bytes.data() + size_t{table} * 512 + 446 + 16 * slot;
        entry[0] = active ? 0x80 : 0;
        entry[4] = type;
        for (int i = 0; i < 4; ++i) {
            entry[8 + i] = static_cast<unsigned char>(first >> (8 * i));
            entry[12 + i] = static_cast<unsigned char>(count >> (8 * i));
        }
        bytes[size_t{table} * 512 + 510] = 0x55;
        bytes[size_t{table} * 512 + 511] = 0xAA;
    }

    std::vector<unsigned char> bytes;
    std::atomic<unsigned> requests{0};
};

// The first byte of a sector read through an open device (a MemoryDisk's sector
// number); 0xEE when the read fails.
inline unsigned char FirstByteOfSector(HANDLE device, LONGLONG sector)
{
    LARGE_INTEGER to;
    to.QuadPart = sector * 512;
    unsigned char data[512];
    data[0] = 0xEE;
    DWORD read = 0;
    if (!SetFilePointerEx(device, to, nullptr, FILE_BEGIN) || !ReadFile(device, data, 512, &read, nullptr) ||
        read != 512)
        return 0xEE;
    return data[0];
}
