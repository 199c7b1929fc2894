#include "TagRestoreInfo.h"

#include <cstring>

TagRestoreInfo::TagRestoreInfo() = default;

void TagRestoreInfo::SetVolumes(const std::vector<const _KS_VOLUME*>& chosen)
{
    // Copy first: an entry of chosen may point into the store being replaced.
    std::deque<_KS_VOLUME> store;
    std::vector<bool> diskRow;
    for (const _KS_VOLUME* v : chosen) {
        diskRow.push_back(v == nullptr);
        store.push_back(v ? *v : _KS_VOLUME{});
    }
    volumeStore.swap(store);
    volumes.clear();
    for (size_t i = 0; i < diskRow.size(); ++i)
        volumes.push_back(diskRow[i] ? nullptr : &volumeStore[i]);
}

void TagRestoreInfo::ClearVolumes()
{
    volumes.clear();
    volumeStore.clear();
}

const _KS_VOLUME* TagRestoreInfo::FirstVolume() const
{
    return volumes.empty() ? nullptr : volumes.front();
}

bool TagRestoreInfo::SetImagePath(const char* path)
{
    if (path == nullptr)
        return false;
    const size_t length = std::strlen(path);
    if (length >= sizeof(szImagePath))
        return false;
    std::memcpy(szImagePath, path, length + 1);
    return true;
}
