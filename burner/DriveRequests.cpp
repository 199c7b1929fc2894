#include "DriveRequests.h"

#include <windows.h>

#include <IPyrelle.h>
#include <KSResult.h>

#include <cstring>

using namespace scsi_pt;

namespace {

constexpr uint64_t kCdRCapacity = 0x2BC00000ull; // 700 MiB

struct DiscSummary {
    uint32_t lastTrack = 0;
    uint8_t status = 0;
};

} // namespace

bool CDriveRequests::Send(const uint8_t* cdb, uint8_t cdbLength, uint16_t, uint8_t* data, uint32_t dataBytes) const
{
    Request request;
    std::memcpy(request.cdb, cdb, cdbLength);
    request.cdbLength = 10;
    uint8_t buffer[kBufferBytes];
    Encode(request, buffer);
    HANDLE device = CreateFileW(devicePath_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, KS_IOCTL_SCSI_PASS_THROUGH, buffer, kHeaderBytes, buffer, kBufferBytes,
                                    &returned, nullptr);
    CloseHandle(device);
    if (data)
        std::memcpy(data, buffer + kDataOffset, dataBytes < kMaxData ? dataBytes : kMaxData);
    return ok && buffer[kScsiStatus] == 0;
}

unsigned long CDriveRequests::MediaType() const
{
    const uint8_t cdb[10] = {0x46, 0, 0, 0, 0, 0, 0, 0x02, 0x00, 0};
    uint8_t data[kMaxData] = {};
    if (!Send(cdb, 10, 512, data, sizeof data))
        std::memset(data, 0, sizeof data);
    return BurnMediaTypeOfProfile(data[7]);
}

uint64_t CdRwCapacityOfLeadOut(unsigned minute, unsigned second, unsigned frame)
{
    const uint64_t seconds = uint64_t{minute} * 60 + second + frame / 75 + 1;
    const uint64_t mib = seconds * 7 / 48 + 1;
    return mib * 1048576ull;
}

uint64_t CDriveRequests::CdRwCapacity() const
{
    uint8_t cdb[10] = {0x43, 0, 4, 0, 0, 0, 0, 0, 4, 0};
    uint8_t data[kMaxData] = {};
    Send(cdb, 10, 4, data, sizeof data);
    const uint16_t length = static_cast<uint16_t>(LoadBE16(data) + 2);
    StoreBE16(cdb + 7, length);
    std::memset(data, 0, sizeof data);
    Send(cdb, 10, length, data, sizeof data);
    return CdRwCapacityOfLeadOut(data[12], data[13], data[14]);
}

uint64_t CDriveRequests::DvdCapacity() const
{
    uint8_t cdb[10] = {0x23, 0, 0, 0, 0, 0, 0, 0, 12, 0};
    uint8_t data[kMaxData] = {};
    Send(cdb, 10, 12, data, sizeof data);
    const uint32_t listLength = data[3];
    if (listLength == 0)
        return 0;
    if (listLength % 8 != 0 || listLength < 16)
        return uint64_t{LoadBE32(data + 4)} * LoadBE24(data + 9);
    StoreBE16(cdb + 7, static_cast<uint16_t>(listLength + 4));
    std::memset(data, 0, sizeof data);
    Send(cdb, 10, static_cast<uint16_t>(listLength + 4), data, sizeof data);
    // A list that changed between the two reads says nothing to trust.
    if (data[3] != listLength)
        return 0;
    switch (data[8] & 3) {
    case 1:
        return uint64_t{LoadBE32(data + 4)} * LoadBE24(data + 9);
    case 2:
        for (uint32_t at = 12; at < listLength && at + 8 <= kMaxData; at += 8)
            if (LoadBE32(data + at) != 0)
                return uint64_t{LoadBE32(data + at)} * LoadBE24(data + 9);
        return 0;
    default:
        return 0;
    }
}

unsigned long CDriveRequests::DiscInfo(unsigned long mediaType, BURN_DISC_INFO& info, uint32_t& previousTrackStart,
                                       uint32_t& lastTrackStart) const
{
    std::memset(&info, 0, sizeof info);
    uint64_t totalBytes;
    if (mediaType == BURN_MEDIA_CD_R)
        totalBytes = kCdRCapacity;
    else if (mediaType == BURN_MEDIA_CD_RW)
        totalBytes = CdRwCapacity();
    else
        totalBytes = DvdCapacity();
    info.TotalKiB = totalBytes >> 10;

    const uint8_t discCdb[10] = {0x51, 0, 0, 0, 0, 0, 0, 0, 32, 0};
    uint8_t disc[kMaxData] = {};
    if (!Send(discCdb, 10, 32, disc, sizeof disc))
        return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_DISC_INFO);
    info.Status = disc[2] & 3;
    const uint32_t lastTrack = (uint32_t{disc[11]} << 8) | disc[6];
    for (uint32_t number = 1; number <= lastTrack; ++number) {
        uint8_t cdb[10] = {0x52, 1, 0, 0, 0, 0, 0, 0, 32, 0};
        StoreBE32(cdb + 2, number);
        uint8_t track[kMaxData] = {};
        if (!Send(cdb, 10, 32, track, sizeof track))
            return KS_RESULT(KS_MODULE_CONSOLE, KS_KIND_DISC_INFO);
        const uint32_t freeBlocks = LoadBE32(track + 16);
        if (freeBlocks != 0)
            info.FreeKiB += uint64_t{freeBlocks} * 2;
        else
            info.UsedKiB += uint64_t{LoadBE32(track + 24)} * 2;
        previousTrackStart = lastTrackStart;
        lastTrackStart = LoadBE32(track + 8);
    }
    if (mediaType == BURN_MEDIA_CD_RW && info.UsedKiB + info.FreeKiB > info.TotalKiB)
        info.TotalKiB = info.UsedKiB + info.FreeKiB;
    return 0;
}

bool CDriveRequests::LastTrackStarts(uint32_t& previousTrackStart, uint32_t& lastTrackStart) const
{
    const uint8_t discCdb[10] = {0x51, 0, 0, 0, 0, 0, 0, 0, 32, 0};
    uint8_t disc[kMaxData] = {};
    if (!Send(discCdb, 10, 32, disc, sizeof disc))
        return false;
    const uint32_t lastTrack = (uint32_t{disc[11]} << 8) | disc[6];
    for (uint32_t number = 1; number <= lastTrack; ++number) {
        uint8_t cdb[10] = {0x52, 1, 0, 0, 0, 0, 0, 0, 32, 0};
        StoreBE32(cdb + 2, number);
        uint8_t track[kMaxData] = {};
        if (!Send(cdb, 10, 32, track, sizeof track))
            break;
        previousTrackStart = lastTrackStart;
        lastTrackStart = LoadBE32(track + 8);
    }
    return true;
}

bool CDriveRequests::LockTray(bool lock) const
{
    const uint8_t cdb[10] = {0x1E, 0, 0, 0, static_cast<uint8_t>(lock ? 1 : 0), 0, 0, 0, 0, 0};
    return Send(cdb, 10, 0, nullptr, 0);
}

bool CDriveRequests::Eject() const
{
    const uint8_t cdb[10] = {0x1B, 1, 0, 0, 2, 0, 0, 0, 0, 0};
    return Send(cdb, 10, 0, nullptr, 0);
}
