// Wildcard search and match. Both compare position by position with backtracking;
// a failure table built as for an exact search (Knuth-Morris-Pratt) gives wrong
// answers once "?" may match anything, so none is used.
#include "KSWideString.h"

#include <cwchar>

namespace {

bool SameCharacter(wchar_t textCharacter, wchar_t patternCharacter, bool caseSensitive)
{
    return caseSensitive ? textCharacter == patternCharacter : CompareWchar(textCharacter, patternCharacter) == 0;
}

} // namespace

int FindingString(const wchar_t* text, const wchar_t* pattern, int start)
{
    if (!text || !pattern || start < 0)
        return -1;
    const size_t textLength = std::wcslen(text);
    const size_t patternLength = std::wcslen(pattern);
    if (static_cast<size_t>(start) > textLength)
        return -1;
    if (patternLength == 0)
        return start;
    if (patternLength > textLength)
        return -1;
    for (size_t position = static_cast<size_t>(start); position + patternLength <= textLength; ++position) {
        size_t i = 0;
        while (i < patternLength && (pattern[i] == L'?' || pattern[i] == text[position + i]))
            ++i;
        if (i == patternLength)
            return static_cast<int>(position);
    }
    return -1;
}

BOOL MatchingString(const wchar_t* text, const wchar_t* pattern, int caseSensitive)
{
    if (!text || !pattern)
        return FALSE;
    const bool exact = caseSensitive != 0;
    // Greedy scan; on a mismatch, let the most recent "*" swallow one more character.
    // Earlier stars never need revisiting, so this stays linear in practice.
    const wchar_t* lastStar = nullptr;
    const wchar_t* textAfterStar = nullptr;
    while (*text) {
        if (*pattern == L'*') {
            lastStar = pattern++;
            textAfterStar = text;
        } else if (*pattern && (*pattern == L'?' || SameCharacter(*text, *pattern, exact))) {
            ++pattern;
            ++text;
        } else if (lastStar) {
            pattern = lastStar + 1;
            text = ++textAfterStar;
        } else {
            return FALSE;
        }
    }
    while (*pattern == L'*')
        ++pattern;
    return *pattern == L'\0' ? TRUE : FALSE;
}

BOOL MultiMatching(const wchar_t* text, const wchar_t* patterns, int requireAll, int caseSensitive)
{
    if (!text || !patterns)
        return FALSE;
    if (!*patterns)
        return TRUE;
    for (const wchar_t* pattern = patterns; *pattern; pattern += std::wcslen(pattern) + 1) {
        const bool matches = MatchingString(text, pattern, caseSensitive) != FALSE;
        if (matches && !requireAll)
            return TRUE;
        if (!matches && requireAll)
            return FALSE;
    }
    return requireAll ? TRUE : FALSE;
}
