#include "VolumeUtils.h"

#include <string>

bool DiskAccessDevice::Open(unsigned disk)
{
    if (IsOpen() || disk > 1000)
        return false;
    // The service's disks are reached while the process holds its control device;
    // the first disk opened opens it, for the rest of the process.
    DiskAccessControlDevice();
    const std::wstring name = L"\\\\.\\ZEDSKACS\\" + std::to_wstring(disk);
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    disk_ = disk;
    handle_ = handle;
    return true;
}

namespace {

bool SeekToSector(HANDLE handle, uint64_t sector)
{
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(sector * 512);
    return SetFilePointerEx(handle, offset, nullptr, FILE_BEGIN) != FALSE;
}

} // namespace

bool DiskAccessDevice::Read(uint64_t sector, void* buffer, DWORD sectors)
{
    DWORD done = 0;
    return IsOpen() && SeekToSector(handle_, sector) &&
           ReadFile(handle_, buffer, sectors * 512, &done, nullptr) && done == sectors * 512;
}

bool DiskAccessDevice::Write(uint64_t sector, const void* data, DWORD sectors)
{
    DWORD done = 0;
    return IsOpen() && SeekToSector(handle_, sector) &&
           WriteFile(handle_, data, sectors * 512, &done, nullptr) && done == sectors * 512;
}

bool DiskAccessDevice::Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned)
{
    DWORD ignored = 0;
    return IsOpen() && DeviceIoControl(handle_, code, const_cast<void*>(in), inSize, out, outSize,
                                       returned != nullptr ? returned : &ignored, nullptr);
}

bool DiskAccessDevice::Close()
{
    if (!IsOpen())
        return false;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    disk_ = 0;
    return true;
}
