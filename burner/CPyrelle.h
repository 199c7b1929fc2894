// The disc burner behind IPyrelle: one drive, its disc state through pass-through,
// and the CD or DVD writer the first burn of the media type creates.
#pragma once

#include <IPyrelle.h>

#include "CCdWriter.h"
#include "CDvdWriter.h"
#include "DriveRequests.h"

#include <memory>
#include <mutex>
#include <string>

class CPyrelle : public IPyrelle {
public:
    CPyrelle() = default;

    unsigned long Release() override;
    bool Open(const wchar_t* drive) override;
    unsigned long LockTray(unsigned long lock) override;
    unsigned long Eject() override;
    unsigned long HasData() override;
    unsigned long Burn(const wchar_t* source, unsigned long firstBurn, const wchar_t* label) override;
    unsigned long Append(const wchar_t* source) override;
    unsigned long GetMediaType(unsigned long unused) override;
    unsigned long GetDiscInfo(BURN_DISC_INFO* info) override;
    void Reserved9(void*) override {}
    unsigned long GetProgress(int* value, int* total, int* stage) override;
    const wchar_t* GetProductId() override { return productId_; }
    const wchar_t* GetProductString() override { return productString_; }
    const wchar_t* GetBusTypeName() override { return busTypeName_; }
    void Reserved14() override {}
    unsigned long QueryDeviceProperties() override { return 0; }
    unsigned long QueryProductId() override { return 0; }
    unsigned long QueryScsiIdString() override { return 0; }
    unsigned long GetScsiAddress(void* out) override;

protected:
    ~CPyrelle() override = default;
    // Writes the source (or "image.iso") with the CD tools' device string.
    unsigned long BurnWith(const std::string& source, const std::string& device);
    // An image of this many MiB or more is refused before it is written (0: any).
    void LimitImages(uint64_t mib) { imageLimitMiB_ = mib; }
    CDriveRequests& Requests() { return requests_; }

    const wchar_t* productId_ = nullptr;
    const wchar_t* productString_ = nullptr;
    const wchar_t* busTypeName_ = nullptr;

private:
    // The drive's "bus,target,lun" from the drive tool (empty when it lists no such
    // drive); the tool factory's code when there is no tool.
    unsigned long DeviceString(std::string& device) const;
    unsigned long BurnCd(const std::string& source, const std::string& device);
    unsigned long BurnDvd(const std::string& source);
    CCdWriter* CdWriter();
    CDvdWriter* DvdWriter();

    std::string drive_;                 // "X:"
    unsigned long mediaType_ = BURN_MEDIA_UNSUPPORTED;
    unsigned char scsiAddress_[8] = {}; // never filled: the drive handle addresses the drive
    uint64_t usedKiB_ = 0;
    uint32_t status_ = BURN_DISC_BLANK;
    uint32_t previousTrackStart_ = 0, lastTrackStart_ = 0;
    uint64_t imageLimitMiB_ = 0;
    std::mutex writersLock_;            // creation of the writers against a progress poll
    std::unique_ptr<CCdWriter> cdWriter_;
    std::unique_ptr<CDvdWriter> dvdWriter_;
    CDriveRequests requests_;
};
