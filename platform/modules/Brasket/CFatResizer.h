// libparted's FAT resize on a volume file: the volume is opened at its old length and
// resized to the new one, or refused. libparted's messages are kept for the log, never shown.
#pragma once

#include <cstdint>
#include <string>

#include "CCallBackOperate.h"

class CFatResizer {
public:
    enum Outcome { kResized, kRefused, kNotFat, kFailed };
    // path holds the volume from sector 0 in its first oldSectors sectors and has room
    // for newSectors.
    Outcome Resize(const std::string& path, uint64_t oldSectors, uint64_t newSectors, CCallBackOperate& progress);
    const std::string& Message() const { return message_; }

private:
    std::string message_;
};
