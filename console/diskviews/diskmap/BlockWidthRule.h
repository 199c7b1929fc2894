// How a disk map row shares its width out among its blocks: every block gets a minimum
// of 15 px plus its share of what is left, and the last block takes the rest, so the
// blocks add up to the row's width.
//
// A row too narrow for 15 px a block gives each block the same smaller minimum; a disk
// of no sectors gives every share as 0; a block never takes room the blocks after it
// need for their minimum; no width is negative.
#pragma once

class BlockWidthRule {
public:
    BlockWidthRule(int rowWidth, unsigned long long blockCount, unsigned long long diskSectors);

    // The width of the next block of that many sectors.
    int Next(long long sectors, bool last);
    int Used() const { return used_; }
    int RowWidth() const { return width_; }

    static constexpr int kMinimumWidth = 15;

private:
    int width_;
    unsigned long long count_;
    unsigned long long sectors_;
    int minimum_;
    unsigned long long handedOut_ = 0;
    int used_ = 0;
};
