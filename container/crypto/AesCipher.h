// AES block cipher (FIPS-197, 128/192/256-bit keys) with five block modes, used to
// encrypt the blobs of an image set.
//
//   unsigned long makeRoundKey(const unsigned char* key, unsigned long keyLength);
//   void          setIV(const unsigned char* iv);            // 16 bytes, or null to clear
//   void          setCounter(const unsigned char* counter);  // 16 bytes, or null to clear
//   unsigned long encrypt(const unsigned char* input, unsigned char* output,
//                         unsigned long length, unsigned long mode);
//   unsigned long decrypt(const unsigned char* input, unsigned char* output,
//                         unsigned long length, unsigned long mode);
//   void          encryptBlock(const unsigned char* input, unsigned char* output) const;
//   void          decryptBlock(const unsigned char* input, unsigned char* output) const;
//   static void   xorBlock(unsigned char* block, const unsigned char* other);
//   static int    incrCounter(unsigned char* block);
//
// Results are KS result codes with module number 6: 0 on success, kind 0x009 for a
// missing buffer, a bad key length, a length that is 0 or not a multiple of 16 or an
// unknown mode; kind 0x005 when the key, or the IV or counter the mode needs, is not set.
//
// Modes, on 16-byte blocks (P plain, X enciphered, E/D the block cipher):
//   0 ECB  X(i) = E(P(i))
//   1 CBC  X(i) = E(P(i) ^ X(i-1)),      X(-1) = IV
//   2 CFB  X(i) = P(i) ^ E(X(i-1)),      X(-1) = IV   (full-block feedback)
//   3 OFB  O(i) = E(O(i-1)), O(-1) = IV, X(i) = P(i) ^ O(i)
//   4 CTR  X(i) = P(i) ^ E(T(i)),        T(0) = counter, T(i+1) = incrCounter(T(i))
// Every encrypt and decrypt call starts again from the stored IV and counter; nothing
// carries over between calls. Input and output may be the same buffer (other overlaps
// are not supported).
//
// The class has no dependencies beyond the C++ core language, throws nothing and
// allocates nothing, so that it builds into the kernel driver too. One object is used
// by one thread at a time; objects share only the constant tables.
#pragma once

#include <cstdint>

class AesCipher {
public:
    enum : unsigned long {
        ModeEcb = 0,
        ModeCbc = 1,
        ModeCfb = 2,
        ModeOfb = 3,
        ModeCtr = 4,
    };
    enum : unsigned long { BlockSize = 16 };

    AesCipher();

    // Expands a 16, 24 or 32-byte key. On failure the object keeps its previous key.
    unsigned long makeRoundKey(const unsigned char* key, unsigned long keyLength);
    void setIV(const unsigned char* iv);
    void setCounter(const unsigned char* counter);

    unsigned long encrypt(const unsigned char* input, unsigned char* output, unsigned long length,
                          unsigned long mode);
    unsigned long decrypt(const unsigned char* input, unsigned char* output, unsigned long length,
                          unsigned long mode);

    // One block with the expanded key; input and output may be the same 16 bytes.
    void encryptBlock(const unsigned char* input, unsigned char* output) const;
    void decryptBlock(const unsigned char* input, unsigned char* output) const;

    // XORs the 16 bytes of other into block.
    static void xorBlock(unsigned char* block, const unsigned char* other);
    // Adds one to the 16-byte block taken as a little-endian number. Returns 1, or 0
    // when all 16 bytes wrapped round to zero.
    static int incrCounter(unsigned char* block);

    unsigned long keyLength() const { return keyLength_; }
    unsigned long rounds() const { return rounds_; }

private:
    enum : unsigned long { MaxRoundKeyWords = 4 * (14 + 1) };

    unsigned long checkCall(const unsigned char* input, const unsigned char* output,
                            unsigned long length, unsigned long mode) const;

    int keySet_;
    uint32_t encryptKeys_[MaxRoundKeyWords];
    uint32_t decryptKeys_[MaxRoundKeyWords]; // in the order the inverse cipher uses them
    unsigned long keyLength_;
    unsigned long rounds_;
    int ivSet_;
    unsigned char iv_[BlockSize];
    int counterSet_;
    unsigned char counter_[BlockSize];
};
