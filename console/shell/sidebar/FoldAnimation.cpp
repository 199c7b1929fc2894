#include "FoldAnimation.h"

namespace {
constexpr int kRowHeight = 40;
}

int FoldStepCount(int height)
{
    int k = 0;
    while (k * (k + 1) / 2 < height)
        ++k;
    return k > 0 ? k - 1 : 0;
}

int FoldTriangle(int steps)
{
    return steps * (steps + 1) / 2;
}

PanelGrowth GrowPanelForRow(int height, int requested, int rowsBefore)
{
    const int need = kRowHeight * rowsBefore + kRowHeight;
    if (height >= need)
        return {requested, height};
    int r = requested;
    if (r < kRowHeight + 1)
        r = need - kRowHeight;
    r += kRowHeight;
    return {r, r};
}

void FoldAnimation::SetHeight(int height)
{
    height_ = height;
    steps_ = FoldStepCount(height);
}

bool FoldAnimation::Start(bool expanding)
{
    // A separate running flag: the step counter is still 0 until the first tick,
    // and a second click in that time must not start a second fold.
    if (running_)
        return false;
    running_ = true;
    expanding_ = expanding;
    step_ = 0;
    return true;
}

FoldTick FoldAnimation::Tick()
{
    FoldTick tick{};
    if (!running_)
        return tick;
    ++step_;
    if (step_ == 1)
        current_ = expanding_ ? height_ - FoldTriangle(steps_) : FoldTriangle(steps_);
    tick.showBody = expanding_;
    if (step_ <= steps_) {
        current_ += expanding_ ? step_ : -step_;
        alpha_ = height_ > 0 ? static_cast<double>(current_) / height_ : 1.0;
        tick.goOn = true;
        tick.height = current_;
        tick.alpha = alpha_;
        return tick;
    }
    step_ = 0;
    running_ = false;
    tick.rowsSensitive = true;
    tick.hideBody = !expanding_;
    tick.height = expanding_ ? current_ + kFooterHeight : current_;
    tick.alpha = alpha_;
    return tick;
}
