// One run of an outside resize tool as a child process: its output is read for the
// percent it prints, the caller's cancel poll is asked between reads, and a cancel
// kills the child and waits for it.
#pragma once

#include <string>
#include <vector>

#include "CCallBackOperate.h"

class CResizeTool {
public:
    enum Outcome { kSucceeded, kFailed, kMissing, kCancelled };

    // The tool's file: the first of PATH's folders, /usr/sbin and /sbin that holds it.
    static std::string Find(const std::string& name);
    Outcome Run(const std::vector<std::string>& arguments, CCallBackOperate& progress);
    // What the tool printed (its last 4 KiB), for the log.
    const std::string& Output() const { return output_; }

private:
    void Take(const char* data, size_t bytes, CCallBackOperate& progress);
    std::string output_;
    std::string line_;
};
