#include "CCofranInfo.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ITasque.h"
#include "ImagePath.h"

std::string GetTimeString(int64_t time)
{
    _KS_TIME_STAMP stamp;
    static_assert(sizeof stamp == sizeof time, "the time stamp is the eight bytes of the value");
    std::memcpy(&stamp, &time, sizeof stamp);
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d %02d:%02d:%02d", stamp.Month, stamp.Day, stamp.Year, stamp.Hour,
                  stamp.Minute, stamp.Second);
    return text;
}

CCofranInfo::~CCofranInfo()
{
    DropVersions();
}

void CCofranInfo::DropVersions()
{
    delete[] m_versions;
    // Cleared, so that a query that finds nothing does not leave a freed array behind
    // for the destructor (or the next query) to free again.
    m_versions = nullptr;
}

std::string CCofranInfo::TimeOfLastVersion(unsigned long count)
{
    std::string text;
    for (unsigned long i = 0; i < count; ++i) {
        int64_t time = 0;
        std::memcpy(&time, &m_versions[i].Time, sizeof time);
        text = GetTimeString(time);
    }
    return text;
}

std::string CCofranInfo::QueryVersions(const VersionQuery& query)
{
    std::setlocale(LC_ALL, "");
    long count = 0;
    query(nullptr, 0, &count);
    DropVersions();
    if (count < 1)
        return std::string();
    m_versions = new _KS_VERSION[static_cast<size_t>(count)]();
    long fetched = count;
    query(m_versions, static_cast<unsigned long>(count), &fetched);
    return TimeOfLastVersion(static_cast<unsigned long>(fetched >= 0 && fetched < count ? fetched : count));
}

std::string CCofranInfo::GetFileInfo(ITasque* cmd, const char* path)
{
    std::vector<wchar_t> wide = WidePathFor(path, kPathCharacters);
    return QueryVersions([&](_KS_VERSION* buffer, unsigned long capacity, long* count) {
        unsigned long n = static_cast<unsigned long>(*count);
        if (cmd != nullptr)
            cmd->RestoreGetImageVersions(buffer, capacity, &n, wide.data());
        *count = cmd != nullptr ? static_cast<long>(n) : 0;
    });
}

std::string CCofranInfo::GetCheckFileInfo(ITasque* cmd, const char* path)
{
    std::vector<wchar_t> wide = WidePathFor(path, kPathCharacters);
    return QueryVersions([&](_KS_VERSION* buffer, unsigned long capacity, long* count) {
        int n = static_cast<int>(*count);
        if (cmd != nullptr)
            cmd->CheckGetImageVersions(buffer, capacity, &n, wide.data());
        *count = cmd != nullptr ? n : 0;
    });
}
