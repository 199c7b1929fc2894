// Mounting: checks, the image file holding the volume, the plug-in and the wait for
// the new volume; a failed mount unplugs the disk again.
#include "Palmet.h"

#include "ImageSetLookup.h"
#include "KSResult.h"
#include "MountArrival.h"
#include "MountKinds.h"
#include "PluginRecord.h"
#include "VolumeUtils.h"

#include <windows.h>

#include <string>

namespace {

bool VolumeAcceptable(const _KS_VOLUME& volume)
{
    return volume.Magic == KS_VOLUME_MAGIC && volume.BytesPerSector != 0 && volume.BytesPerSector % 512 == 0;
}

unsigned long SendPlugin(const _KS_VOLUME& volume, unsigned letter, const wchar_t* password,
                         const std::wstring& imageFile)
{
    HANDLE bus = OpenBusDevice(true);
    if (bus == INVALID_HANDLE_VALUE)
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kNoBusDevice);
    uint8_t record[ZEDISK_PLUGIN_RECORD_SIZE];
    FillPluginRecord(record, volume, letter, password, imageFile.c_str());
    DWORD returned = 0;
    const BOOL sent = DeviceIoControl(bus, IOCTL_ZEDISK_PLUGIN, record, sizeof record, nullptr, 0, &returned, nullptr);
    CloseHandle(bus);
    return sent ? 0 : KS_RESULT(KS_MODULE_HELPERS, MountKind::kPluginFailed);
}

unsigned PassesFor(const _KS_VOLUME& volume)
{
    return volume.FileSystem < 5 || volume.FileSystem == 7 ? 400 : 300;
}

} // namespace

unsigned long Palmet::MountImage(wchar_t* image, _KS_VOLUME* volume, unsigned long letter, wchar_t* password)
{
    if (image == nullptr || volume == nullptr || letter >= 26 || (GetLogicalDrives() & (1ul << letter)) != 0 ||
        !VolumeAcceptable(*volume))
        return KS_RESULT(KS_MODULE_HELPERS, MountKind::kBadArgument);

    std::wstring imageFile;
    unsigned long rc = FindVolumeImageFile(image, *volume, password, imageFile);
    if (rc != 0)
        return rc;

    MountArrival arrival(static_cast<unsigned>(letter), MountDiskId(*volume, static_cast<unsigned>(letter)));
    arrival.NoteBefore();
    if ((rc = SendPlugin(*volume, static_cast<unsigned>(letter), password, imageFile)) != 0)
        return rc;

    Sleep(150);
    rc = arrival.Wait(PassesFor(*volume));
    if (rc != 0) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (UnmountImage(1ul << letter) == 0)
                break;
            Sleep(500);
        }
    }
    return rc;
}
