#include "CImgDevice.h"

#include <cstdio>
#include <cwchar>
#include <vector>

#include "CRestore.h"

CImgDevice::CImgDevice(_KS_VOLUME* volume, IKSCofran* image, const wchar_t* path, const CRestore& engine)
    : volume_(volume), image_(image), engine_(engine)
{
    if (path != nullptr)
        std::wcsncpy(path_, path, 271);
}

CImgDevice::~CImgDevice() { Close(); }

int CImgDevice::Open()
{
    if (image_ == nullptr || volume_ == nullptr)
        return 0;
    // A set on a CD-ROM drive switches its files by disc.
    unsigned long mode = KS_OPEN_RANDOM;
    const wchar_t root[4] = {path_[0], L':', L'\\', 0};
    if (path_[0] != 0 && path_[1] == L':' && GetDriveTypeW(root) == DRIVE_CDROM)
        mode |= KS_OPEN_DISC_SET;
    readFailure_ = 0;
    if (image_->OpenCofran(path_, mode, engine_.Password(), engine_.PasswordBytes()) != 0)
        return 0;
    unsigned long count = 0;
    std::vector<_KS_IMG> files;
    if (image_->GetBackupImg(nullptr, &count) == 0 && count != 0) {
        files.resize(count);
        if (image_->GetBackupImg(files.data(), &count) != 0)
            files.clear();
    }
    image_->CloseCofran();
    for (const _KS_IMG& file : files) {
        if (image_->OpenCofran(file.Path, mode, engine_.Password(), engine_.PasswordBytes()) != 0)
            continue;
        if (image_->OpenVolume(volume_) == 0) {
            closed_ = 0;
            return 1;
        }
        image_->CloseCofran();
    }
    return 0;
}

int CImgDevice::ReadSector(unsigned char* buffer, long long firstSector, long long count)
{
    if (closed_ != 0)
        return 0;
    unsigned long read = 0;
    const unsigned long result =
        image_->ReadSector(firstSector, buffer, static_cast<unsigned long>(count), &read, 0);
    if (result == 0 && (static_cast<unsigned long long>(count) >> 32) == 0 && read == static_cast<unsigned long>(count))
        return 1;
    const unsigned long failure = result != 0 ? result : 0x00005256u;
    if (readFailure_ == 0)
        readFailure_ = failure;
    char text[64];
    std::snprintf(text, sizeof text, "ImgDevice::ReadSector---ErrorCode: 0x%08X\n", static_cast<unsigned>(failure));
    OutputDebugStringA(text);
    return 0;
}

int CImgDevice::WriteSector(unsigned char*, long long, long long) { return 1; }

int CImgDevice::Close()
{
    if (closed_ != 0)
        return 0;
    image_->CloseVolume();
    image_->CloseCofran();
    closed_ = 1;
    return 1;
}
