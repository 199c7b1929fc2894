// OutputDebugStringA/W: kept for tests (the newest lines, at most kKeptLines) and
// echoed to standard error when RVD_DEBUG_OUTPUT is set, where a Windows debugger
// would show them.
#include "KSPlatformControl.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <deque>
#include <mutex>

namespace {

constexpr size_t kKeptLines = 10000;

std::mutex& LinesLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::deque<std::string>& Lines()
{
    static auto* lines = new std::deque<std::string>;
    return *lines;
}

void Keep(std::string text)
{
    if (std::getenv("RVD_DEBUG_OUTPUT"))
        std::fprintf(stderr, "%s", text.c_str());
    std::lock_guard<std::mutex> guard(LinesLock());
    Lines().push_back(std::move(text));
    if (Lines().size() > kKeptLines)
        Lines().pop_front();
}

} // namespace

extern "C" void WINAPI OutputDebugStringA(LPCSTR text)
{
    if (text)
        Keep(text);
}

// Characters the locale cannot show become "?".
extern "C" void WINAPI OutputDebugStringW(LPCWSTR text)
{
    if (!text)
        return;
    std::string narrow;
    char bytes[MB_LEN_MAX];
    std::mbstate_t state{};
    for (const wchar_t* c = text; *c; ++c) {
        const size_t n = std::wcrtomb(bytes, *c, &state);
        if (n == static_cast<size_t>(-1)) {
            narrow += '?';
            state = std::mbstate_t{};
        } else {
            narrow.append(bytes, n);
        }
    }
    Keep(std::move(narrow));
}

std::vector<std::string> KSPlatformDebugLines()
{
    std::lock_guard<std::mutex> guard(LinesLock());
    return {Lines().begin(), Lines().end()};
}

void KSPlatformClearDebugLines()
{
    std::lock_guard<std::mutex> guard(LinesLock());
    Lines().clear();
}
