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

std::string CCofranInfo::GetFileInfo(ITasque* cmd, const char* path)
{
    std::setlocale(LC_ALL, "");
    std::vector<wchar_t> wide = WidePathFor(path, kPathCharacters);
    unsigned long count = 0;
    if (cmd != nullptr)
        cmd->RestoreGetImageVersions(nullptr, 0, &count, wide.data());
    DropVersions();
    if (cmd == nullptr || count < 1)
        return std::string();
    m_versions = new _KS_VERSION[count]();
    unsigned long fetched = count;
    cmd->RestoreGetImageVersions(m_versions, count, &fetched, wide.data());
    return TimeOfLastVersion(fetched < count ? fetched : count);
}

std::string CCofranInfo::GetCheckFileInfo(ITasque* cmd, const char* path)
{
    std::setlocale(LC_ALL, "");
    std::vector<wchar_t> wide = WidePathFor(path, kPathCharacters);
    int count = 0;
    if (cmd != nullptr)
        cmd->CheckGetImageVersions(nullptr, 0, &count, wide.data());
    DropVersions();
    if (cmd == nullptr || count < 1)
        return std::string();
    m_versions = new _KS_VERSION[count]();
    int fetched = count;
    cmd->CheckGetImageVersions(m_versions, static_cast<unsigned long>(count), &fetched, wide.data());
    const int shown = fetched >= 0 && fetched < count ? fetched : count;
    return TimeOfLastVersion(static_cast<unsigned long>(shown));
}
