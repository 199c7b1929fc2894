#include "PasswordKey.h"

#include <cstring>

#include "AesCipher.h"
#include "KSResult.h"
#include "md5.h"

namespace {

bool ValidPassword(const unsigned char* password, unsigned long byteCount, unsigned long length)
{
    return (password != nullptr || byteCount == 0) && length <= byteCount;
}

// Copies count password bytes from offset on, taking bytes past byteCount as zeros.
void CopyPasswordBytes(unsigned char* to, const unsigned char* password, unsigned long byteCount,
                       unsigned long offset, unsigned long count)
{
    for (unsigned long i = 0; i < count; ++i)
        to[i] = offset + i < byteCount ? password[offset + i] : 0;
}

unsigned long MinOf(unsigned long a, unsigned long b) { return a < b ? a : b; }

} // namespace

unsigned long MakePasswordKey(const unsigned char* password, unsigned long byteCount, unsigned long length,
                              PasswordKey* out)
{
    if (out == nullptr || !ValidPassword(password, byteCount, length))
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);

    unsigned char block[32] = {};
    CopyPasswordBytes(block, password, byteCount, 0, MinOf(length, 32));
    if (length > 32)
        CopyPasswordBytes(block, password, byteCount, 32, MinOf(length - 32, 32));
    std::memcpy(out->vector, block, PasswordKey::VectorSize);

    out->keyLength = length > 24 ? 32 : length > 16 ? 24 : 16;
    std::memset(out->key, 0, sizeof out->key);
    CopyPasswordBytes(out->key, password, byteCount, 0, out->keyLength);
    return 0;
}

unsigned long SetPasswordKey(AesCipher* cipher, const unsigned char* password, unsigned long byteCount,
                             unsigned long length)
{
    if (cipher == nullptr)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    PasswordKey key;
    const unsigned long result = MakePasswordKey(password, byteCount, length, &key);
    if (KSFailed(result))
        return result;
    const unsigned long keyResult = cipher->makeRoundKey(key.key, key.keyLength);
    if (KSFailed(keyResult))
        return keyResult;
    cipher->setIV(key.vector);
    cipher->setCounter(key.vector);
    return 0;
}

unsigned long MakePasswordDigest(const unsigned char* password, unsigned long byteCount, unsigned long length,
                                 unsigned char* digest)
{
    if (digest == nullptr || !ValidPassword(password, byteCount, length))
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    md5 hash;
    const unsigned long result = hash.Update(password, length);
    if (KSFailed(result))
        return result;
    hash.Finalize();
    std::memcpy(digest, hash.Digest(), md5::DigestSize);
    return 0;
}
