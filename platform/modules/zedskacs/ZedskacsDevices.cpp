#include "KSZedskacs.h"

#include "KSPlatformControl.h"

#include <memory>
#include <string>

namespace {

constexpr const char* kServiceName = "zedskacs";
constexpr const char* kDeviceName = "ZEDSKACS";
// The disk-access devices never go past this number.
constexpr unsigned long kLastDisk = 1000;

bool ServiceRuns()
{
    KSServiceRecord record;
    return KSPlatformFindService(kServiceName, record) && record.state == SERVICE_RUNNING;
}

// "\\.\ZEDSKACS": opens while the service runs; it answers no request of its own.
class ZedskacsControlDevice : public KSDevice {
public:
    DWORD Read(uint64_t, void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    DWORD Write(uint64_t, const void*, DWORD, DWORD& done) override { return done = 0, ERROR_INVALID_FUNCTION; }
    DWORD Control(DWORD, const void*, DWORD, void*, DWORD, DWORD& returned) override
    {
        returned = 0;
        return ERROR_INVALID_FUNCTION;
    }
    uint64_t Size() const override { return 0; }
};

// "N" in decimal without sign, leading zeros or anything after it.
bool DiskNumber(const std::string& text, unsigned long& number)
{
    if (text.empty() || text.size() > 4 || (text.size() > 1 && text[0] == '0') ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoul(text);
    return number <= kLastDisk;
}

// One disk through the service: the disk's own "\\.\PhysicalDriveN", opened with
// the caller's access and held for as long as the caller's handle lives. The
// service stands between caller and disk and changes nothing on the way.
class ZedskacsDiskDevice : public KSDevice {
public:
    explicit ZedskacsDiskDevice(HANDLE disk) : disk_(disk) {}
    ~ZedskacsDiskDevice() override { CloseHandle(disk_); }

    DWORD Read(uint64_t offset, void* buffer, DWORD size, DWORD& done) override
    {
        done = 0;
        if (!Seek(offset))
            return GetLastError();
        return ReadFile(disk_, buffer, size, &done, nullptr) ? ERROR_SUCCESS : GetLastError();
    }
    DWORD Write(uint64_t offset, const void* data, DWORD size, DWORD& done) override
    {
        done = 0;
        if (!Seek(offset))
            return GetLastError();
        return WriteFile(disk_, data, size, &done, nullptr) ? ERROR_SUCCESS : GetLastError();
    }
    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD& returned) override
    {
        returned = 0;
        return DeviceIoControl(disk_, code, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr)
                   ? ERROR_SUCCESS
                   : GetLastError();
    }
    uint64_t Size() const override
    {
        LARGE_INTEGER size;
        return GetFileSizeEx(disk_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }

private:
    bool Seek(uint64_t offset)
    {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(disk_, to, nullptr, FILE_BEGIN) != FALSE;
    }
    const HANDLE disk_;
};

std::shared_ptr<KSDevice> OpenDiskOf(unsigned long number, DWORD access, DWORD& error)
{
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    HANDLE disk = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (disk == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    return std::make_shared<ZedskacsDiskDevice>(disk);
}

} // namespace

void KSZedskacsInstall(DWORD state)
{
    KSServiceScript service;
    service.name = kServiceName;
    service.state = state;
    KSPlatformAddService(service);
    KSPlatformRegisterDevice(kDeviceName, [](DWORD, DWORD& error) -> std::shared_ptr<KSDevice> {
        if (!ServiceRuns()) {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return std::make_shared<ZedskacsControlDevice>();
    });
    KSPlatformRegisterDeviceFamily(kDeviceName, [](const std::string& rest, DWORD access,
                                                   DWORD& error) -> std::shared_ptr<KSDevice> {
        unsigned long number = 0;
        if (!ServiceRuns() || !DiskNumber(rest, number)) {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return OpenDiskOf(number, access, error);
    });
}

void KSZedskacsRemove()
{
    KSPlatformUnregisterDevice(kDeviceName);
    KSPlatformUnregisterDeviceFamily(kDeviceName);
}
