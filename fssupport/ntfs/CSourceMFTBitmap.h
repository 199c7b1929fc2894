// Which MFT records are in use: the $BITMAP attribute of $MFT (record 0).
#pragma once

#include "TBitmap.h"

class CRecordAttributeReader;

class CSourceMFTBitmap {
public:
    bool Init(CRecordAttributeReader& reader);
    const TBitmap& GetBitmap() const { return bitmap_; }

private:
    TBitmap bitmap_;
};
