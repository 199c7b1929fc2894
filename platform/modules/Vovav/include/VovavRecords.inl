// The codecs of VovavRecords.h; inline, so that the restore engine and Vovav share
// them without linking each other.
#pragma once

#include <cstring>

#include "LittleEndian.h"

inline void KSStoreBootIniOption(const KSBootIniOption& option, unsigned char out[KS_BOOTINI_OPTION_BYTES])
{
    std::memset(out, 0, KS_BOOTINI_OPTION_BYTES);
    StoreLE32(out, option.oldArc);
    StoreLE32(out + 4, option.disk);
    StoreLE64(out + 8, option.firstSector);
    out[16] = option.letter;
    for (size_t i = 0; i < KS_BOOTINI_PATH_CHARS; ++i)
        StoreLE16(out + 20 + 2 * i, static_cast<uint16_t>(option.volumePath[i]));
}

inline KSBootIniOption KSLoadBootIniOption(const unsigned char in[KS_BOOTINI_OPTION_BYTES])
{
    KSBootIniOption option;
    option.oldArc = LoadLE32(in);
    option.disk = LoadLE32(in + 4);
    option.firstSector = LoadLE64(in + 8);
    option.letter = in[16];
    for (size_t i = 0; i < KS_BOOTINI_PATH_CHARS; ++i)
        option.volumePath[i] = static_cast<char16_t>(LoadLE16(in + 20 + 2 * i));
    option.volumePath[KS_BOOTINI_PATH_CHARS - 1] = 0;
    return option;
}

inline void KSStoreBcdOption(const KSBcdOption& option, unsigned char out[KS_BCD_OPTION_BYTES])
{
    std::memset(out, 0, KS_BCD_OPTION_BYTES);
    StoreLE32(out, option.newSignature);
    StoreLE32(out + 4, option.oldSignature);
    StoreLE64(out + 8, option.oldFirstSector);
    StoreLE64(out + 16, option.newFirstSector);
    StoreLE32(out + 24, option.disk);
    out[28] = option.letter;
    out[29] = option.boot;
    for (size_t i = 0; i < KS_BCD_PATH_CHARS; ++i)
        StoreLE16(out + 32 + 2 * i, static_cast<uint16_t>(option.volumePath[i]));
}

inline KSBcdOption KSLoadBcdOption(const unsigned char in[KS_BCD_OPTION_BYTES])
{
    KSBcdOption option;
    option.newSignature = LoadLE32(in);
    option.oldSignature = LoadLE32(in + 4);
    option.oldFirstSector = LoadLE64(in + 8);
    option.newFirstSector = LoadLE64(in + 16);
    option.disk = LoadLE32(in + 24);
    option.letter = in[28];
    option.boot = in[29];
    for (size_t i = 0; i < KS_BCD_PATH_CHARS; ++i)
        option.volumePath[i] = static_cast<char16_t>(LoadLE16(in + 32 + 2 * i));
    option.volumePath[KS_BCD_PATH_CHARS - 1] = 0;
    return option;
}
