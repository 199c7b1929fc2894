#include "CTargetWriter.h"

#include <cstring>

CTargetWriter::CTargetWriter(CRawDisk& disk, uint64_t firstSector, uint64_t sectorCount)
    : disk_(disk), start_(firstSector), count_(sectorCount), first_(512, 0)
{
}

bool CTargetWriter::Begin()
{
    const std::vector<unsigned char> zero(512, 0);
    return count_ != 0 && disk_.Write(zero.data(), start_, 1);
}

bool CTargetWriter::Write(const void* data, uint64_t volumeSector, uint64_t count)
{
    if (count == 0)
        return true;
    if (volumeSector >= count_ || count > count_ - volumeSector)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (volumeSector == 0) {
        std::memcpy(first_.data(), bytes, 512);
        held_ = true;
        bytes += 512;
        ++volumeSector;
        --count;
    }
    while (count != 0) {
        const unsigned long piece = static_cast<unsigned long>(count < 0x10000 ? count : 0x10000);
        if (!disk_.Write(bytes, start_ + volumeSector, piece))
            return false;
        bytes += static_cast<size_t>(piece) * 512;
        volumeSector += piece;
        count -= piece;
    }
    return true;
}

bool CTargetWriter::Read(void* buffer, uint64_t volumeSector, uint64_t count)
{
    if (volumeSector >= count_ || count > count_ - volumeSector)
        return false;
    if (!disk_.Read(buffer, start_ + volumeSector, static_cast<unsigned long>(count)))
        return false;
    if (volumeSector == 0 && held_)
        std::memcpy(buffer, first_.data(), 512);
    return true;
}

bool CTargetWriter::Finish()
{
    return held_ && disk_.Write(first_.data(), start_, 1);
}
