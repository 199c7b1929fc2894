// What every group of the scripted command object shares: copying scripted records
// out the way the real object does, and the scripted-failure step of each call.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace scripted_tasque {

template <class Record, class Count>
inline void CopyOut(const std::vector<Record>& from, Record* buffer, unsigned long capacity, Count* count)
{
    if (count)
        *count = Count(from.size());
    if (buffer)
        std::memcpy(buffer, from.data(), std::min<size_t>(capacity, from.size()) * sizeof(Record));
}

// The comment is UTF-16 as stored: each unit goes out in one wide character.
template <class Count>
inline void CopyComment(const std::u16string& comment, wchar_t* buffer, unsigned long capacity, Count* length)
{
    const size_t n = std::min<size_t>(comment.size(), capacity ? capacity - 1 : 0);
    for (size_t i = 0; buffer && i < n; ++i)
        buffer[i] = wchar_t(comment[i]);
    if (buffer && capacity)
        buffer[n] = L'\0';
    if (length)
        *length = Count(n);
}

} // namespace scripted_tasque

// Each operation: record, answer a scripted failure, else forward or answer from
// the script.
#define SCRIPTED_FAIL(call, op)                                                                                  \
    unsigned long scriptedResult = 0;                                                                           \
    if (Failing(op, scriptedResult))                                                                            \
        return Done(call, scriptedResult);
