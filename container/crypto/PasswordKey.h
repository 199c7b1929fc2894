// The key, key length and vector block that an image set's password stands for, and
// the password digest kept in the image head.
//
//   unsigned long MakePasswordKey(const unsigned char* password, unsigned long byteCount,
//                                 unsigned long length, PasswordKey* out);
//   unsigned long SetPasswordKey(AesCipher* cipher, const unsigned char* password,
//                                unsigned long byteCount, unsigned long length);
//   unsigned long MakePasswordDigest(const unsigned char* password, unsigned long byteCount,
//                                    unsigned long length, unsigned char* digest);
//
// password: the password's bytes, byteCount of them readable (the image container
// passes its whole zeroed 272-byte buffer holding the UTF-8 form, the same under
// every locale); bytes past byteCount count as zeros. length: L, the password's
// character count, at most byteCount. password may be null only when byteCount is 0.
//
// The rule, kept as it is because every encrypted set on disk was written under it:
//   vector: a zeroed 32-byte block; the first min(L, 32) password bytes go to its start;
//           when L > 32, the bytes from 32 on, min(L - 32, 32) of them, go to its start
//           again, over the first ones. Its first 16 bytes are both IV and counter block.
//   key length: 32 bytes when L > 24, 24 when L > 16, else 16.
//   key: that many bytes from the start of the password (followed by zeros).
//   digest: MD5 over the first L password bytes (16 bytes written to digest).
//
// Results: 0, or a KS result code with module number 6 and kind 0x009 for a missing
// argument or a length greater than byteCount.
#pragma once

class AesCipher;

struct PasswordKey {
    enum : unsigned long { MaxKeyLength = 32, VectorSize = 16 };

    unsigned char key[MaxKeyLength]; // keyLength bytes used, the rest zero
    unsigned long keyLength;         // 16, 24 or 32
    unsigned char vector[VectorSize]; // the IV and the counter block alike
};

unsigned long MakePasswordKey(const unsigned char* password, unsigned long byteCount, unsigned long length,
                              PasswordKey* out);

// Keys the cipher and sets its IV and counter from the password.
unsigned long SetPasswordKey(AesCipher* cipher, const unsigned char* password, unsigned long byteCount,
                             unsigned long length);

unsigned long MakePasswordDigest(const unsigned char* password, unsigned long byteCount, unsigned long length,
                                 unsigned char* digest);
