// The boot record of a whole-disk restore: the image disk's first track, stored with
// each of its volumes, written over the target disk's first track. The target keeps
// its own partition table; in disk mode it gets a new disk signature.
#include <windows.h>
#if defined(_WIN32)
#include <time.h>
#else
#include <KSCrtTime.h>
#endif

#include <cstdio>
#include <cstring>

#include "CLogWriter.h"
#include "CRawDisk.h"
#include "CVolumeRestorer.h"
#include "KSMasterBootRecord.h"
#include "KSResult.h"
#include "LittleEndian.h"
#include "RestoreKinds.h"

using namespace restore_kinds;

namespace {
constexpr unsigned long kTrackSectors = 63;
}

unsigned long CVolumeRestorer::RestoreWholeDisk(const _KS_RESTORE_TARGET& target)
{
    unsigned long result = image_->OpenCofran(imagePath_.c_str(), 0, engine_.Password(), engine_.PasswordBytes());
    if (result != 0)
        return result;
    _KS_IMG_FILE_INFO info{};
    info.Size = sizeof info;
    std::vector<_KS_VOLUME> volumes;
    result = image_->GetCofranInfo(&info);
    if (result == 0 && info.VolumeCount != 0) {
        volumes.resize(info.VolumeCount);
        result = image_->GetVolumes(volumes.data(), info.VolumeCount);
    }
    image_->CloseCofran();
    if (result != 0)
        return result;
    // The last volume backed up from the image disk the target asks for.
    const _KS_VOLUME* chosen = nullptr;
    for (const _KS_VOLUME& v : volumes)
        if (v.DiskNumber == target.ImageDisk)
            chosen = &v;
    if (chosen == nullptr)
        return KS_RESULT(KS_MODULE_RESTORE, kNotFound);
    _KS_VOLUME volume = *chosen;
    if ((result = RefuseImageDisk(target, 0, 0)) != 0)
        return result;
    uint32_t fileNumber = 0;
    if ((result = LocateVolumeFile(volume, fileNumber)) != 0)
        return result;
    std::wstring path;
    if ((result = EnsureFile(fileNumber, path)) != 0)
        return result;
    if ((result = image_->OpenCofran(path.c_str(), KS_OPEN_RANDOM, engine_.Password(), engine_.PasswordBytes())) != 0)
        return result;
    const unsigned long count = volume.PreVolumeSectors;
    std::vector<unsigned char> track(size_t(count == 0 ? 1 : count) * 512, 0);
    unsigned long read = 0;
    result = image_->OpenVolume(&volume);
    if (result == 0) {
        result = image_->ReadSector(-static_cast<long long>(count), track.data(), count, &read, 0);
        image_->CloseVolume();
    }
    image_->CloseCofran();
    if (result != 0)
        return result;
    // A track read short would put a partial boot record on the disk.
    if (count == 0 || read != count)
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);

    CRawDisk disk;
    char name[64];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%u", static_cast<unsigned>(target.DiskNumber));
    if (!disk.Open(name))
        return KS_RESULT(KS_MODULE_RESTORE, kOpenFailed);
    unsigned char first[512];
    if (!disk.Read(first, 0, 1))
        return KS_RESULT(KS_MODULE_RESTORE, kReadFailed);
    std::memcpy(track.data() + KS_MBR_TABLE_OFFSET, first + KS_MBR_TABLE_OFFSET, KS_MBR_TABLE_BYTES);
    if (engine_.DiskMode())
        StoreLE32(track.data() + KS_MBR_SIGNATURE_OFFSET, static_cast<uint32_t>(_time64(nullptr)));
    if (engine_.Progress().cancel.load() != 0)
        return KS_RESULT(KS_MODULE_RESTORE, KS_KIND_CANCELLED);
    const unsigned long sectors = count < kTrackSectors ? count : kTrackSectors;
    if (!disk.Write(track.data(), 0, sectors))
        return KS_RESULT(KS_MODULE_RESTORE, kWriteFailed);
    CLogWriter::Log("Restored the boot track of disk %u.", static_cast<unsigned>(target.DiskNumber));
    return 0;
}
