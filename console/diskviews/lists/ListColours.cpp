#include "ListColours.h"

#include "PartitionRules.h"

namespace {

bool ForeignKind(int kind)
{
    return kind == 4 || kind == 5 || kind == 8 || kind == 9 || kind == 10;
}

// Kind 7 (other or unformatted) tells free space, known types and the rest apart.
ListRgb OtherKindColour(int typeId)
{
    if (typeId == 0)
        return {140, 140, 140};
    if (IsSurportPartitionType(typeId))
        return {127, 127, 0};
    return {64, 64, 64};
}

} // namespace

ListRgb DeviceListSwatchColour(bool bad, int kind, int typeId)
{
    if (bad)
        return {255, 255, 128};
    if (kind == 0 || kind == 1)
        return {0, 182, 80};
    if (kind == 2)
        return {0, 143, 222};
    if (kind == 3)
        return {115, 0, 203};
    if (ForeignKind(kind))
        return {64, 64, 64};
    if (kind == 7)
        return OtherKindColour(typeId);
    return {255, 255, 128};
}

ListRgb ImageListSwatchColour(int kind, int typeId)
{
    if (kind == 0 || kind == 1)
        return {0, 182, 80};
    if (kind == 2)
        return {0, 143, 222};
    if (kind == 3)
        return {102, 0, 204};
    if (ForeignKind(kind))
        return {64, 64, 64};
    if (kind == 7)
        return OtherKindColour(typeId);
    return {140, 140, 140};
}
