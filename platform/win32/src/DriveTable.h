// The drive letters of the process and what stands behind each.
#pragma once

#include "KSPlatformControl.h"

#include <array>
#include <mutex>
#include <optional>

namespace ks_platform {

class DriveTable {
public:
    static DriveTable& Instance();

    bool Add(const KSDriveEntry& drive);
    bool Remove(char letter);
    void Clear();
    std::optional<KSDriveEntry> Find(char letter) const;
    // The drive named by a path that begins with "X:" (root or any path on it).
    std::optional<KSDriveEntry> FindForPath(const wchar_t* path) const;
    // Bit 0 for A, bit 1 for B, ...
    DWORD Letters() const;
    template <typename Visit>
    void ForEach(Visit visit) const
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (const std::optional<KSDriveEntry>& drive : drives_)
            if (drive)
                visit(*drive);
    }

private:
    mutable std::mutex lock_;
    std::array<std::optional<KSDriveEntry>, 26> drives_;
};

// 'A' to 'Z' for a letter of either case, 0 otherwise.
char DriveIndexLetter(wchar_t letter);

} // namespace ks_platform
