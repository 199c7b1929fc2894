// Colours of the disk map's blocks: the file-system shades of a block's bars and edges,
// and the fixed colours of its body and gaps. RGB in 0-255.
#pragma once

struct BlockRgb {
    int r, g, b;
    bool operator==(const BlockRgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const BlockRgb& o) const { return !(*this == o); }
};

struct BlockShades {
    BlockRgb light;
    BlockRgb dark;
};

// The light and dark shade of a block. A whole disk (GPT, dynamic, bad) is yellow and
// free space grey whatever kind they carry; otherwise the enumFILE_SYSTEM_TYPE value
// decides. False for kind 6 and unknown kinds: the block sets no colour.
bool BlockShadesOf(bool wholeDisk, bool unallocated, int kind, BlockShades& shades);

constexpr BlockRgb kBlockGapColour{230, 234, 220};
constexpr BlockRgb kBlockUnallocatedFill{180, 180, 180};
constexpr BlockRgb kBlockUsedEdge{109, 109, 52};
constexpr BlockRgb kBlockUsedFill{255, 255, 204};

// The body's frame: fills from the outside in, each drawn over the last.
struct BlockBodyStep {
    BlockRgb colour;
    int x, y, shrinkW, shrinkH;  // rectangle x, y, w - shrinkW, h - shrinkH
};
constexpr BlockBodyStep kBlockBodySteps[] = {
    {{189, 189, 189}, 0, 3, 0, 6},  {{200, 200, 200}, 1, 4, 2, 8},  {{217, 217, 217}, 2, 5, 4, 10},
    {{229, 229, 229}, 3, 6, 6, 12}, {{229, 229, 229}, 4, 7, 8, 14}, {{255, 255, 255}, 0, 4, 0, 12},
};
