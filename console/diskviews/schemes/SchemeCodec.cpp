#include "SchemeCodec.h"

#include <cstring>

#include "LittleEndian.h"

void EncodeSchemeInfo(const tagSCHEME_INFO& info, uint8_t (&out)[kSchemeInfoSize])
{
    StoreLE32(out + 0, info.u32Version);
    std::memcpy(out + 4, info.szSchemeName, kSchemeNameSize);
    StoreLE32(out + 264, info.u32MinimalDiskMB);
    std::memcpy(out + 268, info.reserved, sizeof(info.reserved));
}

void DecodeSchemeInfo(const uint8_t (&in)[kSchemeInfoSize], tagSCHEME_INFO& info)
{
    info.u32Version = LoadLE32(in + 0);
    std::memcpy(info.szSchemeName, in + 4, kSchemeNameSize);
    info.u32MinimalDiskMB = LoadLE32(in + 264);
    std::memcpy(info.reserved, in + 268, sizeof(info.reserved));
}

void EncodeSchemePartition(const tagSCHEME_PARTITION& record, uint8_t (&out)[kSchemePartitionSize])
{
    StoreLE32(out + 0, record.u32Reserved0);
    StoreLE32(out + 4, record.u32Type);
    StoreLE32(out + 8, record.u32FileSystem);
    std::memcpy(out + 12, record.szLabel, kSchemeLabelSize);
    StoreLE32(out + 268, record.u32Percent);
    StoreLE32(out + 272, record.u32MinimalMB);
    StoreLE32(out + 276, record.u32Default);
    StoreLE32(out + 280, record.u32Reserved280);
}

void DecodeSchemePartition(const uint8_t (&in)[kSchemePartitionSize], tagSCHEME_PARTITION& record)
{
    record.u32Reserved0 = LoadLE32(in + 0);
    record.u32Type = LoadLE32(in + 4);
    record.u32FileSystem = LoadLE32(in + 8);
    std::memcpy(record.szLabel, in + 12, kSchemeLabelSize);
    record.u32Percent = LoadLE32(in + 268);
    record.u32MinimalMB = LoadLE32(in + 272);
    record.u32Default = LoadLE32(in + 276);
    record.u32Reserved280 = LoadLE32(in + 280);
}
