#include "KSResult.h"
#include "KSWideString.h"

#include <climits>

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Copies up to and including the terminator, at most count units; a copy that fills
// count units without a terminator gets its last unit replaced by one.
template <typename To, typename From, typename Convert>
unsigned long CopyTerminated(To* destination, unsigned long count, const From* source, Convert convert)
{
    if (!destination || !source || count == 0)
        return KS_RESULT(KS_MODULE_HELPERS, KS_KIND_BAD_ARGUMENT);
    for (unsigned long i = 0; i < count; ++i) {
        destination[i] = convert(source[i]);
        if (source[i] == 0)
            return 0;
    }
    destination[count - 1] = 0;
    return 0;
}

// One wide character as one UTF-16 unit. Where wchar_t is itself a 2-byte unit
// (Windows) it passes unchanged; where it is wider, a character beyond one unit is
// not split into a surrogate pair but becomes U+FFFD rather than its low 16 bits,
// which would be a different character or even an early terminator. A template, so
// that only the branch for the platform's width is compiled.
template <typename WideChar>
char16_t ToUtf16Unit(WideChar c)
{
    if constexpr (sizeof(WideChar) > sizeof(char16_t))
        return c >= 0 && c <= 0xFFFF ? static_cast<char16_t>(c) : kReplacementCharacter;
    else
        return static_cast<char16_t>(c);
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

} // namespace

unsigned long UINT16towcs(wchar_t* destination, unsigned long count, const char16_t* source)
{
    return CopyTerminated(destination, count, source, [](char16_t unit) { return static_cast<wchar_t>(unit); });
}

unsigned long wcstoUINT16(char16_t* destination, unsigned long count, const wchar_t* source)
{
    return CopyTerminated(destination, count, source, [](wchar_t c) { return ToUtf16Unit(c); });
}

int CompareWchar(wchar_t a, wchar_t b)
{
    const long long difference = static_cast<long long>(FoldAscii(a)) - static_cast<long long>(FoldAscii(b));
    if (difference > INT_MAX)
        return INT_MAX;
    if (difference < INT_MIN)
        return INT_MIN;
    return static_cast<int>(difference);
}
