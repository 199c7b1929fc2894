// DiskImage over the image container's own interface: a container object, the set
// opened for random reads, one volume opened by its record.
#include "DiskImage.h"

#include "IKSCofran.h"
#include "ZeDiskControl.h"

namespace zedisk {

class DiskImage : public ZdPoolObject {
public:
    IKSCofran* container = nullptr;
    bool setOpen = false;
    bool volumeOpen = false;
};

namespace {

// The record's UTF-16 text as the container's wide text (a pool copy, tag "bimg").
wchar_t* WideCopy(const uint8_t* field, uint32_t chars, uint32_t* length)
{
    wchar_t* text = static_cast<wchar_t*>(ZdPortAllocate((chars + 1) * sizeof(wchar_t), ZD_TAG_IMAGE));
    if (text == nullptr)
        return nullptr;
    uint32_t n = 0;
    while (n < chars) {
        const uint16_t unit = static_cast<uint16_t>(field[2 * n] | (field[2 * n + 1] << 8));
        if (unit == 0)
            break;
        text[n++] = static_cast<wchar_t>(unit);
    }
    text[n] = 0;
    *length = n;
    return text;
}

} // namespace

ZdStatus DiskImageOpen(const uint8_t* record, DiskImage** out)
{
    *out = nullptr;
    DiskImage* image = new DiskImage;
    if (image == nullptr)
        return ZD_STATUS_INSUFFICIENT_RESOURCES;
    uint32_t pathChars = 0;
    uint32_t passwordChars = 0;
    wchar_t* path = WideCopy(record + ZEDISK_RECORD_PATH, ZEDISK_PATH_CHARS, &pathChars);
    wchar_t* password = WideCopy(record + ZEDISK_RECORD_PASSWORD, ZEDISK_PASSWORD_CHARS, &passwordChars);
    bool opened = false;
    void* object = nullptr;
    if (path != nullptr && password != nullptr && (KSCreateObjectImg(0x10000, 1, &object) & 0xFFF) == 0 &&
        object != nullptr) {
        image->container = static_cast<IKSCofran*>(object);
        image->setOpen = (image->container->OpenCofran(path, KS_OPEN_RANDOM, password,
                                                       passwordChars * sizeof(wchar_t)) & 0xFFF) == 0;
        if (image->setOpen) {
            _KS_VOLUME volume;
            KSVolumeFromBytes(record + ZEDISK_RECORD_VOLUME, volume);
            image->volumeOpen = (image->container->OpenVolume(&volume) & 0xFFF) == 0;
        }
        opened = image->volumeOpen;
    }
    if (path != nullptr)
        ZdPortFree(path, ZD_TAG_IMAGE);
    if (password != nullptr) {
        ZdZero(password, (passwordChars + 1) * sizeof(wchar_t));
        ZdPortFree(password, ZD_TAG_IMAGE);
    }
    if (!opened) {
        DiskImageClose(image);
        return ZD_STATUS_DEVICE_DATA_ERROR;
    }
    *out = image;
    return ZD_STATUS_SUCCESS;
}

ZdStatus DiskImageRead(DiskImage* image, int64_t sector, void* buffer, uint32_t count)
{
    if (image == nullptr || image->container == nullptr)
        return ZD_STATUS_NO_SUCH_DEVICE;
    if ((image->container->ReadSector(sector, buffer, count, nullptr, 0) & 0xFFF) != 0)
        return ZD_STATUS_DEVICE_DATA_ERROR;
    return ZD_STATUS_SUCCESS;
}

void DiskImageClose(DiskImage* image)
{
    if (image == nullptr)
        return;
    if (image->container != nullptr) {
        if (image->volumeOpen)
            image->container->CloseVolume();
        if (image->setOpen)
            image->container->CloseCofran();
        image->container->Release();
    }
    delete image;
}

} // namespace zedisk
