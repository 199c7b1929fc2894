// The date line of an image set on the image-selection pages: the time of the set's
// last backup version, asked of the command object. The version list is kept until the
// next query or the object's end.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "KSImageFormat.h"

class ITasque;

// The eight bytes of time read as a backup time stamp (year, month, day, hour, minute,
// second), written "MM-DD-YYYY hh:mm:ss".
std::string GetTimeString(int64_t time);

class CCofranInfo {
public:
    static constexpr size_t kPathCharacters = 520;

    CCofranInfo() = default;
    ~CCofranInfo();
    CCofranInfo(const CCofranInfo&) = delete;
    CCofranInfo& operator=(const CCofranInfo&) = delete;

    // Through the restore group, and through the check-image group. Empty when the path
    // names no set or the set has no version.
    std::string GetFileInfo(ITasque* cmd, const char* path);
    std::string GetCheckFileInfo(ITasque* cmd, const char* path);

    // The versions of the last query; null when it found none.
    const _KS_VERSION* HeldVersions() const { return m_versions; }

private:
    // Asks for the count (null buffer), then for the versions; count in and out.
    using VersionQuery = std::function<void(_KS_VERSION* buffer, unsigned long capacity, long* count)>;
    std::string QueryVersions(const VersionQuery& query);
    // Forgets the versions of the last query.
    void DropVersions();
    std::string TimeOfLastVersion(unsigned long count);

    _KS_VERSION* m_versions = nullptr;
};
