// Test helper: a volume held in memory behind the readers' sector callbacks. Reads
// past the end fail; writes are recorded with their mode, in call order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "KSResult.h"
#include "LittleEndian.h"

class VolumeImage {
public:
    static constexpr unsigned long kReadFailure = 0x00010106;
    static constexpr unsigned long kWriteFailure = 0x00020107;

    struct Write {
        uint64_t first;
        unsigned long count;
        unsigned long mode;
        std::vector<unsigned char> data;
    };

    VolumeImage() = default;
    explicit VolumeImage(std::vector<unsigned char> bytes) : bytes(std::move(bytes)) {}

    // The volume of sectorCount sectors (0: up to the end) from sector firstSector of
    // an image file; empty when the file does not hold it.
    static VolumeImage FromFile(const std::string& path, uint64_t firstSector = 0, uint64_t sectorCount = 0)
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr)
            return VolumeImage();
        std::fseek(f, 0, SEEK_END);
        const uint64_t fileSize = static_cast<uint64_t>(std::ftell(f));
        const uint64_t begin = firstSector * 512;
        const uint64_t end = sectorCount == 0 ? fileSize : begin + sectorCount * 512;
        VolumeImage image;
        if (begin < end && end <= fileSize) {
            image.bytes.resize(static_cast<size_t>(end - begin));
            std::fseek(f, static_cast<long>(begin), SEEK_SET);
            if (std::fread(image.bytes.data(), 1, image.bytes.size(), f) != image.bytes.size())
                image.bytes.clear();
        }
        std::fclose(f);
        return image;
    }

    struct Partition {
        uint64_t start = 0;
        uint64_t sectors = 0;
    };
    // The first partition of an MBR disk image.
    static Partition FirstPartition(const std::string& path)
    {
        unsigned char mbr[512] = {};
        Partition p;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr)
            return p;
        const size_t got = std::fread(mbr, 1, sizeof mbr, f);
        std::fclose(f);
        if (got == sizeof mbr) {
            p.start = LoadLE32(mbr + 446 + 8);
            p.sectors = LoadLE32(mbr + 446 + 12);
        }
        return p;
    }

    static unsigned long Read(void* context, unsigned long long first, unsigned long count, void* buffer)
    {
        VolumeImage* self = static_cast<VolumeImage*>(context);
        ++self->readCalls;
        if (self->failReads)
            return kReadFailure;
        const uint64_t begin = first * 512;
        const uint64_t length = static_cast<uint64_t>(count) * 512;
        if (begin > self->bytes.size() || length > self->bytes.size() - begin)
            return kReadFailure;
        std::memcpy(buffer, self->bytes.data() + begin, static_cast<size_t>(length));
        return 0;
    }

    static unsigned long WriteRecord(void* context, unsigned long long first, unsigned long count, void* buffer,
                                     unsigned long mode)
    {
        VolumeImage* self = static_cast<VolumeImage*>(context);
        if (self->failWriteAfter >= 0 && static_cast<long>(self->writes.size()) >= self->failWriteAfter)
            return kWriteFailure;
        const unsigned char* data = static_cast<const unsigned char*>(buffer);
        self->writes.push_back(Write{first, count, mode, std::vector<unsigned char>(data, data + count * 512)});
        return 0;
    }

    std::vector<unsigned char> bytes;
    std::vector<Write> writes;
    bool failReads = false;
    long failWriteAfter = -1;
    unsigned long readCalls = 0;
};
