// Constant lookup tables of the AES block cipher (FIPS-197), shared read-only by every
// AesCipher object. They are computed by the compiler from the field arithmetic, so
// nothing runs at start-up and no object ever writes them.
//
// Word layout: a state column is a 32-bit word with its first byte in bits 24..31.
//   encrypt[0][x] = {2*S[x], S[x], S[x], 3*S[x]}, encrypt[n] = encrypt[0] rotated right by 8*n
//   decrypt[0][x] = {14*Si[x], 9*Si[x], 13*Si[x], 11*Si[x]}, decrypt[n] likewise rotated
// so that one round is sixteen table look-ups and XORs.
#pragma once

#include <cstdint>

struct AesTables {
    uint8_t sbox[256];
    uint8_t inverseSbox[256];
    uint32_t encrypt[4][256];
    uint32_t decrypt[4][256];
    uint32_t roundConstants[10]; // first byte of the word, as the key schedule XORs it
};

extern const AesTables kAesTables;
