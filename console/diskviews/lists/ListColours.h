// Colours of the console's tree lists: the selected row and the file-system swatch of
// the Type column, keyed by enumFILE_SYSTEM_TYPE and the partition type id.
#pragma once

struct ListRgb {
    int r, g, b;
    bool operator==(const ListRgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

constexpr ListRgb kListSelectedRow{49, 106, 197};
// The text of a row that cannot be chosen.
constexpr ListRgb kListGreyText{150, 150, 150};

// The device list's swatch. kind -1 stands for a row without a partition record of its
// own (the single row of a GPT or dynamic disk); bad for a partition the device
// manager calls unusable.
ListRgb DeviceListSwatchColour(bool bad, int kind, int typeId);

// The restore and check-image volume lists' swatch.
ListRgb ImageListSwatchColour(int kind, int typeId);
