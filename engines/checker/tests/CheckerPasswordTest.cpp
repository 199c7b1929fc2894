// The checker takes a password's length in bytes (characters x sizeof(wchar_t),
// without the terminator), hands the container exactly that, and never reads past
// what it was given.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "CheckerTestSupport.h"
#include "IKSCheck.h"

namespace {

constexpr int kChar = static_cast<int>(sizeof(wchar_t));

// A protected fake set whose password is right.
FakeCofran* LockedSet(const std::wstring& right)
{
    FakeCofran* set = FakeCofran::OneVolumeSet(kFakeSetFolder, 1, {1});
    set->encrypted = true;
    set->password = right;
    return set;
}

// The text in a heap block of exactly its characters, no terminator: a read past the
// given length is caught by the address sanitizer.
std::unique_ptr<wchar_t[]> Unterminated(const std::wstring& text)
{
    std::unique_ptr<wchar_t[]> block(new wchar_t[text.size() > 0 ? text.size() : 1]);
    std::wmemcpy(block.get(), text.data(), text.size());
    return block;
}

} // namespace

TEST(CheckerPassword, TheLengthIsBytesOfWholeCharactersWithinTheField)
{
    const std::wstring longest(KS_CHECK_PASSWORD_CHARS, L'k');
    struct Case {
        const char* what;
        std::wstring right;   // the set's password
        std::wstring given;   // the text handed over
        int bytes;            // the length handed over
        bool terminated;      // the text ends with a zero after the given characters
        unsigned long answer;
    } cases[] = {
        {"the right text in bytes", L"secret", L"secret", 6 * kChar, true, 1},
        {"the right text without a terminator", L"secret", L"secret", 6 * kChar, false, 1},
        {"a wrong text in bytes", L"secret", L"secreT", 6 * kChar, true, 0},
        {"one character short", L"secret", L"secret", 5 * kChar, false, 0},
        {"nothing given", L"secret", L"", 0, true, 0},
        {"64 characters fill the field", longest, longest, KS_CHECK_PASSWORD_CHARS * kChar, false, 1},
        // The length a caller counting characters sends is not whole characters.
        {"characters sent as the length", L"secret", L"secret", 6, true, 0x00D5A009},
        {"a byte short of a character", L"secret", L"secret", 6 * kChar - 1, false, 0x00D5A009},
        // The terminator counted in: the text ends before the length does.
        {"the terminator counted", L"secret", std::wstring(L"secret") + L'\0', 7 * kChar, false, 0x00D5A009},
        {"65 characters", longest, longest + L"k", (KS_CHECK_PASSWORD_CHARS + 1) * kChar, false, 0x00D3A009},
        {"a negative length", L"secret", L"secret", -kChar, true, 0x00D3A009},
    };
    for (const Case& k : cases) {
        FakeChecker c(LockedSet(k.right));
        std::wstring path = c.LastPath();
        ASSERT_EQ(1u, c.check->IsPwdProtect(&path[0])) << k.what;
        const int opensBefore = c.fake->opens;
        unsigned long answer = 0;
        if (k.terminated) {
            std::wstring text = k.given;
            answer = c.check->SetPassword(&text[0], k.bytes);
        } else {
            std::unique_ptr<wchar_t[]> text = Unterminated(k.given);
            answer = c.check->SetPassword(text.get(), k.bytes);
        }
        EXPECT_EQ(k.answer, answer) << k.what;
        if (k.answer == 1) {
            // The container got the very length given, and later opens use it too.
            EXPECT_EQ(static_cast<unsigned long>(k.bytes), c.fake->lastPasswordBytes) << k.what;
            int count = 0;
            EXPECT_EQ(0u, c.check->GetImageVersions(nullptr, 0, &count, &path[0])) << k.what;
            EXPECT_EQ(static_cast<unsigned long>(k.bytes), c.fake->lastPasswordBytes) << k.what;
        } else if (k.answer != 0) {
            // Refused before the container is asked.
            EXPECT_EQ(opensBefore, c.fake->opens) << k.what;
        }
    }
}

TEST(CheckerPassword, ARefusedLengthLeavesASettledPasswordInPlace)
{
    FakeChecker c(LockedSet(L"secret"));
    std::wstring path = c.LastPath();
    ASSERT_EQ(1u, c.check->IsPwdProtect(&path[0]));
    std::wstring right = L"secret";
    ASSERT_EQ(1u, c.check->SetPassword(&right[0], 6 * kChar));
    std::wstring other = L"other";
    EXPECT_EQ(0x00D5A009u, c.check->SetPassword(&other[0], 5));
    _KS_VERSION version = c.fake->versions[0];
    EXPECT_EQ(0u, c.check->SetImgInfo(&version, &path[0]));
    EXPECT_EQ(6u * sizeof(wchar_t), c.fake->lastPasswordBytes);
}
