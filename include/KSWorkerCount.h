// How many worker threads a run takes, as the backup's and the checker's
// environment variables ask: one parser for both, so the same text means the
// same count. 0 (or no text) asks for one per processor; a count above kMost is
// cut to kMost; text that is not a plain whole number asks for the default, so a
// typing slip never stops a run nor makes it start threads without bound.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <thread>

namespace worker_count {

constexpr unsigned kMost = 64;

// The count a variable's text asks for: 1 to kMost, or 0 for one per processor.
inline unsigned FromText(const char* text)
{
    if (text == nullptr || *text < '0' || *text > '9')
        return 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long count = std::strtoul(text, &end, 10);
    if (*end != '\0')
        return 0;
    if (errno == ERANGE || count > kMost)
        return kMost;
    return static_cast<unsigned>(count);
}

// The threads to start for a count asked: 0 takes one per processor; never
// more than kMost, never none.
inline unsigned Resolve(unsigned asked)
{
    unsigned count = asked != 0 ? asked : std::thread::hardware_concurrency();
    if (count == 0)
        count = 1;
    return count > kMost ? kMost : count;
}

} // namespace worker_count
