#include "BurnProgress.h"

#include <IPyrelle.h>

#include <cstdlib>

namespace {

// The number read from the count characters before position at (fewer at the start).
int NumberBefore(const std::string& text, size_t at, size_t count)
{
    const size_t from = at >= count ? at - count : 0;
    return std::atoi(text.substr(from, at - from).c_str());
}

BurnProgress Refused(BurnProgress progress, unsigned long kind)
{
    progress.kind = kind;
    return progress;
}

} // namespace

BurnProgress IsoBuildProgress(const std::string& output)
{
    BurnProgress progress;
    progress.stage = BURN_STAGE_ISO;
    progress.total = 100;
    const size_t percent = output.rfind('%');
    if (percent == std::string::npos)
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    progress.value = NumberBefore(output, percent, 5);
    if (progress.value < 1 || progress.value > 99)
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    return progress;
}

BurnProgress CdWriteProgress(const std::string& output, uint64_t imageMiB)
{
    BurnProgress progress;
    progress.stage = BURN_STAGE_CD_WRITE;
    progress.total = static_cast<int>(imageMiB);
    const size_t written = output.rfind("MB written");
    if (written == std::string::npos)
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    const size_t from = written >= 12 ? written - 12 : 0;
    std::string head = output.substr(from, 3);
    while (!head.empty() && (head[0] == '\t' || head[0] == '\n' || head[0] == '\r'))
        head.erase(0, 1);
    progress.value = std::atoi(head.c_str());
    if (progress.value <= 0 || static_cast<uint64_t>(progress.value) >= imageMiB)
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    return progress;
}

BurnProgress DvdWriteProgress(const std::string& output, int stage)
{
    BurnProgress progress;
    progress.stage = stage;
    progress.total = 100;
    if (output.find("write failed") != std::string::npos)
        return Refused(progress, KS_KIND_BURN_FAILED);
    const size_t closing = output.rfind("%)");
    if (closing != std::string::npos)
        progress.value = NumberBefore(output, closing, 4);
    else if (stage == BURN_STAGE_DVD_FOLDER && output.rfind('%') != std::string::npos)
        progress.value = NumberBefore(output, output.rfind('%'), 5);
    else
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    if (progress.value <= 0 || progress.value >= 100)
        return Refused(progress, KS_KIND_BURN_PROGRESS);
    return progress;
}
