#include "CofranSession.h"

#include <cstring>
#include <cwchar>

#include "CofranResult.h"
#include "PasswordKey.h"
#include "PasswordText.h"

namespace {
constexpr unsigned long kMaxPasswordBytes = 259;
} // namespace

CofranSession::CofranSession()
{
    std::memset(password, 0, sizeof password);
}

void CofranSession::ForgetPassword()
{
    std::memset(password, 0, sizeof password);
    passwordLength = 0;
}

unsigned long CofranSession::SetPassword(const wchar_t* text, unsigned long bytes)
{
    ForgetPassword();
    if (text == nullptr)
        return bytes == 0 ? 0 : COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    const size_t chars = std::wcslen(text);
    if (bytes > kMaxPasswordBytes || bytes % sizeof(wchar_t) != 0 || bytes / sizeof(wchar_t) != chars)
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    if (chars == 0)
        return 0;
    // UTF-8 whatever the locale: the key must not depend on the machine. The length
    // stays the character count, as sets written under a UTF-8 locale were keyed.
    unsigned long utf8Bytes = 0;
    if (!PasswordText::ToUtf8(text, password, sizeof password, &utf8Bytes))
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    passwordLength = static_cast<unsigned long>(chars);
    if (KSFailed(SetPasswordKey(&cipher, password, sizeof password, passwordLength))) {
        ForgetPassword();
        return COFRAN_FAIL(KS_KIND_BAD_ARGUMENT);
    }
    return 0;
}

bool CofranSession::PasswordMatches(const uint8_t digest[16]) const
{
    unsigned char own[16];
    return passwordLength != 0 && KSSucceeded(MakePasswordDigest(password, sizeof password, passwordLength, own)) &&
           std::memcmp(own, digest, sizeof own) == 0;
}

unsigned long CofranSession::CheckPassword(const _KS_IMG_HEAD& head) const
{
    if ((head.Flags & KS_FLAG_ENCRYPT_ALL) == 0)
        return 0;
    if (Use() == KS_OPEN_BACKUP && (openMode & KS_OPEN_NO_PASSWORD_CHECK) != 0)
        return 0;
    return PasswordMatches(head.PasswordDigest) ? 0 : COFRAN_FAIL(KS_KIND_WRONG_PASSWORD);
}
