// Small UTF-16 text builders for the child's identifiers and texts (the core has no
// formatting library).
#pragma once

#include "CoreBase.h"

namespace zedisk {

// A fixed buffer of UTF-16 text that appends ASCII text, UTF-16 text and
// two-digit numbers ("%02d").
class ChildText {
public:
    void Ascii(const char* text)
    {
        while (*text != 0)
            Put(static_cast<ZdWChar>(*text++));
    }
    void Wide(const ZdWChar* text)
    {
        while (*text != 0)
            Put(*text++);
    }
    void TwoDigits(uint32_t number)
    {
        char digits[12];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number != 0);
        if (n < 2)
            digits[n++] = '0';
        while (n > 0)
            Put(static_cast<ZdWChar>(digits[--n]));
    }
    void Terminator() { Put(0); }
    const ZdWChar* Text() const { return text_; }
    size_t Chars() const { return length_; }

private:
    void Put(ZdWChar c)
    {
        if (length_ < sizeof(text_) / sizeof(text_[0]))
            text_[length_++] = c;
    }
    ZdWChar text_[128] = {};
    size_t length_ = 0;
};

} // namespace zedisk
