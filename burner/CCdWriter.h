// Writes a CD: blanks a rewritable disc that holds data, builds an ISO of the source
// folder, writes it as a track of a multi-session disc, or writes a ready image.
#pragma once

#include "BurnProgress.h"
#include "DriveRequests.h"
#include "ToolRunner.h"

#include <atomic>
#include <string>

class CCdWriter {
public:
    explicit CCdWriter(const CDriveRequests& requests) : requests_(requests) {}

    // What the next writes use: the narrow source folder, the drive's "bus,target,lun"
    // (kept whole) and whether the disc must be blanked first.
    void Prepare(const std::string& source, const std::string& device, bool blankFirst);
    // An image of this many MiB or more is refused before it is written (0: any).
    void LimitImages(uint64_t mib) { imageLimitMiB_ = mib; }
    // Blanks when asked, builds, writes and deletes the ISO of the source folder.
    unsigned long WriteFolder();
    // Writes a ready image file.
    unsigned long WriteImage(const std::string& imagePath);
    // Builds the folder's ISO as a further session after the disc's last track and
    // writes it.
    unsigned long AppendFolder(const std::string& source);
    BurnProgress Progress() const;

private:
    unsigned long Blank();
    unsigned long BuildAndWrite(const std::string& builderArguments);
    unsigned long Write(const std::string& imagePath, bool ignoreSize);

    CDriveRequests requests_;
    std::string source_;
    std::string device_;
    bool blankFirst_ = false;
    uint64_t imageLimitMiB_ = 0;
    CToolOutput output_;
    std::atomic<uint64_t> imageMiB_{0};
    uint32_t previousTrackStart_ = 0, lastTrackStart_ = 0;
    std::atomic<int> stage_{BURN_STAGE_IDLE};
};
