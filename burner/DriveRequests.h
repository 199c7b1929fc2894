// The MMC requests the burner sends to its drive through SCSI pass-through, each on
// a handle of its own to the drive's device path, and what it reads from their
// answers: media type, disc sizes and status, the last track starts.
#pragma once

#include <BurnDiscInfo.h>
#include <ScsiPassThrough.h>

#include <string>

class CDriveRequests {
public:
    CDriveRequests() = default;
    explicit CDriveRequests(std::wstring devicePath) : devicePath_(std::move(devicePath)) {}
    void SetDevicePath(const std::wstring& devicePath) { devicePath_ = devicePath; }
    const std::wstring& DevicePath() const { return devicePath_; }

    // Sends one request; false when the device does not open, the control fails or
    // the drive answers with a status other than GOOD. The data lands in data.
    bool Send(const uint8_t* cdb, uint8_t cdbLength, uint16_t allocation, uint8_t* data, uint32_t dataBytes) const;

    // GET CONFIGURATION's current profile as a media type; a failed request reads
    // as zeros and so as type 7.
    unsigned long MediaType() const;
    // The disc's record; 0, or kind 0x156 when a disc or track request fails.
    // lastTrackStart and previousTrackStart get the starts of the last two tracks.
    unsigned long DiscInfo(unsigned long mediaType, BURN_DISC_INFO& info, uint32_t& previousTrackStart,
                           uint32_t& lastTrackStart) const;
    // The last two track starts for a further session; false when the disc request fails.
    bool LastTrackStarts(uint32_t& previousTrackStart, uint32_t& lastTrackStart) const;
    bool LockTray(bool lock) const;
    bool Eject() const;

    // Capacities in bytes.
    uint64_t CdRwCapacity() const;
    uint64_t DvdCapacity() const;

private:
    std::wstring devicePath_;
};

// The CD-RW capacity for an ATIP lead-out start (minute, second, frame), in bytes.
uint64_t CdRwCapacityOfLeadOut(unsigned minute, unsigned second, unsigned frame);
