#include "ImageVolumeRows.h"

#include <algorithm>
#include <map>

#include "ITasque.h"
#include "ImagePath.h"
#include "ListText.h"
#include "PartitionRules.h"
#include "RecoveryEnv.h"

namespace {

constexpr size_t kImagePathCharacters = 272;
constexpr size_t kLabelUnits = sizeof(_KS_VOLUME::Label) / sizeof(char16_t);

} // namespace

VolumeRowTexts ImageVolumeRowTexts(const _KS_VOLUME& volume, bool replaceNegativeUnused)
{
    VolumeRowTexts out;
    out.partition = "*: " + ListLabelText(volume.Label, kLabelUnits);
    out.type = GetFileSystem(GetFileSysTypeFromVoltype(volume.FileSystem), volume.PartitionType);
    const long long total = static_cast<long long>(volume.TotalSectors);
    const long long used = static_cast<long long>(volume.UsedSectors);
    out.size = GetFileSizeString(total * 512);
    out.used = GetFileSizeString(used * 512);
    out.unused = replaceNegativeUnused && used > total ? "0.00KB" : GetFileSizeString((total - used) * 512);
    out.status = (volume.Flags & 0x01) != 0 ? "Active" : "None";
    out.priLog = (volume.Flags & 0x20) != 0 ? "Primary" : "Logical";
    return out;
}

std::vector<ImageDiskVolumes> GroupImageVolumes(const std::vector<_KS_VOLUME>& volumes)
{
    std::map<int, std::vector<size_t>> byDisk;
    for (size_t i = 0; i < volumes.size(); ++i)
        byDisk[volumes[i].DiskNumber].push_back(i);
    std::vector<ImageDiskVolumes> out;
    for (auto& [disk, records] : byDisk)
        out.push_back(ImageDiskVolumes{disk, records});
    return out;
}

std::vector<_KS_VOLUME> FetchImageVolumes(ITasque* cmd, const char* path, _KS_VERSION* version, bool checkGroup,
                                          int* lastCount)
{
    if (lastCount != nullptr)
        *lastCount = 0;
    std::vector<_KS_VOLUME> volumes;
    if (cmd == nullptr || path == nullptr || version == nullptr)
        return volumes;
    std::vector<wchar_t> wide = WidePathFor(path, kImagePathCharacters);
    long count = 0;
    if (checkGroup) {
        int n = 0;
        cmd->CheckSetImgInfo(version, wide.data());
        cmd->CheckGetImgVolumes(nullptr, 0, &n, version);
        count = n;
    } else {
        unsigned long n = 0;
        cmd->RestoreSetImgInfo(version, wide.data());
        cmd->RestoreGetImgVolumes(nullptr, 0, &n, version);
        count = static_cast<long>(n);
    }
    if (lastCount != nullptr)
        *lastCount = static_cast<int>(count);
    if (count < 1)
        return volumes;
    volumes.assign(static_cast<size_t>(count), _KS_VOLUME{});
    long fetched = count;
    if (checkGroup) {
        int n = static_cast<int>(count);
        cmd->CheckGetImgVolumes(volumes.data(), static_cast<unsigned long>(count), &n, version);
        fetched = n;
    } else {
        unsigned long n = static_cast<unsigned long>(count);
        cmd->RestoreGetImgVolumes(volumes.data(), static_cast<unsigned long>(count), &n, version);
        fetched = static_cast<long>(n);
    }
    if (fetched >= 0 && fetched < count)
        volumes.resize(static_cast<size_t>(fetched));
    return volumes;
}
