// Writes a DVD through growisofs: a folder as a new disc or as a further session, or
// a ready image; formats a DVD-RW first when asked.
#pragma once

#include "BurnProgress.h"
#include "ToolRunner.h"

#include <atomic>
#include <string>

class CDvdWriter {
public:
    explicit CDvdWriter(std::string drive) : drive_(std::move(drive)) {}

    unsigned long Format();
    unsigned long WriteFolder(const std::string& source);
    unsigned long AppendFolder(const std::string& source);
    unsigned long WriteImage(const std::string& imagePath);
    BurnProgress Progress() const;

private:
    unsigned long Write(const std::string& arguments, int stage);

    const std::string drive_;
    CToolOutput output_;
    std::atomic<int> stage_{BURN_STAGE_IDLE};
};
