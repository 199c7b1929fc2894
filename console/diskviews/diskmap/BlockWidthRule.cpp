#include "BlockWidthRule.h"

#include <algorithm>

BlockWidthRule::BlockWidthRule(int rowWidth, unsigned long long blockCount, unsigned long long diskSectors)
    : width_(std::max(0, rowWidth)), count_(blockCount), sectors_(diskSectors), minimum_(kMinimumWidth)
{
    if (count_ > 0 && static_cast<unsigned long long>(kMinimumWidth) * count_ > static_cast<unsigned long long>(width_))
        minimum_ = static_cast<int>(static_cast<unsigned long long>(width_) / count_);
}

int BlockWidthRule::Next(long long sectors, bool last)
{
    int width;
    if (last) {
        width = std::max(0, width_ - used_);
    } else {
        // The share in single precision, as the row has always drawn it.
        float share = sectors_ > 0 && sectors > 0 ? static_cast<float>(static_cast<double>(sectors) / sectors_) : 0.0f;
        share = std::min(share, 1.0f);
        const long long spread = static_cast<long long>(width_) - static_cast<long long>(minimum_) * count_;
        width = static_cast<int>(static_cast<float>(spread) * share + minimum_);
        const unsigned long long after = count_ > handedOut_ + 1 ? count_ - handedOut_ - 1 : 0;
        const long long room = static_cast<long long>(width_) - used_ - static_cast<long long>(minimum_) * after;
        width = static_cast<int>(std::max(0LL, std::min<long long>(width, room)));
    }
    ++handedOut_;
    used_ += width;
    return width;
}
