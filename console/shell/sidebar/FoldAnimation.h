// A function panel's fold: the body grows or shrinks over N + 1 ticks. The first tick
// jumps by H - T when growing (T = N(N+1)/2 is just below the body height H), then
// the height changes by 1, 2, 3 ... N pixels a tick, so the motion starts fast and
// settles; the rows fade with the height.
#pragma once

// N for a body height H: k - 1 for the smallest k with k(k+1)/2 >= H (never below 0).
int FoldStepCount(int height);
// T = N(N+1)/2.
int FoldTriangle(int steps);

// The body's requested height and the panel's height H after a row is added to a
// panel of rowsBefore rows.
struct PanelGrowth {
    int requested;
    int height;
};
PanelGrowth GrowPanelForRow(int height, int requested, int rowsBefore);

// What one tick asks of the panel.
struct FoldTick {
    bool goOn;          // the timeout runs on
    bool showBody;      // expanding: the body is shown before the step
    bool hideBody;      // collapsing: the body is hidden at the end
    bool rowsSensitive; // the fold has ended: live rows take input again
    int height;         // the body's requested height after the tick
    double alpha;       // the rows' alpha after the tick (unchanged on the last tick)
};

class FoldAnimation {
public:
    // Sets H and N.
    void SetHeight(int height);
    int Height() const { return height_; }
    int Steps() const { return steps_; }

    // False (and nothing changes) while a fold runs: a fold cannot be reversed midway.
    bool Start(bool expanding);
    bool Running() const { return running_; }
    bool Expanding() const { return expanding_; }
    // One tick of the running fold.
    FoldTick Tick();

    static constexpr int kFooterHeight = 15;

private:
    int height_ = 0;
    int steps_ = 0;
    int step_ = 0;
    int current_ = 0;
    double alpha_ = 1.0;
    bool expanding_ = false;
    bool running_ = false;
};
