// The volume's cluster bitmap: the unnamed $DATA value of $Bitmap (record 6).
#pragma once

#include "TBitmap.h"

class CRecordAttributeReader;

class CSourceBitmap {
public:
    bool Init(CRecordAttributeReader& reader);
    const TBitmap& GetBitmap() const { return bitmap_; }

private:
    TBitmap bitmap_;
};
